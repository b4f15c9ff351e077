#include "editor/webengine/visual_edit.h"

#include <QAction>
#include <QChildEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QTimer>
#include <QWebEngineSettings>

namespace quillery {

VisualEditPage::VisualEditPage(QObject* parent) : QWebEnginePage(parent) {
    QWebEngineSettings* s = settings();
    s->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    s->setAttribute(QWebEngineSettings::AutoLoadImages, true);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    s->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    // Cut, copy and paste run as document commands of the adapter's script.
    s->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, true);
    s->setAttribute(QWebEngineSettings::JavascriptCanPaste, true);
    s->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, true);
    s->setDefaultTextEncoding(QStringLiteral("windows-1251"));
    // The fonts the site's readers see by default, so a page looks here as
    // it does there and "FontName" names them as the classic engine did.
    s->setFontFamily(QWebEngineSettings::StandardFont, QStringLiteral("Times New Roman"));
    s->setFontFamily(QWebEngineSettings::SerifFont, QStringLiteral("Times New Roman"));
    s->setFontFamily(QWebEngineSettings::SansSerifFont, QStringLiteral("Arial"));
    s->setFontFamily(QWebEngineSettings::FixedFont, QStringLiteral("Courier New"));
}

bool VisualEditPage::acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) {
    return isMainFrame && url == m_allowedUrl;
}

VisualEditView::VisualEditView(QWidget* parent) : QWebEngineView(parent) {
    setPage(new VisualEditPage(this));
}

void VisualEditView::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
    // The program's menu asks the engine synchronously. Called here, inside
    // the engine's handling of the request, or from a zero-delay call that
    // runs before the engine has finished with it, those questions are never
    // answered; a timer runs the handler once the engine is free.
    const QPoint screenPoint = event->globalPos();
    QTimer::singleShot(1, this, [this, screenPoint] {
        if (m_contextMenuHandler)
            m_contextMenuHandler(screenPoint);
    });
}

bool VisualEditView::event(QEvent* event) {
    // The page's keyboard focus lives in a child widget made by the view.
    if (event->type() == QEvent::ChildAdded)
        static_cast<QChildEvent*>(event)->child()->installEventFilter(this);
    return QWebEngineView::event(event);
}

bool VisualEditView::eventFilter(QObject* watched, QEvent* event) {
    // The page claims its editing keys before shortcuts are looked up; a
    // claim left unmade lets the window's command run instead.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (IsWindowShortcut(QKeySequence(key->keyCombination()))) {
            key->ignore();
            return true;
        }
    }
    return QWebEngineView::eventFilter(watched, event);
}

bool VisualEditView::IsWindowShortcut(const QKeySequence& keys) const {
    const QList<QAction*> actions = window()->findChildren<QAction*>();
    return std::any_of(actions.begin(), actions.end(), [&](const QAction* action) {
        return action->isEnabled() && action->shortcuts().contains(keys);
    });
}

} // namespace quillery
