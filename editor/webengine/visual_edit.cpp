#include "editor/webengine/visual_edit.h"

#include <QContextMenuEvent>
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

} // namespace quillery
