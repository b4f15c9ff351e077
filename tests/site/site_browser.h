#pragma once

#include <QPoint>
#include <QSize>
#include <QStringList>
#include <QUrl>
#include <QVariant>
#include <memory>

class QWebEngineProfile;
class QWebEngineView;

namespace quillery {

// text as a JavaScript string literal.
QString JsText(const QString& text);

// A browser window of its own (private profile, no cache, scripts on) for
// looking at a published site as a visitor does, with real clicks and keys.
class SiteBrowser final {
public:
    explicit SiteBrowser(QSize size = QSize(1200, 800));
    ~SiteBrowser();
    Q_DISABLE_COPY_MOVE(SiteBrowser)

    QWebEngineView& View() { return *m_view; }
    // Opens url and waits until it has loaded; fails the program when it
    // does not.
    void Load(const QUrl& url);
    // Runs script in the page and returns its value.
    QVariant Js(const QString& script);
    // Waits until the script's value is true.
    bool WaitFor(const QString& condition, int timeoutMs = 10000);
    // A left click in the middle of the element that expression yields,
    // scrolled into view first.
    void Click(const QString& expression);
    // A key pressed and released, named as QKeySequence names it ("Down",
    // "Return", "Esc"); a single character is typed as that text ("у", "*").
    void Press(const QString& key);

    // Every address the page asked for, and the page's uncaught errors.
    const QStringList& Requested() const;
    const QStringList& Errors() const;

private:
    class Recorder;
    class Page;
    std::unique_ptr<Recorder> m_recorder;
    std::unique_ptr<QWebEngineProfile> m_profile;
    std::unique_ptr<QWebEngineView> m_view;
    Page* m_page;
};

} // namespace quillery
