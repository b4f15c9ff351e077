#pragma once

#include "tables/properties_dlg.h"

class QComboBox;

namespace quillery {

// The table dialog "Таблица": position (alignment, cell margins and spacing,
// width, height, background) and borders (thickness and three colours) of a
// new or of a selected table. The table command resets it before each use.
class TTableDlg final : public TPropertiesDlg {
    Q_OBJECT
public:
    explicit TTableDlg(QWidget* parent);
    Q_DISABLE_COPY_MOVE(TTableDlg)

    QComboBox* Align() const { return m_align; }
    QLineEdit* Cellpadding() const { return m_cellpadding; }
    TUpDown* CellpaddingUpDown() const { return m_cellpaddingUpDown; }
    QLineEdit* Cellspacing() const { return m_cellspacing; }
    TUpDown* CellspacingUpDown() const { return m_cellspacingUpDown; }
    QLineEdit* Border() const { return m_border; }
    TUpDown* BorderUpDown() const { return m_borderUpDown; }

    // The state every use starts from: a table the width of the page.
    void ResetToDefaults();

protected:
    bool NumbersValid() const override;

private:
    QComboBox* m_align;
    QLineEdit* m_cellpadding = nullptr;
    TUpDown* m_cellpaddingUpDown;
    QLineEdit* m_cellspacing = nullptr;
    TUpDown* m_cellspacingUpDown;
    QLineEdit* m_border = nullptr;
    TUpDown* m_borderUpDown;
};

} // namespace quillery
