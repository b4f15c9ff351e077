#include "shell/publish_report_dlg.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillery {

TPublishReportDlg::TPublishReportDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("PublishReportDlg"));
    setWindowTitle(QStringLiteral("Отчёт о публикации"));
    m_text = new QPlainTextEdit(this);
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* close = buttons->button(QDialogButtonBox::Close);
    close->setText(QStringLiteral("Закрыть"));
    close->setDefault(true);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(buttons);
    resize(560, 400);
}

void TPublishReportDlg::ShowReport(const QString& text) {
    m_text->setPlainText(text.isEmpty() ? QStringLiteral("Сайт ещё не публиковался.") : text);
    m_text->setFocus();
    exec();
}

} // namespace quillery
