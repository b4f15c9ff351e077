#include "tables/cell_dlg.h"

#include "tables/color_box.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace quillery {
namespace {

QComboBox* ChoiceList(QWidget* dialog, const QString& name, const QStringList& items) {
    auto* list = new QComboBox(dialog);
    list->setObjectName(name);
    list->addItems(items);
    // No item is selected until a cell decides one.
    list->setCurrentIndex(-1);
    return list;
}

} // namespace

TCellDlg::TCellDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("CellDlg"));
    setWindowTitle(QStringLiteral("Ячейка"));

    auto* position = new QGroupBox(QStringLiteral("Положение"));
    auto* positionGrid = new QGridLayout(position);
    m_align = ChoiceList(this, QStringLiteral("align"),
                         {QStringLiteral("по умолчанию"), QStringLiteral("по левому краю"),
                          QStringLiteral("по правому краю"), QStringLiteral("по центру")});
    AddLabelled(*positionGrid, 0, QStringLiteral("Выровнять по горизонтали:"), m_align);
    m_valign = ChoiceList(this, QStringLiteral("valign"),
                          {QStringLiteral("по умолчанию"), QStringLiteral("по верхнему краю"),
                           QStringLiteral("по середине"), QStringLiteral("по линии шрифта"),
                           QStringLiteral("по нижнему краю")});
    AddLabelled(*positionGrid, 1, QStringLiteral("Выровнять по вертикали:"), m_valign);
    m_width = TSizeControls::Create(*this, *positionGrid, 2, QStringLiteral("width"),
                                    QStringLiteral("Задать ширину:"));
    m_height = TSizeControls::Create(*this, *positionGrid, 3, QStringLiteral("height"),
                                     QStringLiteral("Задать высоту:"));
    m_noWrap = new QCheckBox(QStringLiteral("Не переносить слова"), this);
    m_noWrap->setObjectName(QStringLiteral("noWrap"));
    positionGrid->addWidget(m_noWrap, 4, 0, 1, -1);
    m_bgcolor = AddColorBox(*this, *positionGrid, 5, QStringLiteral("bgcolor"),
                            QStringLiteral("Цвет подложки:"));

    auto* borders = new QGroupBox(QStringLiteral("Границы"));
    auto* bordersGrid = new QGridLayout(borders);
    m_bordercolor =
        AddColorBox(*this, *bordersGrid, 0, QStringLiteral("bordercolor"), QStringLiteral("Цвет:"));
    m_bordercolorlight = AddColorBox(*this, *bordersGrid, 1, QStringLiteral("bordercolorlight"),
                                     QStringLiteral("Светлая:"));
    m_bordercolordark = AddColorBox(*this, *bordersGrid, 2, QStringLiteral("bordercolordark"),
                                    QStringLiteral("Темная:"));

    LayOutFrames(*this, position, borders, m_ok, m_cancel);

    connect(m_ok, &QPushButton::clicked, this, &TCellDlg::BitBtn1Click);
    connect(m_width.CheckBox, &QCheckBox::toggled, this, &TCellDlg::widthCheckBoxClick);
    connect(m_height.CheckBox, &QCheckBox::toggled, this, &TCellDlg::heightCheckBoxClick);

    // The state at program start.
    m_width.CheckBox->setChecked(true);
    m_width.Edit->setText(QStringLiteral("100"));
    m_width.Percents->setChecked(true);
    m_height.CheckBox->setChecked(false);
    m_height.Edit->setText(QStringLiteral("0"));
    m_height.Percents->setChecked(true);
    m_width.FollowCheckBox();
    m_height.FollowCheckBox();
}

void TCellDlg::BitBtn1Click() {
    if (m_width.Valid() && m_height.Valid()) {
        accept();
        return;
    }
    WarnInvalidNumber(this);
}

void TCellDlg::widthCheckBoxClick() {
    m_width.FollowCheckBox();
}

void TCellDlg::heightCheckBoxClick() {
    m_height.FollowCheckBox();
}

} // namespace quillery
