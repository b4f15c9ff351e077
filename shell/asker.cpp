#include "shell/asker.h"

#include <QApplication>
#include <QMessageBox>

namespace quillery {

bool BoxAsker::Confirm(const QString& text, Answer byDefault) {
    return QMessageBox::question(m_parent, QApplication::applicationDisplayName(), text,
                                 QMessageBox::Yes | QMessageBox::No,
                                 byDefault == Answer::Yes ? QMessageBox::Yes : QMessageBox::No) ==
           QMessageBox::Yes;
}

void BoxAsker::ShowError(const QString& text) {
    QMessageBox::critical(m_parent, QApplication::applicationDisplayName(), text);
}

void BoxAsker::ShowWarning(const QString& text) {
    QMessageBox::warning(m_parent, QApplication::applicationDisplayName(), text);
}

} // namespace quillery
