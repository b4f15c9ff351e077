#pragma once

#include <functional>

namespace quillery {

class Engine;

// Which of the ten table actions are offered.
struct TTableOffer {
    bool Table = true;
    bool PropertyCell = false;
    bool InsertRow = false;
    bool DeleteRow = false;
    bool InsertCell = false;
    bool DeleteCell = false;
    bool colspanadd = false;
    bool colspansub = false;
    bool rowspanadd = false;
    bool rowspansub = false;
};

// The row and cell structure commands, each on the innermost TD or TR that
// holds the selection (a TH is a cell of no command here), and the offer of
// the table actions that follows from the selection.
class TTableStructureCommands final {
public:
    // setActions receives the offer each time it is worked out.
    TTableStructureCommands(Engine& engine, std::function<void(const TTableOffer&)> setActions);
    TTableStructureCommands(const TTableStructureCommands&) = delete;
    TTableStructureCommands& operator=(const TTableStructureCommands&) = delete;

    void UpdateTableActions();

    // A one-cell row directly below the selected row.
    void InsertRowExecute();
    void DeleteRowExecute();
    // An empty cell directly after the selected cell.
    void InsertCellExecute();
    void DeleteCellExecute();
    void colspanaddExecute();
    void colspansubExecute();
    void rowspanaddExecute();
    void rowspansubExecute();

private:
    TTableOffer Offer();

    Engine& m_engine;
    std::function<void(const TTableOffer&)> m_setActions;
};

} // namespace quillery
