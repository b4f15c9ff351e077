#include "tests/editor/engine_fixture.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QJsonDocument>
#include <QJsonValue>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QWebEngineScript>
#include <QWebEngineView>

namespace quillery {
namespace {

QString Quoted(const QString& text) {
    return QString::fromUtf8(QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact))
        .mid(1)
        .chopped(1);
}

} // namespace

EngineFixture::EngineFixture() {
    m_engine.widget()->resize(800, 600);
    m_engine.widget()->show();
    if (!QTest::qWaitForWindowExposed(m_engine.widget()))
        qFatal("the editing area was never shown");
}

QString EngineFixture::copyFixture(const QString& name) {
    const QString target = m_dir.filePath(name);
    QFile::remove(target);
    if (!QFile::copy(QStringLiteral(QUILLERY_TEST_DATA "/editor/") + name, target))
        qFatal("fixture %s is missing", qPrintable(name));
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    return target;
}

void EngineFixture::open(const QString& path) {
    m_engine.WaitForEngine();
    m_engine.Navigate(QStringLiteral("about:blank"));
    m_engine.Navigate(path);
    m_engine.WaitForEngine();
    if (m_engine.DesignMode() == QLatin1String("Inherit"))
        m_engine.setDesignMode(QStringLiteral("On"));
    m_engine.setCharset(QStringLiteral("windows-1251"));
}

QVariant EngineFixture::script(const QString& js) {
    return PageScript(m_engine.widget(), js);
}

void EngineFixture::selectText(const QString& selector, int from, int to) {
    const QVariant ok = script(QStringLiteral(R"((() => {
        const el = document.querySelector(%1);
        const walker = document.createTreeWalker(el, NodeFilter.SHOW_TEXT);
        const r = document.createRange();
        let seen = 0, startSet = false, node;
        while ((node = walker.nextNode())) {
            const end = seen + node.length;
            if (!startSet && %2 <= end) { r.setStart(node, %2 - seen); startSet = true; }
            if (startSet && %3 <= end) { r.setEnd(node, %3 - seen); break; }
            seen = end;
        }
        document.body.focus();
        getSelection().removeAllRanges();
        getSelection().addRange(r);
        return startSet;
    })())")
                                   .arg(Quoted(selector))
                                   .arg(from)
                                   .arg(to));
    if (!ok.toBool())
        qFatal("no text to select in %s", qPrintable(selector));
}

void EngineFixture::click(const QString& selector, Qt::KeyboardModifiers modifiers,
                          Qt::MouseButton button) {
    ClickElement(m_engine, selector, modifiers, button);
}

void ClickElement(Engine& engine, const QString& selector, Qt::KeyboardModifiers modifiers,
                  Qt::MouseButton button) {
    const auto script = [&](const QString& js) {
        return PageScript(engine.widget(), js);
    };
    const QVariantList rect =
        script(QStringLiteral("(() => { const r = document.querySelector(%1)"
                              ".getBoundingClientRect(); return [r.x + r.width / 2, "
                              "r.y + r.height / 2]; })()")
                   .arg(Quoted(selector)))
            .toList();
    if (rect.size() != 2)
        qFatal("nothing to click at %s", qPrintable(selector));
    QWidget* target = engine.widget()->focusProxy();
    const QPoint point(qRound(rect[0].toDouble()), qRound(rect[1].toDouble()));
    if (button != Qt::LeftButton) {
        // Nothing waits on the document here: the context-menu handler does.
        QTest::mouseClick(target, button, modifiers, point);
        return;
    }
    script(QStringLiteral("window.__clicked = false; document.addEventListener('click', "
                          "() => { window.__clicked = true; }, {once: true});"));
    QTest::mouseClick(target, button, modifiers, point);
    // The click reaches the document asynchronously: wait until it has.
    if (!QTest::qWaitFor([&] { return script(QStringLiteral("window.__clicked")).toBool(); },
                         10000))
        qFatal("the click on %s never reached the document", qPrintable(selector));
}

QString EngineFixture::bodyHtml() {
    return script(QStringLiteral("document.body.innerHTML")).toString();
}

QVariant PageScript(QWidget* editArea, const QString& js) {
    auto* view = static_cast<QWebEngineView*>(editArea);
    QVariant result;
    bool done = false;
    view->page()->runJavaScript(js, QWebEngineScript::ApplicationWorld, [&](const QVariant& value) {
        result = value;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 10000))
        qFatal("the engine did not answer a script");
    return result;
}

void ChooseFile(QDialog* dialog, const QString& path) {
    auto* files = qobject_cast<QFileDialog*>(dialog);
    QVERIFY(files);
    // Typed: selectFile() races the dialog's folder listing when the dialog
    // opens on a folder of an earlier use.
    auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    QVERIFY(name);
    name->setText(path);
    QMetaObject::invokeMethod(files, "accept");
}

void AnswerNextDialog(std::function<void(QDialog*)> answer) {
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, answer] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            timer->deleteLater();
            timer->stop();
            answer(dialog);
            // An answer that failed must fail the test, not leave it waiting.
            if (dialog->isVisible())
                dialog->reject();
        }
    });
    timer->start(20);
}

bool AnswerDialogDuring(const std::function<void()>& command,
                        const std::function<void(QDialog*)>& answer) {
    bool shown = false;
    // A dialog already open (the one command runs in) is not its answer.
    QWidget* const before = QApplication::activeModalWidget();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || dialog == before || shown)
            return;
        shown = true;
        answer(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    poll.start(20);
    command();
    return shown;
}

} // namespace quillery
