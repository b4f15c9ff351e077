#pragma once

#include "editor/selection_helpers.h"

#include <string>

namespace quillery {

class Engine;
class TCellDlg;
class TTableDlg;

// The table and cell property commands: a new table at the selection, or
// the attributes of a table selected as an object; the attributes of the
// cell that holds the selection.
class TTableCommands final {
public:
    TTableCommands(Engine& engine, TTableDlg& tableDlg, TCellDlg& cellDlg, UndoRedoFlags flags);
    Q_DISABLE_COPY_MOVE(TTableCommands)

    void TableExecute();
    void PropertyCellExecute();

private:
    void FillFromTable(Element& table);
    void WriteTable(Element& table);
    void FillFromCell(Element& cell);
    void WriteCell(Element& cell);

    Engine& m_engine;
    TTableDlg& m_tableDlg;
    TCellDlg& m_cellDlg;
    UndoRedoFlags m_flags;
};

// The new table the dialog describes, one row of one cell, as a Windows-1251
// fragment with unquoted attribute values.
std::string NewTableFragment(const TTableDlg& dialog);

} // namespace quillery
