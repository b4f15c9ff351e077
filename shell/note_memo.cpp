#include "shell/note_memo.h"

#include "shell/cp1251_refusal.h"
#include "store/text_codec.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>

namespace quillery {

TNoteMemo::TNoteMemo(QWidget* parent) : QPlainTextEdit(parent) {
    setObjectName(QStringLiteral("Memo1"));
    setTabChangesFocus(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Base, colours.color(QPalette::ToolTipBase));
    colours.setColor(QPalette::Text, colours.color(QPalette::ToolTipText));
    setPalette(colours);
}

void TNoteMemo::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    if (!event->text().isEmpty() && !FitsCp1251(event->text())) {
        ShowCp1251Refusal(this);
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TNoteMemo::inputMethodEvent(QInputMethodEvent* event) {
    if (!FitsCp1251(event->commitString())) {
        ShowCp1251Refusal(this);
        event->accept();
        return;
    }
    QPlainTextEdit::inputMethodEvent(event);
}

void TNoteMemo::insertFromMimeData(const QMimeData* source) {
    if (source->hasText() && !FitsCp1251(source->text())) {
        ShowCp1251Refusal(this);
        return;
    }
    QPlainTextEdit::insertFromMimeData(source);
}

} // namespace quillery
