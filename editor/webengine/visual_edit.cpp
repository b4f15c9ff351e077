#include "editor/webengine/visual_edit.h"

#include <QContextMenuEvent>
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
    if (m_contextMenuHandler)
        m_contextMenuHandler(event->globalPos());
}

} // namespace quillery
