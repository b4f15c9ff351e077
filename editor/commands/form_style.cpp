#include "editor/commands/form_style.h"

#include "editor/commands/dialog_buttons.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QVBoxLayout>

namespace quillery {

TFormStyle1::TFormStyle1(QWidget* parent)
    : QDialog(parent), m_paragraphStyle(new QListWidget(this)) {
    setObjectName(QStringLiteral("FormStyle1"));
    setWindowTitle(QStringLiteral("Стили"));
    setWindowFlags((windowFlags() & ~Qt::WindowType_Mask) | Qt::Tool);

    m_paragraphStyle->setObjectName(QStringLiteral("ParagraphStyle"));
    m_paragraphStyle->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* group = new QGroupBox(QStringLiteral("Список стилей"), this);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(m_paragraphStyle);

    QDialogButtonBox* buttons = OkCancelButtons(*this, Qt::Vertical);
    connect(m_paragraphStyle, &QListWidget::itemDoubleClicked, this, &QDialog::accept);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(group, 1);
    layout->addWidget(buttons);
    resize(340, 300);
}

QListWidgetItem* TFormStyle1::SelectedStyle() const {
    const QList<QListWidgetItem*> selected = m_paragraphStyle->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

} // namespace quillery
