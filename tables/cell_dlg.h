#pragma once

#include "tables/dialog_parts.h"

#include <QDialog>

class QComboBox;

namespace quillery {

// The cell dialog "Ячейка": alignment, size, word wrapping, background and
// border colours of a table cell. Never reset: what a cell does not decide
// stays as the last use left it.
class TCellDlg final : public QDialog {
    Q_OBJECT
public:
    explicit TCellDlg(QWidget* parent);
    Q_DISABLE_COPY_MOVE(TCellDlg)

    QComboBox* Align() const { return m_align; }
    QComboBox* Valign() const { return m_valign; }
    const TSizeControls& Widths() const { return m_width; }
    const TSizeControls& Heights() const { return m_height; }
    QCheckBox* NoWrap() const { return m_noWrap; }
    TColorBox* Bgcolor() const { return m_bgcolor; }
    TColorBox* Bordercolor() const { return m_bordercolor; }
    TColorBox* Bordercolorlight() const { return m_bordercolorlight; }
    TColorBox* Bordercolordark() const { return m_bordercolordark; }
    QPushButton* BitBtn1() const { return m_ok; }
    QPushButton* BitBtn2() const { return m_cancel; }

private:
    // OK: closes only when both sizes are acceptable numbers.
    void BitBtn1Click();
    void widthCheckBoxClick();
    void heightCheckBoxClick();

    QComboBox* m_align;
    QComboBox* m_valign;
    TSizeControls m_width;
    TSizeControls m_height;
    QCheckBox* m_noWrap;
    TColorBox* m_bgcolor;
    TColorBox* m_bordercolor;
    TColorBox* m_bordercolorlight;
    TColorBox* m_bordercolordark;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace quillery
