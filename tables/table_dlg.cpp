#include "tables/table_dlg.h"

#include "tables/color_box.h"
#include "tables/up_down.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>

namespace quillery {

TTableDlg::TTableDlg(QWidget* parent)
    : TPropertiesDlg(parent, QStringLiteral("TableDlg"), QStringLiteral("Таблица")) {
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
    AddSizeRows(*positionGrid, 3);
    AddBackground(*positionGrid, 5);

    auto* borders = new QGroupBox(QStringLiteral("Границы"));
    auto* bordersGrid = new QGridLayout(borders);
    m_borderUpDown = AddNumberField(*this, *bordersGrid, 0, QStringLiteral("border"),
                                    QStringLiteral("Толщина:"), m_border);
    AddBorderColours(*bordersGrid, 1);
    LayOut(position, borders);
    ResetToDefaults();
}

void TTableDlg::ResetToDefaults() {
    m_align->setCurrentIndex(0);
    SetNumber(*m_cellpadding, *m_cellpaddingUpDown, QStringLiteral("1"), 1);
    SetNumber(*m_cellspacing, *m_cellspacingUpDown, QStringLiteral("2"), 2);
    for (const TSizeControls* size : {&Widths(), &Heights()}) {
        size->Edit->setText(QStringLiteral("100"));
        size->Percents->setChecked(true);
    }
    Widths().CheckBox->setChecked(true);
    Heights().CheckBox->setChecked(false);
    Widths().FollowCheckBox();
    Heights().FollowCheckBox();
    SetNumber(*m_border, *m_borderUpDown, QStringLiteral("1"), 1);
    for (TColorBox* box : {Bordercolor(), Bordercolorlight(), Bordercolordark(), Bgcolor()})
        box->SetSelected(clNone);
}

bool TTableDlg::NumbersValid() const {
    return NotNegative(*m_cellpadding) && NotNegative(*m_cellspacing) && Widths().Valid() &&
           Heights().Valid() && NotNegative(*m_border);
}

} // namespace quillery
