#include "tests/site/site_browser.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QKeySequence>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>

namespace quillery {

QString JsText(const QString& text) {
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

class SiteBrowser::Recorder final : public QWebEngineUrlRequestInterceptor {
public:
    void interceptRequest(QWebEngineUrlRequestInfo& info) override {
        urls.append(info.requestUrl().toString());
    }
    QStringList urls;
};

class SiteBrowser::Page final : public QWebEnginePage {
public:
    using QWebEnginePage::QWebEnginePage;
    QStringList errors;

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                  int line, const QString& source) override {
        if (level == ErrorMessageLevel && message.startsWith(QLatin1String("Uncaught")))
            errors.append(QStringLiteral("%1:%2: %3").arg(source).arg(line).arg(message));
    }
};

SiteBrowser::SiteBrowser(QSize size)
    : m_recorder(std::make_unique<Recorder>()), m_profile(std::make_unique<QWebEngineProfile>()),
      m_view(std::make_unique<QWebEngineView>()) {
    m_profile->setHttpCacheType(QWebEngineProfile::NoCache);
    m_profile->setUrlRequestInterceptor(m_recorder.get());
    m_page = new Page(m_profile.get(), m_view.get());
    m_view->setPage(m_page);
    m_view->resize(size);
    m_view->show();
    if (!QTest::qWaitForWindowExposed(m_view.get()))
        qFatal("the browser window was never shown");
}

SiteBrowser::~SiteBrowser() {
    // The page goes before its profile.
    m_view.reset();
}

void SiteBrowser::Load(const QUrl& url) {
    QSignalSpy finished(m_page, &QWebEnginePage::loadFinished);
    m_view->load(url);
    if (!finished.wait(20000) || !finished.takeFirst().at(0).toBool())
        qFatal("%s did not load", qPrintable(url.toString()));
}

QVariant SiteBrowser::Js(const QString& script) {
    QVariant result;
    bool done = false;
    m_page->runJavaScript(script, QWebEngineScript::MainWorld, [&](const QVariant& value) {
        result = value;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 20000))
        qFatal("the page did not answer a script");
    return result;
}

bool SiteBrowser::WaitFor(const QString& condition, int timeoutMs) {
    const QString script = QStringLiteral("!!(%1)").arg(condition);
    return QTest::qWaitFor([&] { return Js(script).toBool(); }, timeoutMs);
}

void SiteBrowser::Click(const QString& expression) {
    const QVariantList centre = Js(QStringLiteral("(() => { const el = (%1); if (!el) return []; "
                                                  "el.scrollIntoView({block: 'center'}); "
                                                  "const r = el.getBoundingClientRect(); "
                                                  "return [r.x + r.width / 2, r.y + r.height / 2]; "
                                                  "})()")
                                       .arg(expression))
                                    .toList();
    if (centre.size() != 2)
        qFatal("nothing to click at %s", qPrintable(expression));
    const QPoint point(qRound(centre[0].toDouble()), qRound(centre[1].toDouble()));
    QTest::mouseMove(m_view->focusProxy(), point);
    QTest::mouseClick(m_view->focusProxy(), Qt::LeftButton, {}, point);
}

void SiteBrowser::Press(const QString& key) {
    const QKeyCombination combination = QKeySequence::fromString(key)[0];
    QWidget* target = m_view->focusProxy();
    if (key.size() > 1) {
        QTest::keyClick(target, combination.key(), combination.keyboardModifiers());
        return;
    }
    QKeyEvent press(QEvent::KeyPress, combination.key(), Qt::NoModifier, key);
    QKeyEvent release(QEvent::KeyRelease, combination.key(), Qt::NoModifier, key);
    QCoreApplication::sendEvent(target, &press);
    QCoreApplication::sendEvent(target, &release);
}

const QStringList& SiteBrowser::Requested() const {
    return m_recorder->urls;
}

const QStringList& SiteBrowser::Errors() const {
    return m_page->errors;
}

} // namespace quillery
