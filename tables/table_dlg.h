#pragma once

#include "tables/dialog_parts.h"

#include <QDialog>

class QComboBox;

namespace quillery {

// The table dialog "Таблица": position (alignment, cell margins and spacing,
// width, height, background) and borders (thickness and three colours) of a
// new or of a selected table. The table command resets it before each use.
class TTableDlg final : public QDialog {
    Q_OBJECT
public:
    explicit TTableDlg(QWidget* parent);
    Q_DISABLE_COPY_MOVE(TTableDlg)

    QComboBox* Align() const { return m_align; }
    QLineEdit* Cellpadding() const { return m_cellpadding; }
    TUpDown* CellpaddingUpDown() const { return m_cellpaddingUpDown; }
    QLineEdit* Cellspacing() const { return m_cellspacing; }
    TUpDown* CellspacingUpDown() const { return m_cellspacingUpDown; }
    const TSizeControls& Widths() const { return m_width; }
    const TSizeControls& Heights() const { return m_height; }
    TColorBox* Bgcolor() const { return m_bgcolor; }
    QLineEdit* Border() const { return m_border; }
    TUpDown* BorderUpDown() const { return m_borderUpDown; }
    TColorBox* Bordercolor() const { return m_bordercolor; }
    TColorBox* Bordercolorlight() const { return m_bordercolorlight; }
    TColorBox* Bordercolordark() const { return m_bordercolordark; }
    QPushButton* BitBtn1() const { return m_ok; }
    QPushButton* BitBtn2() const { return m_cancel; }

    // The state every use starts from: a table the width of the page.
    void ResetToDefaults();

private:
    // OK: closes only when every number is acceptable.
    void BitBtn1Click();
    void widthCheckBoxClick();
    void heightCheckBoxClick();

    QComboBox* m_align;
    QLineEdit* m_cellpadding = nullptr;
    TUpDown* m_cellpaddingUpDown;
    QLineEdit* m_cellspacing = nullptr;
    TUpDown* m_cellspacingUpDown;
    TSizeControls m_width;
    TSizeControls m_height;
    TColorBox* m_bgcolor;
    QLineEdit* m_border = nullptr;
    TUpDown* m_borderUpDown;
    TColorBox* m_bordercolor;
    TColorBox* m_bordercolorlight;
    TColorBox* m_bordercolordark;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace quillery
