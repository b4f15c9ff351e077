#pragma once

#include "tables/dialog_parts.h"

#include <QDialog>

class QGridLayout;
class QGroupBox;
class QPushButton;

namespace quillery {

class TColorBox;

// What the table and the cell dialog share: the width and height rows, the
// background and the three border colours, OK and Cancel, the enabling rule
// of the size rows, and OK refused while a number is wrong.
class TPropertiesDlg : public QDialog {
    Q_OBJECT
public:
    const TSizeControls& Widths() const { return m_width; }
    const TSizeControls& Heights() const { return m_height; }
    TColorBox* Bgcolor() const { return m_bgcolor; }
    TColorBox* Bordercolor() const { return m_bordercolor; }
    TColorBox* Bordercolorlight() const { return m_bordercolorlight; }
    TColorBox* Bordercolordark() const { return m_bordercolordark; }
    QPushButton* BitBtn1() const { return m_ok; }
    QPushButton* BitBtn2() const { return m_cancel; }

    // OK, by the button or Enter, closes only with every number acceptable.
    void accept() override;

protected:
    TPropertiesDlg(QWidget* parent, const QString& name, const QString& caption);
    Q_DISABLE_COPY_MOVE(TPropertiesDlg)

    // "Задать ширину:" at row, "Задать высоту:" below it.
    void AddSizeRows(QGridLayout& grid, int row);
    // "Цвет подложки:" at row.
    void AddBackground(QGridLayout& grid, int row);
    // "Цвет:", "Светлая:", "Темная:" from row on.
    void AddBorderColours(QGridLayout& grid, int row);
    // The frames "Положение" and "Границы", one above the other, with OK and
    // Cancel under them.
    void LayOut(QGroupBox* position, QGroupBox* borders);

    // Whether OK may close the dialog.
    virtual bool NumbersValid() const = 0;

private:
    void BitBtn1Click();
    void widthCheckBoxClick();
    void heightCheckBoxClick();

    TSizeControls m_width;
    TSizeControls m_height;
    TColorBox* m_bgcolor = nullptr;
    TColorBox* m_bordercolor = nullptr;
    TColorBox* m_bordercolorlight = nullptr;
    TColorBox* m_bordercolordark = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace quillery
