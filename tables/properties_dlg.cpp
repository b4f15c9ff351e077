#include "tables/properties_dlg.h"

#include "editor/commands/dialog_buttons.h"
#include "tables/color_box.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillery {
namespace {

TColorBox* AddColorBox(QDialog& dialog, QGridLayout& grid, int row, const QString& name,
                       const QString& caption) {
    auto* box = new TColorBox(&dialog);
    box->setObjectName(name);
    AddLabelled(grid, row, caption, box);
    return box;
}

// The two frames' captions take one width and any room to spare goes to
// the fields, so the fields of both frames line up.
void AlignCaptions(const QList<QGridLayout*>& grids) {
    int captionWidth = 0;
    for (QGridLayout* grid : grids)
        for (int row = 0; row < grid->rowCount(); ++row)
            if (QLayoutItem* caption = grid->itemAtPosition(row, 0))
                captionWidth = qMax(captionWidth, caption->sizeHint().width());
    for (QGridLayout* grid : grids) {
        grid->setColumnMinimumWidth(0, captionWidth);
        grid->setColumnStretch(grid->columnCount() - 1, 1);
    }
}

} // namespace

TPropertiesDlg::TPropertiesDlg(QWidget* parent, const QString& name, const QString& caption)
    : QDialog(parent) {
    setObjectName(name);
    setWindowTitle(caption);
}

void TPropertiesDlg::AddSizeRows(QGridLayout& grid, int row) {
    m_width = TSizeControls::Create(*this, grid, row, QStringLiteral("width"),
                                    QStringLiteral("Задать ширину:"));
    m_height = TSizeControls::Create(*this, grid, row + 1, QStringLiteral("height"),
                                     QStringLiteral("Задать высоту:"));
    connect(m_width.CheckBox, &QCheckBox::toggled, this, &TPropertiesDlg::widthCheckBoxClick);
    connect(m_height.CheckBox, &QCheckBox::toggled, this, &TPropertiesDlg::heightCheckBoxClick);
}

void TPropertiesDlg::AddBackground(QGridLayout& grid, int row) {
    m_bgcolor =
        AddColorBox(*this, grid, row, QStringLiteral("bgcolor"), QStringLiteral("Цвет подложки:"));
}

void TPropertiesDlg::AddBorderColours(QGridLayout& grid, int row) {
    m_bordercolor =
        AddColorBox(*this, grid, row, QStringLiteral("bordercolor"), QStringLiteral("Цвет:"));
    m_bordercolorlight = AddColorBox(*this, grid, row + 1, QStringLiteral("bordercolorlight"),
                                     QStringLiteral("Светлая:"));
    m_bordercolordark = AddColorBox(*this, grid, row + 2, QStringLiteral("bordercolordark"),
                                    QStringLiteral("Темная:"));
}

void TPropertiesDlg::LayOut(QGroupBox* position, QGroupBox* borders) {
    QDialogButtonBox* buttons = OkCancelButtons(*this, Qt::Horizontal);
    m_ok = qobject_cast<QPushButton*>(buttons->buttons().value(0));
    m_cancel = qobject_cast<QPushButton*>(buttons->buttons().value(1));
    m_ok->setObjectName(QStringLiteral("BitBtn1"));
    m_cancel->setObjectName(QStringLiteral("BitBtn2"));
    AlignCaptions({qobject_cast<QGridLayout*>(position->layout()),
                   qobject_cast<QGridLayout*>(borders->layout())});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(position);
    layout->addWidget(borders);
    layout->addWidget(buttons);
    // A fixed border: the dialog cannot be resized.
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TPropertiesDlg::accept() {
    BitBtn1Click();
}

void TPropertiesDlg::BitBtn1Click() {
    if (NumbersValid()) {
        QDialog::accept();
        return;
    }
    QMessageBox::warning(this, QApplication::applicationDisplayName(),
                         QStringLiteral("Указано неверное число."));
}

void TPropertiesDlg::widthCheckBoxClick() {
    m_width.FollowCheckBox();
}

void TPropertiesDlg::heightCheckBoxClick() {
    m_height.FollowCheckBox();
}

} // namespace quillery
