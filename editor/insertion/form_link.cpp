#include "editor/insertion/form_link.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillery {
namespace {

constexpr int kListWidth = 320;
constexpr int kListHeight = 260;

} // namespace

TFormLink::TFormLink(QWidget* parent)
    : QDialog(parent), m_listBox(new QListWidget), m_ok(new QPushButton(QStringLiteral("OK"))),
      m_cancel(new QPushButton(QStringLiteral("Отмена"))) {
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

    m_ok->setObjectName(QStringLiteral("BitBtn1"));
    m_ok->setDefault(true);
    m_cancel->setObjectName(QStringLiteral("BitBtn2"));
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
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
