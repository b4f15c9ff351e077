#include "tables/cell_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
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

TCellDlg::TCellDlg(QWidget* parent)
    : TPropertiesDlg(parent, QStringLiteral("CellDlg"), QStringLiteral("Ячейка")) {
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
    AddSizeRows(*positionGrid, 2);
    m_noWrap = new QCheckBox(QStringLiteral("Не переносить слова"), this);
    m_noWrap->setObjectName(QStringLiteral("noWrap"));
    positionGrid->addWidget(m_noWrap, 4, 0, 1, -1);
    AddBackground(*positionGrid, 5);

    auto* borders = new QGroupBox(QStringLiteral("Границы"));
    auto* bordersGrid = new QGridLayout(borders);
    AddBorderColours(*bordersGrid, 0);
    LayOut(position, borders);

    // The state at program start.
    Widths().CheckBox->setChecked(true);
    Widths().Edit->setText(QStringLiteral("100"));
    Widths().Percents->setChecked(true);
    Heights().CheckBox->setChecked(false);
    Heights().Edit->setText(QStringLiteral("0"));
    Heights().Percents->setChecked(true);
    Widths().FollowCheckBox();
    Heights().FollowCheckBox();
}

bool TCellDlg::NumbersValid() const {
    return Widths().Valid() && Heights().Valid();
}

} // namespace quillery
