#include "shell/page_shortcuts.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace quillery {

TPageShortcuts::TPageShortcuts(QWidget* page, QList<QAction*> actions)
    : QObject(page), m_page(page) {
    for (QAction* action : actions)
        m_actions.append(action);
    // The page's focus widget belongs to the engine and may be replaced, so
    // the keys are watched for the whole application.
    qApp->installEventFilter(this);
}

TPageShortcuts::~TPageShortcuts() {
    qApp->removeEventFilter(this);
}

bool TPageShortcuts::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ShortcutOverride || !m_page)
        return QObject::eventFilter(watched, event);
    auto* target = qobject_cast<QWidget*>(watched);
    if (!target || (target != m_page && !m_page->isAncestorOf(target)))
        return QObject::eventFilter(watched, event);
    const QKeySequence pressed(static_cast<QKeyEvent*>(event)->keyCombination());
    for (const QPointer<QAction>& action : m_actions) {
        if (action && action->isEnabled() && action->shortcut() == pressed) {
            // Unclaimed, the key goes to the window's shortcut.
            event->ignore();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace quillery
