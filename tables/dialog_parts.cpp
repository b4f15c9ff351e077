#include "tables/dialog_parts.h"

#include "tables/up_down.h"
#include "tables/whole_number.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace quillery {
namespace {

constexpr int kNumberWidth = 56;
constexpr int kUpDownMax = 32767;

std::optional<std::int32_t> NumberIn(const QLineEdit& edit) {
    return ReadWholeNumber(edit.text().toStdString());
}

} // namespace

TSizeControls TSizeControls::Create(QDialog& dialog, QGridLayout& grid, int row,
                                    const QString& attribute, const QString& caption) {
    TSizeControls c;
    c.CheckBox = new QCheckBox(caption, &dialog);
    c.CheckBox->setObjectName(attribute + QStringLiteral("CheckBox"));
    c.Edit = new QLineEdit(&dialog);
    c.Edit->setObjectName(attribute);
    c.Edit->setFixedWidth(kNumberWidth);
    c.Pixels = new QRadioButton(QStringLiteral("в точках"), &dialog);
    c.Pixels->setObjectName(attribute + QStringLiteral("PixelsRadioButton"));
    c.Percents = new QRadioButton(QStringLiteral("в процентах"), &dialog);
    c.Percents->setObjectName(attribute + QStringLiteral("PercentsRadioButton"));
    // Each row's pair is a group of its own.
    auto* unit = new QButtonGroup(&dialog);
    unit->addButton(c.Pixels);
    unit->addButton(c.Percents);
    grid.addWidget(c.CheckBox, row, 0);
    grid.addWidget(c.Edit, row, 1);
    grid.addWidget(c.Pixels, row, 2);
    grid.addWidget(c.Percents, row, 3);
    return c;
}

void TSizeControls::FollowCheckBox() const {
    const bool on = CheckBox->isChecked();
    Edit->setEnabled(on);
    Pixels->setEnabled(on);
    Percents->setEnabled(on);
}

void TSizeControls::Fill(const QString& value) const {
    if (value.isEmpty()) {
        CheckBox->setChecked(false);
        return;
    }
    CheckBox->setChecked(true);
    if (value.endsWith(QLatin1Char('%'))) {
        Percents->setChecked(true);
        Edit->setText(value.chopped(1));
    } else {
        Pixels->setChecked(true);
        Edit->setText(value);
    }
}

QString TSizeControls::Text() const {
    if (!CheckBox->isChecked())
        return {};
    return Percents->isChecked() ? Edit->text() + QLatin1Char('%') : Edit->text();
}

bool TSizeControls::Valid() const {
    const std::optional<std::int32_t> number = NumberIn(*Edit);
    return number && (!CheckBox->isChecked() || *number >= 1);
}

void AddLabelled(QGridLayout& grid, int row, const QString& caption, QWidget* widget) {
    auto* label = new QLabel(caption);
    label->setBuddy(widget);
    grid.addWidget(label, row, 0);
    grid.addWidget(widget, row, 1, 1, -1);
}

TUpDown* AddNumberField(QDialog& dialog, QGridLayout& grid, int row, const QString& name,
                        const QString& caption, QLineEdit*& edit) {
    auto* field = new QWidget(&dialog);
    auto* layout = new QHBoxLayout(field);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    edit = new QLineEdit(field);
    edit->setObjectName(name);
    edit->setFixedWidth(kNumberWidth);
    auto* upDown = new TUpDown(edit, 0, kUpDownMax, field);
    upDown->setObjectName(name + QStringLiteral("UpDown"));
    layout->addWidget(edit);
    layout->addWidget(upDown);
    layout->addStretch();
    AddLabelled(grid, row, caption, field);
    return upDown;
}

bool NotNegative(const QLineEdit& edit) {
    const std::optional<std::int32_t> number = NumberIn(edit);
    return number && *number >= 0;
}

} // namespace quillery
