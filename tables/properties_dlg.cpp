#include "tables/properties_dlg.h"

#include "tables/color_box.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
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
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("BitBtn1"));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Отмена"), this);
    m_cancel->setObjectName(QStringLiteral("BitBtn2"));
    connect(m_ok, &QPushButton::clicked, this, &TPropertiesDlg::BitBtn1Click);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    AlignCaptions({qobject_cast<QGridLayout*>(position->layout()),
                   qobject_cast<QGridLayout*>(borders->layout())});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(position);
    layout->addWidget(borders);
    layout->addLayout(buttons);
    // A fixed border: the dialog cannot be resized.
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TPropertiesDlg::BitBtn1Click() {
    if (NumbersValid()) {
        accept();
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
