#pragma once

#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <functional>

namespace quillery {

// The page refuses every navigation but the one the engine asked for, so a
// click on a link in the document never leaves it. New windows are refused
// by the default createWindow, close requests by not being answered.
class VisualEditPage final : public QWebEnginePage {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(VisualEditPage)

public:
    explicit VisualEditPage(QObject* parent);

    void allowNavigationTo(const QUrl& url) { m_allowedUrl = url; }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;

private:
    QUrl m_allowedUrl;
};

// The editing area (VISUALEdit). A right click goes to the program's own
// menu handler with the screen point; the engine's menu never shows. A key
// that is the shortcut of an enabled command of the window runs that
// command: the page does not take it for its own editing keys (Ctrl+Z,
// Ctrl+C and the like).
class VisualEditView final : public QWebEngineView {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(VisualEditView)

public:
    explicit VisualEditView(QWidget* parent);

    void setContextMenuHandler(std::function<void(const QPoint&)> handler) {
        m_contextMenuHandler = std::move(handler);
    }

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool IsWindowShortcut(const QKeySequence& keys) const;

    std::function<void(const QPoint&)> m_contextMenuHandler;
};

} // namespace quillery
