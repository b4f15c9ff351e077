// A new user's first site, end to end: an empty folder made a site in the
// main window ("Создать?" -> Да), a title and a line typed, the site
// published to pyftpdlib, and the server's folder served over HTTP by
// Python's http.server and opened in a browser with scripts on.
#include "publish/site_trust.h"
#include "shell/ftp_dlg.h"
#include "shell/publish_command.h"
#include "shell/select_dlg.h"
#include "store/site_pages.h"
#include "tests/publish/local_ftp_server.h"
#include "tests/shell/shell_fixture.h"
#include "tests/site/site_browser.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

using namespace quillery;

namespace {

const QString kTitle = QStringLiteral("Яблоневый сад «Антоновка»");
const QString kText = QStringLiteral("Первая страница нашего сайта");

// Python's own web server on a free port of 127.0.0.1, serving folder.
class PythonHttpServer final {
public:
    explicit PythonHttpServer(const QString& folder) {
        m_process.setWorkingDirectory(folder);
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(QStringLiteral("python3"),
                        {QStringLiteral("-u"), QStringLiteral("-m"), QStringLiteral("http.server"),
                         QStringLiteral("--bind"), QStringLiteral("127.0.0.1"),
                         QStringLiteral("0")});
        static const QRegularExpression serving(QStringLiteral("port (\\d+)"));
        QByteArray said;
        while (m_port == 0 && m_process.waitForReadyRead(10000)) {
            said += m_process.readAll();
            const QRegularExpressionMatch match = serving.match(QString::fromUtf8(said));
            if (match.hasMatch())
                m_port = match.captured(1).toUShort();
        }
        if (m_port == 0)
            qFatal("python3 -m http.server did not start: %s", said.constData());
    }
    ~PythonHttpServer() {
        m_process.kill();
        m_process.waitForFinished();
    }
    Q_DISABLE_COPY_MOVE(PythonHttpServer)

    QUrl Url(const QString& path) const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/%2").arg(m_port).arg(path));
    }

private:
    QProcess m_process;
    quint16 m_port = 0;
};

// Types text as a keyboard does, one key event per character: Qt Test's
// own typing knows only ASCII.
void TypeText(QWidget* target, const QString& text) {
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(target, &press);
        QApplication::sendEvent(target, &release);
        QTest::qWait(5);
    }
}

} // namespace

class TestNewSitePublished final : public QObject {
    Q_OBJECT

private slots:
    void newSiteIsAWorkingWebSite();
};

void TestNewSitePublished::newSiteIsAWorkingWebSite() {
    SiteFixture site;
    site.asker.answers = {true}; // "Создать?"
    TMainForm form(nullptr, &site.asker);
    form.SetSitePagesFolder(QStringLiteral(QUILLERY_SHIPPED_PAGES));
    QTimer::singleShot(0, form.SelectDlg(), [&] {
        form.SelectDlg()->ComboBox1()->setEditText(site.SitePath());
        QTest::keyClick(form.SelectDlg(), Qt::Key_Return);
    });
    QVERIFY(form.FormShow());
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(site.asker.questions,
             QStringList{QStringLiteral("В указанной директории сайт отсутствует. Создать?")});
    for (const char* page : kSitePageNames)
        QVERIFY2(QFileInfo::exists(site.SiteFile(QLatin1String(page))), page);

    // The new document's title is being edited: typed, then Enter.
    QVERIFY(QTest::qWaitFor([] { return qobject_cast<QLineEdit*>(QApplication::focusWidget()); }));
    auto* titleEditor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    titleEditor->selectAll();
    TypeText(titleEditor, kTitle);
    QTest::keyClick(titleEditor, Qt::Key_Return);
    QWidget* page = form.VISUALEdit().widget()->focusProxy();
    page->setFocus();
    QTest::mouseClick(page, Qt::LeftButton, {}, QPoint(60, 15));
    TypeText(page, kText);
    QVERIFY(QTest::qWaitFor([&] { return SiteFixture::PageText(form).contains(kText); }));

    // The test's server is plain FTP.
    AllowClearText(site.SitePath());
    const LocalFtpServer server(FtpServerKind::Pyftpdlib);
    TFTPDlg* dialog = form.FTPDlg();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, dialog, [&] {
        if (!dialog->isVisible())
            return;
        poll.stop();
        const std::pair<QLineEdit*, QString> fields[] = {{dialog->Host(), server.HostAndPort()},
                                                         {dialog->Username(), server.UserName()},
                                                         {dialog->Password(), server.Password()},
                                                         {dialog->Dir(), server.RemoteDirectory()}};
        for (const auto& [edit, text] : fields) {
            edit->setFocus();
            edit->selectAll();
            QTest::keyClicks(edit, text);
        }
        QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
    });
    poll.start(10);
    form.ActionListEdit().FTP->trigger();
    QVERIFY(QTest::qWaitFor([&] { return !form.PublishCommand().IsRunning(); }, 120000));
    QVERIFY2(form.StatusPanel()->text().startsWith(QStringLiteral("Синхронизация проведена ")),
             qPrintable(form.StatusPanel()->text()));
    const QDir published(server.LocalDirectory());
    for (const char* page : kSitePageNames)
        QVERIFY2(published.exists(QLatin1String(page)), page);

    const PythonHttpServer web(server.LocalDirectory());
    SiteBrowser browser;
    browser.Load(web.Url(QStringLiteral("index.html")));
    const QString label = QStringLiteral("document.querySelector('#site-tree .label')");
    QVERIFY(browser.WaitFor(label + QStringLiteral(" && !document.getElementById('site-document')"
                                                   ".hasAttribute('aria-busy')")));
    QCOMPARE(browser.Js(label + QStringLiteral(".textContent")).toString(), kTitle);
    QCOMPARE(
        browser.Js(QStringLiteral("document.getElementById('site-brand').textContent")).toString(),
        kTitle);
    QCOMPARE(browser.Js(QStringLiteral("document.title")).toString(), kTitle);
    QVERIFY(browser.WaitFor(
        QStringLiteral("document.getElementById('site-document').textContent.includes(%1)")
            .arg(JsText(kText))));
    QVERIFY2(browser.Errors().isEmpty(), qPrintable(browser.Errors().join(QLatin1Char('\n'))));
    QVERIFY(form.FormClose());
}

QTEST_MAIN(TestNewSitePublished)
#include "test_new_site_published.moc"
