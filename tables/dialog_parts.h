#pragma once

#include <QString>

class QCheckBox;
class QDialog;
class QGridLayout;
class QLineEdit;
class QRadioButton;
class QWidget;

namespace quillery {

class TUpDown;

// Controls the table and the cell dialog are made of.

// A size row, "Задать ширину:" or "Задать высоту:": a check box that enables
// a number edit and its unit pair "в точках" / "в процентах". The controls
// are named after the attribute: widthCheckBox, width,
// widthPixelsRadioButton, widthPercentsRadioButton.
struct TSizeControls {
    QCheckBox* CheckBox = nullptr;
    QLineEdit* Edit = nullptr;
    QRadioButton* Pixels = nullptr;
    QRadioButton* Percents = nullptr;

    static TSizeControls Create(QDialog& dialog, QGridLayout& grid, int row,
                                const QString& attribute, const QString& caption);

    // The enabling rule: the edit and the unit pair follow the check box.
    void FollowCheckBox() const;
    // From an attribute value: empty unticks and leaves the rest; otherwise
    // ticked, and the number with its unit ("%" at the end for percent).
    void Fill(const QString& value) const;
    // The attribute value as one text: the number, with "%" for percent;
    // empty when not ticked.
    QString Text() const;
    // The edit holds a whole number, whether ticked or not; at least 1 when
    // ticked.
    bool Valid() const;
};

// A caption and a widget in the first two columns of row; the widget spans
// the rest.
void AddLabelled(QGridLayout& grid, int row, const QString& caption, QWidget* widget);
// A number edit with its up-down buttons, 0 to 32767, named name and
// nameUpDown.
TUpDown* AddNumberField(QDialog& dialog, QGridLayout& grid, int row, const QString& name,
                        const QString& caption, QLineEdit*& edit);
// The edit holds a whole number not below 0.
bool NotNegative(const QLineEdit& edit);

} // namespace quillery
