#include "editor/insertion/form_link.h"

#include "editor/commands/dialog_buttons.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillery {
namespace {

constexpr int kListWidth = 320;
constexpr int kListHeight = 260;

} // namespace

TFormLink::TFormLink(QWidget* parent) : QDialog(parent), m_listBox(new QListWidget) {
    setObjectName(QStringLiteral("FormLink"));
    setWindowTitle(QStringLiteral("Гиперуказатель"));

    m_listBox->setObjectName(QStringLiteral("ListBox"));
    m_listBox->setSelectionMode(QAbstractItemView::SingleSelection);
    // One line per node of the contents, all alike: long lists lay out at once.
    m_listBox->setUniformItemSizes(true);
    m_listBox->setFixedSize(kListWidth, kListHeight);
    connect(m_listBox, &QListWidget::itemDoubleClicked, this, &TFormLink::ListBoxDblClick);

    auto* group = new QGroupBox(QStringLiteral("Сведения о гиперуказателе"));
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(m_listBox);

    QDialogButtonBox* buttons = OkCancelButtons(*this, Qt::Horizontal);
    m_ok = qobject_cast<QPushButton*>(buttons->buttons().value(0));
    m_cancel = qobject_cast<QPushButton*>(buttons->buttons().value(1));
    m_ok->setObjectName(QStringLiteral("BitBtn1"));
    m_cancel->setObjectName(QStringLiteral("BitBtn2"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons);
    // A fixed border: the dialog cannot be resized.
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

int TFormLink::ItemIndex() const {
    const QList<QListWidgetItem*> selected = m_listBox->selectedItems();
    return selected.isEmpty() ? -1 : m_listBox->row(selected.first());
}

void TFormLink::ListBoxDblClick() {
    accept();
}

} // namespace quillery
