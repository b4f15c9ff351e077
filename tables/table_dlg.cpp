#include "tables/table_dlg.h"

#include "tables/color_box.h"
#include "tables/up_down.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace quillery {

TTableDlg::TTableDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TableDlg"));
    setWindowTitle(QStringLiteral("Таблица"));

    auto* position = new QGroupBox(QStringLiteral("Положение"));
    auto* positionGrid = new QGridLayout(position);
    m_align = new QComboBox(this);
    m_align->setObjectName(QStringLiteral("align"));
    m_align->addItems({QStringLiteral("по умолчанию"), QStringLiteral("по левому краю"),
                       QStringLiteral("по правому краю"), QStringLiteral("по центру")});
    AddLabelled(*positionGrid, 0, QStringLiteral("Обтекание:"), m_align);
    m_cellpaddingUpDown = AddNumberField(*this, *positionGrid, 1, QStringLiteral("cellpadding"),
                                         QStringLiteral("Поля ячеек:"), m_cellpadding);
    m_cellspacingUpDown = AddNumberField(*this, *positionGrid, 2, QStringLiteral("cellspacing"),
                                         QStringLiteral("Интервал ячеек:"), m_cellspacing);
    m_width = TSizeControls::Create(*this, *positionGrid, 3, QStringLiteral("width"),
                                    QStringLiteral("Задать ширину:"));
    m_height = TSizeControls::Create(*this, *positionGrid, 4, QStringLiteral("height"),
                                     QStringLiteral("Задать высоту:"));
    m_bgcolor = AddColorBox(*this, *positionGrid, 5, QStringLiteral("bgcolor"),
                            QStringLiteral("Цвет подложки:"));

    auto* borders = new QGroupBox(QStringLiteral("Границы"));
    auto* bordersGrid = new QGridLayout(borders);
    m_borderUpDown = AddNumberField(*this, *bordersGrid, 0, QStringLiteral("border"),
                                    QStringLiteral("Толщина:"), m_border);
    m_bordercolor =
        AddColorBox(*this, *bordersGrid, 1, QStringLiteral("bordercolor"), QStringLiteral("Цвет:"));
    m_bordercolorlight = AddColorBox(*this, *bordersGrid, 2, QStringLiteral("bordercolorlight"),
                                     QStringLiteral("Светлая:"));
    m_bordercolordark = AddColorBox(*this, *bordersGrid, 3, QStringLiteral("bordercolordark"),
                                    QStringLiteral("Темная:"));

    LayOutFrames(*this, position, borders, m_ok, m_cancel);

    connect(m_ok, &QPushButton::clicked, this, &TTableDlg::BitBtn1Click);
    connect(m_width.CheckBox, &QCheckBox::toggled, this, &TTableDlg::widthCheckBoxClick);
    connect(m_height.CheckBox, &QCheckBox::toggled, this, &TTableDlg::heightCheckBoxClick);
    ResetToDefaults();
}

void TTableDlg::ResetToDefaults() {
    m_align->setCurrentIndex(0);
    SetNumber(*m_cellpadding, *m_cellpaddingUpDown, QStringLiteral("1"), 1);
    SetNumber(*m_cellspacing, *m_cellspacingUpDown, QStringLiteral("2"), 2);
    for (TSizeControls* size : {&m_width, &m_height}) {
        size->Edit->setText(QStringLiteral("100"));
        size->Percents->setChecked(true);
    }
    m_width.CheckBox->setChecked(true);
    m_height.CheckBox->setChecked(false);
    m_width.FollowCheckBox();
    m_height.FollowCheckBox();
    SetNumber(*m_border, *m_borderUpDown, QStringLiteral("1"), 1);
    for (TColorBox* box : {m_bordercolor, m_bordercolorlight, m_bordercolordark, m_bgcolor})
        box->SetSelected(clNone);
}

void TTableDlg::BitBtn1Click() {
    if (NotNegative(*m_cellpadding) && NotNegative(*m_cellspacing) && m_width.Valid() &&
        m_height.Valid() && NotNegative(*m_border)) {
        accept();
        return;
    }
    WarnInvalidNumber(this);
}

void TTableDlg::widthCheckBoxClick() {
    m_width.FollowCheckBox();
}

void TTableDlg::heightCheckBoxClick() {
    m_height.FollowCheckBox();
}

} // namespace quillery
