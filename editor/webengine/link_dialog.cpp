#include "editor/webengine/link_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillery {

LinkDialog::LinkDialog(const QString& url, QWidget* parent)
    : QDialog(parent), m_url(new QLineEdit(url, this)) {
    setWindowTitle(QStringLiteral("Гиперссылка"));
    m_url->setMinimumWidth(360);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Адрес:"), m_url);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

QString LinkDialog::url() const {
    return m_url->text();
}

} // namespace quillery
