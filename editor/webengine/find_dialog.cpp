#include "editor/webengine/find_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWebEngineFindTextResult>
#include <QWebEnginePage>

namespace quillery {

FindDialog::FindDialog(QWebEnginePage* page, QWidget* parent)
    : QDialog(parent), m_page(page), m_text(new QLineEdit(this)),
      m_matchCase(new QCheckBox(QStringLiteral("С учетом регистра"), this)),
      m_backward(new QCheckBox(QStringLiteral("Искать назад"), this)), m_status(new QLabel(this)) {
    setWindowTitle(QStringLiteral("Найти"));
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* next =
        buttons->addButton(QStringLiteral("Найти далее"), QDialogButtonBox::ActionRole);
    next->setDefault(true);
    buttons->addButton(QStringLiteral("Закрыть"), QDialogButtonBox::RejectRole);
    connect(next, &QPushButton::clicked, this, &FindDialog::findNext);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_page, &QWebEnginePage::findTextFinished, this,
            [this](const QWebEngineFindTextResult& result) {
                m_status->setText(result.numberOfMatches() == 0
                                      ? QStringLiteral("Текст не найден.")
                                      : QStringLiteral("Найдено: %1 из %2")
                                            .arg(result.activeMatch())
                                            .arg(result.numberOfMatches()));
            });
    connect(this, &QDialog::rejected, m_page, [this] { m_page->findText(QString()); });

    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Найти:"), this));
    row->addWidget(m_text);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(m_matchCase);
    layout->addWidget(m_backward);
    layout->addWidget(m_status);
    layout->addWidget(buttons);
}

void FindDialog::findNext() {
    QWebEnginePage::FindFlags flags;
    if (m_matchCase->isChecked())
        flags |= QWebEnginePage::FindCaseSensitively;
    if (m_backward->isChecked())
        flags |= QWebEnginePage::FindBackward;
    m_page->findText(m_text->text(), flags);
}

} // namespace quillery
