// Publishing through the real main window: the FTP action, the account typed
// into the dialog, runs against real servers started on 127.0.0.1, and what
// the site folder, the server folder, the status and the report hold after.
#include "editor/engine.h"
#include "publish/publish_report.h"
#include "publish/publish_run.h"
#include "publish/publisher.h"
#include "publish/site_trust.h"
#include "shell/contents_commands.h"
#include "shell/ftp_dlg.h"
#include "shell/note_panel.h"
#include "shell/publish_command.h"
#include "shell/publish_report_dlg.h"
#include "store/ascii.h"
#include "store/settings_store.h"
#include "store/site_folder.h"
#include "tests/publish/local_ftp_server.h"
#include "tests/publish/test_certificate.h"
#include "tests/shell/shell_fixture.h"

#include <QAbstractButton>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <algorithm>
#include <functional>
#include <optional>
#include <sys/stat.h>

Q_DECLARE_METATYPE(FtpServerKind)

namespace quillery {
namespace {

const QString kA = QStringLiteral("0a1b2c3d-0000-4000-8000-00000000000a.htm");
const QString kB = QStringLiteral("0a1b2c3d-0000-4000-8000-00000000000b.htm");
const QString kDone = QStringLiteral("Синхронизация проведена ");

using Account = TFtpAccount;

Account AccountOf(const LocalFtpServer& server) {
    return {server.HostAndPort(), server.UserName(), server.Password(), server.RemoteDirectory()};
}

QString Utf8(const char* text) {
    return QString::fromUtf8(text);
}

// Every file of a folder (hidden ones too) with its bytes.
QMap<QString, QByteArray> FilesOf(const QString& folder) {
    QMap<QString, QByteArray> files;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden))
        files.insert(name, SiteFixture::ReadFile(dir.filePath(name)));
    return files;
}

// The site folder as the server should hold it: every file under its name
// with A to Z lower-cased.
QMap<QString, QByteArray> AsPublished(const QString& siteFolder) {
    QMap<QString, QByteArray> files;
    const QMap<QString, QByteArray> site = FilesOf(siteFolder);
    for (auto it = site.begin(); it != site.end(); ++it)
        files.insert(AsciiLower(it.key()), it.value());
    return files;
}

QStringList Only(const QStringList& commands, const QString& verb) {
    QStringList matching;
    for (const QString& command : commands)
        if (command.startsWith(verb + u' '))
            matching << command;
    return matching;
}

// The final name of an upload: a temporary name's part after its prefix.
QString FinalName(const QString& name) {
    return IsTemporaryRemoteName(name.toStdString()) ? name.section(u'-', 2) : name;
}

// The names that reached the server, in order: renamed from a temporary
// name, or stored under their own.
QStringList Arrivals(const QStringList& commands) {
    QStringList names;
    for (const QString& command : commands) {
        const QString argument = command.section(u' ', 1);
        if (command.startsWith(QStringLiteral("RNTO ")) ||
            (command.startsWith(QStringLiteral("STOR ")) && FinalName(argument) == argument))
            names << argument;
    }
    return names;
}

// The completion text for some second between from and to.
bool IsCompletionBetween(const QString& status, const QDateTime& from, const QDateTime& to) {
    for (QDateTime t = from.addSecs(-1); t <= to.addSecs(1); t = t.addSecs(1))
        if (status == kDone + FormatSyncMoment(t, QLocale::system()))
            return true;
    return false;
}

bool IsPublished(const QString& path) {
    return IsPublishedWord(FileAttributes(path));
}

QString SyncEntry(const SiteFixture& site) {
    const TIniView key(SiteKeyPath(site.SitePath()));
    return key.ReadText(QLatin1String(kSectionStatus), QLatin1String(kEntrySync));
}

// A site of two documents, a picture and a file whose name has capitals.
void WriteSmallSite(SiteFixture& site) {
    site.WriteFlatIndex({{QStringLiteral("Главная"), kA}, {QStringLiteral("Вторая"), kB}});
    SiteFixture::WriteFile(site.SiteFile(kA),
                           SiteFixture::Document(QStringLiteral("<P>Главная страница</P>")));
    SiteFixture::WriteFile(site.SiteFile(kB),
                           SiteFixture::Document(QStringLiteral("<P>Вторая страница</P>")));
    SiteFixture::WriteFile(site.SiteFile(QStringLiteral("apple.jpg")), SiteFixture::Jpeg(40, 30));
    SiteFixture::WriteFile(site.SiteFile(QStringLiteral("Notes.TXT")), "notes\r\n");
}

// Calls act once widget is shown. Polls without blocking: the command
// waits for the engine before it shows its dialog.
void WhenShown(QWidget* widget, std::function<void()> act) {
    auto* poll = new QTimer(widget);
    QObject::connect(poll, &QTimer::timeout, widget, [poll, widget, act = std::move(act)] {
        if (!widget->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        act();
    });
    poll->start(10);
}

// Answers the publishing dialog as a user would once it is up: types the
// fields given (nullopt leaves the stored text) and presses Enter, or Esc.
void AnswerDialog(TMainForm& form, std::optional<Account> account, bool confirm) {
    TFTPDlg* dialog = form.FTPDlg();
    WhenShown(dialog, [dialog, account, confirm] {
        if (account) {
            const std::pair<QLineEdit*, QString> fields[] = {
                {dialog->Host(), account->Host},
                {dialog->Username(), account->Username},
                {dialog->Password(), account->Password},
                {dialog->Dir(), account->Dir}};
            for (const auto& [edit, text] : fields) {
                edit->setFocus();
                edit->selectAll();
                QTest::keyClick(edit, Qt::Key_Delete);
                QTest::keyClicks(edit, text);
            }
        }
        QWidget* focus = dialog->focusWidget() ? dialog->focusWidget() : dialog;
        QTest::keyClick(focus, confirm ? Qt::Key_Return : Qt::Key_Escape);
    });
}

// Runs the FTP command to its end.
void Publish(TMainForm& form, std::optional<Account> account = std::nullopt) {
    AnswerDialog(form, std::move(account), true);
    form.ActionListEdit().FTP->trigger();
    if (!QTest::qWaitFor([&form] { return !form.PublishCommand().IsRunning(); }, 120000))
        qFatal("the publishing run never ended");
}

QAbstractButton* FtpButton(TMainForm& form) {
    return qobject_cast<QAbstractButton*>(
        form.ToolBarTree()->widgetForAction(form.ActionListEdit().FTP));
}

// A server that takes uploads at 256 KB a second.
FtpFaults SlowUploads() {
    FtpFaults faults;
    faults.throttle = 256 * 1024;
    return faults;
}

// A changed 1 MB file that is sent first: its upload takes seconds.
QByteArray WriteBigFirstFile(SiteFixture& site) {
    const QByteArray big(1024 * 1024, 'b');
    SiteFixture::WriteFile(site.SiteFile(QStringLiteral("0-big.bin")), big);
    SetChanged(site.SiteFile(QStringLiteral("0-big.bin")));
    return big;
}

// Publishes and returns once the big file is on its way.
void StartSlowRun(TMainForm& form, const LocalFtpServer& server) {
    AnswerDialog(form, AccountOf(server), true);
    form.ActionListEdit().FTP->trigger();
    if (!form.PublishCommand().IsRunning())
        qFatal("the run did not start");
    const auto bigUnderWay = [&] {
        const QStringList stores = Only(server.ReceivedCommands(), QStringLiteral("STOR"));
        return std::any_of(stores.begin(), stores.end(), [](const QString& command) {
            return FinalName(command.section(u' ', 1)) == QStringLiteral("0-big.bin");
        });
    };
    if (!QTest::qWaitFor(bigUnderWay, 30000))
        qFatal("the big file was never sent");
}

// Reads the report in its window, opened by a double click on panel 1, and
// closes the window with Esc.
QString ReportShownByDoubleClick(TMainForm& form) {
    QString shown;
    TPublishReportDlg* dialog = form.PublishReportDlg();
    WhenShown(dialog, [dialog, &shown] {
        shown = dialog->Text()->toPlainText();
        QTest::keyClick(dialog->focusWidget() ? dialog->focusWidget() : dialog, Qt::Key_Escape);
    });
    QTest::mouseDClick(form.StatusPanel(), Qt::LeftButton);
    return shown;
}

} // namespace

class TestPublishing final : public QObject {
    Q_OBJECT

private slots:
    void init() { testing::ResetAttributeRefusalState(); }

    void accountDialog();
    void firstRunSendsTheSiteThenOnlyWhatChanged_data();
    void firstRunSendsTheSiteThenOnlyWhatChanged();
    void cancelSendsNothingAndKeepsWhatWasTyped();
    void connectionErrors_data();
    void connectionErrors();
    void remoteCleanupAndCaseRules();
    void deletionQuestionInTheWindow();
    void refusedUploadIsReportedAndSentAgain();
    void refusedListingSendsEverything();
    void namesThatCannotBeSentFailAlone();
    void serverThatStopsAnswering();
    void stopEndsAfterTheCurrentFileAndHoldsOff();
    void closingDuringARunStopsItThenSaves();
    void progressTextStartsAtTheBarInEveryRun();
    void unknownCertificateIsAskedOnceThenPinned_data();
    void unknownCertificateIsAskedOnceThenPinned();
    void changedCertificateStopsBeforeTheLogin();
    void clearTextIsAskedOncePerSite();
};

namespace {

// What the dialog shows once it is up; Tab walks the fields in order.
void CheckAccountDialog(TMainForm& form) {
    TFTPDlg* dialog = form.FTPDlg();
    QCOMPARE(dialog->windowTitle(), Utf8("Синхронизация"));
    QVERIFY(dialog->windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
    QVERIFY(FtpButton(form)->isDown());
    const std::pair<QLineEdit*, const char*> fields[] = {{dialog->Host(), "Адрес ftp сервера:"},
                                                         {dialog->Username(), "Логин:"},
                                                         {dialog->Password(), "Пароль:"},
                                                         {dialog->Dir(), "Директория на сервере:"}};
    for (const auto& [edit, label] : fields) {
        QCOMPARE(dialog->focusWidget(), edit);
        const auto labels = dialog->findChildren<QLabel*>();
        const auto it = std::find_if(labels.begin(), labels.end(),
                                     [&](QLabel* l) { return l->buddy() == edit; });
        QVERIFY(it != labels.end());
        QCOMPARE((*it)->text(), Utf8(label));
        QVERIFY((*it)->geometry().right() < edit->geometry().left());
        QTest::keyClick(edit, Qt::Key_Tab);
    }
    QCOMPARE(dialog->focusWidget(), dialog->OKBtn());
    QCOMPARE(dialog->OKBtn()->text(), QStringLiteral("OK"));
    QCOMPARE(dialog->CancelBtn()->text(), Utf8("Отмена"));
    // The password shows a star for each typed character.
    QCOMPARE(dialog->Password()->echoMode(), QLineEdit::Password);
    QStyleOptionFrame option;
    option.initFrom(dialog->Password());
    QCOMPARE(dialog->Password()->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, &option,
                                                    dialog->Password()),
             int('*'));
}

} // namespace

void TestPublishing::accountDialog() {
    SiteFixture site;
    AllowClearText(site.SitePath());
    WriteSmallSite(site);
    auto form = site.OpenForm();
    TFTPDlg* dialog = form->FTPDlg();
    bool shown = false;
    WhenShown(dialog, [&] {
        shown = true;
        CheckAccountDialog(*form);
        QTest::keyClick(dialog->focusWidget() ? dialog->focusWidget() : dialog, Qt::Key_Escape);
    });
    form->ActionListEdit().FTP->trigger();
    QVERIFY(shown);
    QVERIFY(!dialog->isVisible());
    QVERIFY(!FtpButton(*form)->isDown());
}

void TestPublishing::firstRunSendsTheSiteThenOnlyWhatChanged_data() {
    QTest::addColumn<FtpServerKind>("kind");
    QTest::addRow("vsftpd") << FtpServerKind::Vsftpd;
    QTest::addRow("pyftpdlib") << FtpServerKind::Pyftpdlib;
    QTest::addRow("proftpd") << FtpServerKind::Proftpd;
}

void TestPublishing::firstRunSendsTheSiteThenOnlyWhatChanged() {
    QFETCH(FtpServerKind, kind);
    const LocalFtpServer server(kind);
    SiteFixture site;
    AllowClearText(site.SitePath());
    WriteSmallSite(site);
    auto form = site.OpenForm();

    const QDateTime started = QDateTime::currentDateTime();
    Publish(*form, AccountOf(server));
    QVERIFY2(site.asker.errors.isEmpty(), qPrintable(site.asker.errors.join(u'\n')));
    QCOMPARE(FilesOf(server.LocalDirectory()), AsPublished(site.SitePath()));
    QVERIFY(FilesOf(server.LocalDirectory()).contains(QStringLiteral("notes.txt")));
    const QStringList firstRun = Arrivals(server.ReceivedCommands());
    QCOMPARE(firstRun.size(), FilesOf(server.LocalDirectory()).size());
    QCOMPARE(firstRun.last(), QStringLiteral("index"));
    const QString status = form->StatusPanel()->text();
    QVERIFY2(IsCompletionBetween(status, started, QDateTime::currentDateTime()),
             qPrintable(status));
    QCOMPARE(SyncEntry(site), status);
    QVERIFY(IsPublished(site.SiteFile(QStringLiteral("index"))));
    QVERIFY(IsPublished(site.SiteFile(kA)));
    QVERIFY(!FtpButton(*form)->isDown());
    QVERIFY(!form->PublishCommand().RunIndicator()->isVisible());

    // Nothing edited: index and the open document, which leaving saved.
    Publish(*form);
    const QStringList secondRun = Arrivals(server.ReceivedCommands()).mid(firstRun.size());
    QCOMPARE(secondRun, QStringList({kA, QStringLiteral("index")}));
    QVERIFY(Only(server.ReceivedCommands(), QStringLiteral("DELE")).isEmpty());

    // What the user types reaches the server.
    SiteFixture::TypeIntoDocument(*form, QStringLiteral("typed before publishing"));
    Publish(*form);
    QVERIFY(SiteFixture::ReadFile(server.LocalDirectory() + u'/' + kA)
                .contains("typed before publishing"));
    QCOMPARE(FilesOf(server.LocalDirectory()), AsPublished(site.SitePath()));
}

void TestPublishing::cancelSendsNothingAndKeepsWhatWasTyped() {
    const LocalFtpServer server(FtpServerKind::Pyftpdlib);
    SiteFixture site;
    AllowClearText(site.SitePath());
    WriteSmallSite(site);
    auto form = site.OpenForm();
    const QString before = form->StatusPanel()->text();

    AnswerDialog(*form, AccountOf(server), false);
    form->ActionListEdit().FTP->trigger();
    QVERIFY(!form->PublishCommand().IsRunning());
    QVERIFY(!FtpButton(*form)->isDown());
    QCOMPARE(form->StatusPanel()->text(), before);
    QVERIFY(SyncEntry(site).isEmpty());
    QVERIFY(server.ReceivedCommands().isEmpty());
    QVERIFY(FilesOf(server.LocalDirectory()).isEmpty());
    // The account was stored as it was typed, and comes back next time.
    const TIniView key(SiteKeyPath(site.SitePath()));
    QCOMPARE(key.ReadText(QLatin1String(kSectionFtp), QLatin1String(kEntryHost)),
             AccountOf(server).Host);
    QCOMPARE(key.ReadText(QLatin1String(kSectionFtp), QLatin1String(kEntryPassword)),
             server.Password());
    Publish(*form);
    QCOMPARE(FilesOf(server.LocalDirectory()), AsPublished(site.SitePath()));
}

void TestPublishing::connectionErrors_data() {
    QTest::addColumn<FtpServerKind>("kind");
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("dir");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("reason");
    const QString connect = Utf8(kConnectErrorStatus);
    const QString directory = Utf8(kDirectoryErrorStatus);
    // An empty text stands for the server's own value.
    QTest::addRow("refused login")
        << FtpServerKind::Pyftpdlib << QString() << QStringLiteral("wrong") << QString() << connect
        << QStringLiteral("530");
    QTest::addRow("nothing listening")
        << FtpServerKind::Pyftpdlib << QStringLiteral("127.0.0.1:1") << QString() << QString()
        << connect << QStringLiteral("Cannot connect");
    QTest::addRow("port that is no number")
        << FtpServerKind::Pyftpdlib << QStringLiteral("127.0.0.1:ftp") << QString() << QString()
        << connect << QStringLiteral("порта");
    QTest::addRow("missing directory")
        << FtpServerKind::Vsftpd << QString() << QString() << QStringLiteral("no-such-dir")
        << directory << QStringLiteral("550");
    QTest::addRow("empty directory") << FtpServerKind::Vsftpd << QString() << QString()
                                     << QStringLiteral("\x01") << directory << QStringLiteral("5");
}

void TestPublishing::connectionErrors() {
    QFETCH(FtpServerKind, kind);
    QFETCH(QString, host);
    QFETCH(QString, password);
    QFETCH(QString, dir);
    QFETCH(QString, status);
    QFETCH(QString, reason);
    const LocalFtpServer server(kind);
    SiteFixture site;
    AllowClearText(site.SitePath());
    WriteSmallSite(site);
    auto form = site.OpenForm();
    Account account = AccountOf(server);
    if (!host.isEmpty())
        account.Host = host;
    if (!password.isEmpty())
        account.Password = password;
    if (!dir.isEmpty())
        account.Dir = dir == QStringLiteral("\x01") ? QString() : dir;

    Publish(*form, account);
    QCOMPARE(form->StatusPanel()->text(), status);
    QVERIFY(SyncEntry(site).isEmpty());
    QVERIFY(Only(server.ReceivedCommands(), QStringLiteral("STOR")).isEmpty());
    QVERIFY(FilesOf(server.LocalDirectory()).isEmpty());
    const QString report = ReportShownByDoubleClick(*form);
    QVERIFY2(report.contains(reason), qPrintable(report));
    if (dir == QStringLiteral("\x01"))
        QVERIFY(server.ReceivedCommands().contains(QStringLiteral("CWD")) ||
                server.ReceivedCommands().contains(QStringLiteral("CWD ")));
}

void TestPublishing::remoteCleanupAndCaseRules() {
    FtpFaults extraNames;
    extraNames.listExtra = {QStringLiteral("img/a.jpg"), QStringLiteral("/x.htm"),
                            QStringLiteral("C:y.htm"), QStringLiteral("sub\\z.htm")};
    const LocalFtpServer server(FtpServerKind::Faulty, extraNames);
    const QString remote = server.LocalDirectory() + u'/';
    SiteFixture site;
    AllowClearText(site.SitePath());
    WriteSmallSite(site);
    // On the server already: the capitalised file under another case, a
    // file with the same name, a read-only file, a stale page and a folder.
    SiteFixture::WriteFile(remote + QStringLiteral("Notes.txt"), "old notes");
    SiteFixture::WriteFile(remote + QStringLiteral("apple.jpg"), "old picture");
    SiteFixture::WriteFile(remote + QStringLiteral("ro.txt"), "old read-only");
    SiteFixture::WriteFile(remote + QStringLiteral("stale.htm"), "gone locally");
    SiteFixture::WriteFile(remote + QStringLiteral("index"), "index=new Array();");
    QVERIFY(QDir(remote).mkdir(QStringLiteral("cgi-bin")));
    SetChanged(site.SiteFile(QStringLiteral("Notes.TXT")));
    QVERIFY(SetPublished(site.SiteFile(QStringLiteral("apple.jpg"))));
    SiteFixture::WriteFile(site.SiteFile(QStringLiteral("ro.txt")), "new read-only");
    QVERIFY(::chmod(QFile::encodeName(site.SiteFile(QStringLiteral("ro.txt"))).constData(), 0444) ==
            0);
    // Never sent: a folder, a discarded file, a half-written file of a crash.
    QVERIFY(QDir(site.SitePath()).mkdir(QStringLiteral("drafts")));
    SiteFixture::WriteFile(site.SiteFile(QStringLiteral("drafts/page.htm")), "draft");
    SiteFixture::WriteFile(site.SiteFile(QStringLiteral("dropped.jpg")), "dropped");
    SetDiscarded(site.SiteFile(QStringLiteral("dropped.jpg")));
    SiteFixture::WriteFile(site.SiteFile(QStringLiteral(".~quillery-a1b2c3")), "half");
    auto form = site.OpenForm();

    Publish(*form, AccountOf(server));
    QVERIFY2(form->StatusPanel()->text().startsWith(kDone),
             qPrintable(form->StatusPanel()->text()));
    const QMap<QString, QByteArray> onServer = FilesOf(remote);
    // Another case on the server: deleted, sent under the lower-case name,
    // the local state left as it was.
    QVERIFY(!onServer.contains(QStringLiteral("Notes.txt")));
    QCOMPARE(onServer.value(QStringLiteral("notes.txt")), QByteArray("notes\r\n"));
    QCOMPARE(FileAttributes(site.SiteFile(QStringLiteral("Notes.TXT"))),
             std::uint32_t(kAttrNormal));
    // Published and on the server under its name: not sent.
    QCOMPARE(onServer.value(QStringLiteral("apple.jpg")), QByteArray("old picture"));
    // Read-only counts as changed: sent, then published and writable.
    QCOMPARE(onServer.value(QStringLiteral("ro.txt")), QByteArray("new read-only"));
    QCOMPARE(FileAttributes(site.SiteFile(QStringLiteral("ro.txt"))), std::uint32_t(kAttrArchive));
    for (const QString& name : {QStringLiteral("drafts"), QStringLiteral("dropped.jpg"),
                                QStringLiteral(".~quillery-a1b2c3")})
        QVERIFY2(!QFileInfo::exists(remote + name), qPrintable(name));
    // Stale files go; folders and names with a directory part stay.
    QVERIFY(!onServer.contains(QStringLiteral("stale.htm")));
    QVERIFY(QFileInfo(remote + QStringLiteral("cgi-bin")).isDir());
    const QStringList deletions = Only(server.ReceivedCommands(), QStringLiteral("DELE"));
    // The other case goes on the way to its upload; the folder is known
    // from the listing and not tried.
    QCOMPARE(deletions,
             QStringList({QStringLiteral("DELE Notes.txt"), QStringLiteral("DELE stale.htm")}));
    const QString report = form->PublishCommand().LastReportText();
    QVERIFY2(report.contains(QStringLiteral("cgi-bin")), qPrintable(report));
    QVERIFY(!report.contains(Utf8("Ошибки")));
}

// Dir names a directory of the host's own files: the question comes from
// the run's thread to the window, and Нет keeps them.
void TestPublishing::deletionQuestionInTheWindow() {
    const LocalFtpServer server(FtpServerKind::Vsftpd);
    const QString remote = server.LocalDirectory() + u'/';
    const QStringList theirs = {QStringLiteral("host.cfg"), QStringLiteral("welcome.html")};
    for (const QString& name : theirs)
        SiteFixture::WriteFile(remote + name, "the host's");
    SiteFixture site;
    AllowClearText(site.SitePath());
    WriteSmallSite(site);
    auto form = site.OpenForm();

    Publish(*form, AccountOf(server));
    QCOMPARE(site.asker.questions.size(), 1);
    const QString question = site.asker.questions.front();
    QVERIFY(question.startsWith(Utf8("Удалить с сервера файлы, которых нет в папке сайта?")));
    for (const QString& name : theirs) {
        QVERIFY2(question.contains(name), qPrintable(question));
        QVERIFY(QFileInfo::exists(remote + name));
    }
    QVERIFY(form->StatusPanel()->text().startsWith(kDone));
    QVERIFY(form->PublishCommand().LastReportText().contains(
        Utf8("Оставлены на сервере по ответу «Нет» (2)")));

    // The answer held for that run only: the directory now holds the
    // site's index, and two files are no reason to ask.
    Publish(*form);
    QCOMPARE(site.asker.questions.size(), 1);
    for (const QString& name : theirs)
        QVERIFY(!QFileInfo::exists(remote + name));
}

void TestPublishing::refusedUploadIsReportedAndSentAgain() {
    FtpFaults refuse;
    refuse.refuseStore = {QStringLiteral("notes.txt")};
    const LocalFtpServer server(FtpServerKind::Faulty, refuse);
    SiteFixture site;
    AllowClearText(site.SitePath());
    WriteSmallSite(site);
    SetChanged(site.SiteFile(QStringLiteral("Notes.TXT")));
    auto form = site.OpenForm();

    Publish(*form, AccountOf(server));
    const QString status = form->StatusPanel()->text();
    QVERIFY2(status.startsWith(Utf8("Синхронизация проведена с ошибками (1) ")),
             qPrintable(status));
    QCOMPARE(SyncEntry(site), status);
    QVERIFY(form->StatusPanel()->toolTip().contains(Utf8("ошибок: 1")));
    const QString report = ReportShownByDoubleClick(*form);
    QVERIFY2(report.contains(QStringLiteral("Notes.TXT")), qPrintable(report));
    QVERIFY2(report.contains(QStringLiteral("553 Could not create file.")), qPrintable(report));
    QCOMPARE(ReadLastReport(site.SitePath()), report);
    QCOMPARE(FileAttributes(site.SiteFile(QStringLiteral("Notes.TXT"))),
             std::uint32_t(kAttrNormal));
    QVERIFY(IsPublished(site.SiteFile(kB)));

    // The next run tries it again; what went up is not sent again.
    const int before = int(server.ReceivedCommands().size());
    Publish(*form);
    QStringList again;
    for (const QString& command :
         Only(server.ReceivedCommands().mid(before), QStringLiteral("STOR")))
        again << FinalName(command.section(u' ', 1));
    QCOMPARE(again, QStringList({kA, QStringLiteral("notes.txt"), QStringLiteral("index")}));
}

void TestPublishing::refusedListingSendsEverything() {
    FtpFaults refuse;
    refuse.refuseList = true;
    const LocalFtpServer server(FtpServerKind::Faulty, refuse);
    SiteFixture site;
    AllowClearText(site.SitePath());
    WriteSmallSite(site);
    SiteFixture::WriteFile(server.LocalDirectory() + QStringLiteral("/stale.htm"), "stays");
    auto form = site.OpenForm();

    Publish(*form, AccountOf(server));
    QVERIFY2(
        form->StatusPanel()->text().startsWith(Utf8("Синхронизация проведена с ошибками (1) ")),
        qPrintable(form->StatusPanel()->text()));
    QMap<QString, QByteArray> expected = AsPublished(site.SitePath());
    expected.insert(QStringLiteral("stale.htm"), "stays");
    QCOMPARE(FilesOf(server.LocalDirectory()), expected);
    QVERIFY(
        form->PublishCommand().LastReportText().contains(QStringLiteral("451 Listing refused.")));
}

void TestPublishing::namesThatCannotBeSentFailAlone() {
    const LocalFtpServer server(FtpServerKind::Pyftpdlib);
    SiteFixture site;
    AllowClearText(site.SitePath());
    WriteSmallSite(site);
    SiteFixture::WriteFile(site.SiteFile(QStringLiteral("bad\nname.txt")), "x");
    SetChanged(site.SiteFile(QStringLiteral("bad\nname.txt")));
    auto form = site.OpenForm();

    Publish(*form, AccountOf(server));
    QVERIFY2(
        form->StatusPanel()->text().startsWith(Utf8("Синхронизация проведена с ошибками (1) ")),
        qPrintable(form->StatusPanel()->text()));
    for (const QString& command : server.ReceivedCommands())
        QVERIFY2(!command.contains(QStringLiteral("name.txt")), qPrintable(command));
    QMap<QString, QByteArray> expected = AsPublished(site.SitePath());
    expected.remove(QStringLiteral("bad\nname.txt"));
    QCOMPARE(FilesOf(server.LocalDirectory()), expected);
    QCOMPARE(FileAttributes(site.SiteFile(QStringLiteral("bad\nname.txt"))),
             std::uint32_t(kAttrNormal));
}

void TestPublishing::serverThatStopsAnswering() {
    FtpFaults hang;
    hang.hangOn = QStringLiteral("MLSD");
    const LocalFtpServer server(FtpServerKind::Faulty, hang);
    SiteFixture site;
    AllowClearText(site.SitePath());
    WriteSmallSite(site);
    auto form = site.OpenForm();
    form->IdFTP().SetReadTimeout(std::chrono::milliseconds(2000));

    // The event loop keeps turning while the server says nothing.
    int turns = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&turns] { ++turns; });
    ticker.start(20);
    QElapsedTimer waited;
    waited.start();
    Publish(*form, AccountOf(server));
    ticker.stop();
    QVERIFY2(waited.elapsed() >= 2000, "the run ended before the time limit");
    QVERIFY2(turns >= 20, qPrintable(QString::number(turns)));
    const QString status = form->StatusPanel()->text();
    QVERIFY2(status.startsWith(Utf8("Синхронизация прервана с ошибками (1) ")), qPrintable(status));
    QCOMPARE(SyncEntry(site), status);
    QVERIFY(!IsPublished(site.SiteFile(QStringLiteral("index"))));
    QVERIFY(!IsPublished(site.SiteFile(kA)));
}

void TestPublishing::stopEndsAfterTheCurrentFileAndHoldsOff() {
    const LocalFtpServer server(FtpServerKind::Faulty, SlowUploads());
    SiteFixture site;
    AllowClearText(site.SitePath());
    WriteSmallSite(site);
    const QByteArray big = WriteBigFirstFile(site);
    SetChanged(site.SiteFile(QStringLiteral("Notes.TXT")));
    auto form = site.OpenForm();
    TTreeNode* first = form->Tree().Root(0);

    StartSlowRun(*form, server);

    // Held off meanwhile, and said why.
    SiteFixture::Select(*form, form->Tree().Root(1));
    QCOMPARE(form->Commands().Selected(), first);
    QVERIFY(!form->HintPanel()->text().isEmpty());
    QVERIFY(!form->ActionListEdit().NewItem->isEnabled());
    QVERIFY(!form->ActionListEdit().FTP->isEnabled());
    QVERIFY(!form->Panel4()->isEnabled());
    QVERIFY(form->TreeView()->editTriggers() == QAbstractItemView::NoEditTriggers);
    QVERIFY(form->PublishCommand().RunIndicator()->isVisible());

    QTest::mouseClick(form->PublishCommand().StopButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!form->PublishCommand().IsRunning(), 30000);
    const QString status = form->StatusPanel()->text();
    QVERIFY2(status.startsWith(Utf8("Синхронизация остановлена ")), qPrintable(status));
    // The file under way went up whole; what came after did not.
    QCOMPARE(SiteFixture::ReadFile(server.LocalDirectory() + QStringLiteral("/0-big.bin")), big);
    QVERIFY(IsPublished(site.SiteFile(QStringLiteral("0-big.bin"))));
    QVERIFY(!QFileInfo::exists(server.LocalDirectory() + QStringLiteral("/notes.txt")));
    QVERIFY(!QFileInfo::exists(server.LocalDirectory() + QStringLiteral("/index")));
    QCOMPARE(FileAttributes(site.SiteFile(QStringLiteral("Notes.TXT"))),
             std::uint32_t(kAttrNormal));
    QTRY_VERIFY(server.ReceivedCommands().contains(QStringLiteral("QUIT")));
    QVERIFY(form->PublishCommand().LastReportText().contains(QStringLiteral("Notes.TXT")));

    // Everything is back.
    QVERIFY(form->ActionListEdit().NewItem->isEnabled());
    QVERIFY(form->ActionListEdit().FTP->isEnabled());
    QVERIFY(form->Panel4()->isEnabled());
    QVERIFY(!form->PublishCommand().RunIndicator()->isVisible());
    SiteFixture::Select(*form, form->Tree().Root(1));
    QCOMPARE(form->Commands().Selected(), form->Tree().Root(1));
}

void TestPublishing::closingDuringARunStopsItThenSaves() {
    const LocalFtpServer server(FtpServerKind::Faulty, SlowUploads());
    SiteFixture site;
    AllowClearText(site.SitePath());
    WriteSmallSite(site);
    WriteBigFirstFile(site);
    SiteFixture::WriteFile(site.SiteFile(QStringLiteral("discarded.txt")), "x");
    SetDiscarded(site.SiteFile(QStringLiteral("discarded.txt")));
    auto form = site.OpenForm();

    StartSlowRun(*form, server);
    QVERIFY(!form->close());
    QVERIFY(form->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!form->isVisible(), 30000);
    QVERIFY(form->StatusPanel()->text().startsWith(Utf8("Синхронизация остановлена ")));
    // Closed as usual afterwards: the document saved, discarded files gone.
    QCOMPARE(FileAttributes(site.SiteFile(kA)), std::uint32_t(kAttrNormal));
    QVERIFY(!QFileInfo::exists(site.SiteFile(QStringLiteral("discarded.txt"))));
}

void TestPublishing::progressTextStartsAtTheBarInEveryRun() {
    const LocalFtpServer server(FtpServerKind::Pyftpdlib);
    SiteFixture site;
    AllowClearText(site.SitePath());
    WriteSmallSite(site);
    auto form = site.OpenForm();
    QStringList shown;
    QObject::connect(&form->Publisher(), &TPublisher::ProgressStep, form.get(),
                     [&] { shown << form->StatusPanel()->text(); });
    const QStringList turns = {Utf8("Синхронизация |"), Utf8("Синхронизация /"),
                               Utf8("Синхронизация -"), Utf8("Синхронизация \\")};

    Publish(*form, AccountOf(server));
    for (int i = 0; i < shown.size(); ++i)
        QCOMPARE(shown[i], turns[i % 4]);
    QVERIFY2(shown.size() % 4 != 0, "the first run must end away from '|' for this test to show");
    shown.clear();
    Publish(*form);
    QVERIFY(!shown.isEmpty());
    QCOMPARE(shown.first(), turns[0]);
}

} // namespace quillery

namespace quillery {
namespace {

// The questions asked so far, the fixture answering from its list.
QStringList Questions(const SiteFixture& site) {
    return site.asker.questions;
}

bool SentCredentials(const LocalFtpServer& server) {
    const QStringList commands = server.ReceivedCommands();
    return !commands.filter(QRegularExpression(QStringLiteral("^(USER|PASS)"))).isEmpty();
}

} // namespace

void TestPublishing::unknownCertificateIsAskedOnceThenPinned_data() {
    QTest::addColumn<FtpServerKind>("kind");
    QTest::addColumn<bool>("implicit");
    QTest::addRow("vsftpd") << FtpServerKind::Vsftpd << false;
    QTest::addRow("vsftpd, ftps://") << FtpServerKind::Vsftpd << true;
    QTest::addRow("pyftpdlib") << FtpServerKind::Pyftpdlib << false;
}

void TestPublishing::unknownCertificateIsAskedOnceThenPinned() {
    QFETCH(FtpServerKind, kind);
    QFETCH(bool, implicit);
    const TestCertificate certificate;
    const LocalFtpServer server(
        kind, FtpServerTls{certificate.CertificatePath(), certificate.KeyPath(), implicit});
    SiteFixture site;
    WriteSmallSite(site);
    auto form = site.OpenForm();
    Account account = AccountOf(server);
    if (implicit)
        account.Host = QStringLiteral("ftps://") + account.Host;

    site.asker.answers = {true};
    Publish(*form, account);
    QCOMPARE(Questions(site).size(), 1);
    const QString question = Questions(site).front();
    QVERIFY2(question.contains(QString::fromStdString(certificate.Fingerprint())),
             qPrintable(question));
    QVERIFY2(question.contains(QStringLiteral("CN=Quillery test server")), qPrintable(question));
    QVERIFY2(question.contains(Utf8("самим сервером")), qPrintable(question));
    QVERIFY2(form->StatusPanel()->text().startsWith(kDone),
             qPrintable(form->StatusPanel()->text()));
    QCOMPARE(FilesOf(server.LocalDirectory()), AsPublished(site.SitePath()));
    const QString report = form->PublishCommand().LastReportText();
    QVERIFY2(report.contains(QStringLiteral("TLSv1.")) &&
                 report.contains(Utf8("сертификат закреплён")),
             qPrintable(report));

    // Trusted now: the next run asks nothing.
    SiteFixture::TypeIntoDocument(*form, QStringLiteral("second run"));
    Publish(*form);
    QCOMPARE(Questions(site).size(), 1);
    QVERIFY(form->StatusPanel()->text().startsWith(kDone));
    QVERIFY(SiteFixture::ReadFile(server.LocalDirectory() + u'/' + kA).contains("second run"));
}

// The site trusts one certificate; a server presenting another is refused
// before any credential goes out, the warning showing both fingerprints.
void TestPublishing::changedCertificateStopsBeforeTheLogin() {
    const TestCertificate trusted;
    const TestCertificate other;
    const LocalFtpServer server(FtpServerKind::Vsftpd,
                                FtpServerTls{other.CertificatePath(), other.KeyPath()});
    SiteFixture site;
    WriteSmallSite(site);
    PinCertificate(site.SitePath(), trusted.Fingerprint());
    auto form = site.OpenForm();

    Publish(*form, AccountOf(server));
    QCOMPARE(Questions(site).size(), 1);
    const QString warning = Questions(site).front();
    QVERIFY2(warning.contains(Utf8("перехватывает")), qPrintable(warning));
    QVERIFY(warning.contains(QString::fromStdString(trusted.Fingerprint())));
    QVERIFY(warning.contains(QString::fromStdString(other.Fingerprint())));
    QVERIFY2(!SentCredentials(server), qPrintable(server.ReceivedCommands().join(u',')));
    QCOMPARE(form->StatusPanel()->text(), QString::fromUtf8(kCertificateDeclinedStatus));
    QVERIFY(FilesOf(server.LocalDirectory()).isEmpty());
    QCOMPARE(ReadSiteTrust(site.SitePath()).pinnedCertificate, trusted.Fingerprint());
}

void TestPublishing::clearTextIsAskedOncePerSite() {
    const LocalFtpServer server(FtpServerKind::Pyftpdlib);
    SiteFixture site;
    WriteSmallSite(site);
    auto form = site.OpenForm();

    Publish(*form, AccountOf(server));
    QCOMPARE(Questions(site), QStringList{ClearTextQuestion()});
    QVERIFY2(!SentCredentials(server), qPrintable(server.ReceivedCommands().join(u',')));
    QCOMPARE(form->StatusPanel()->text(), QString::fromUtf8(kClearTextDeclinedStatus));
    QVERIFY(FilesOf(server.LocalDirectory()).isEmpty());

    site.asker.answers = {true};
    Publish(*form);
    QCOMPARE(Questions(site).size(), 2);
    QVERIFY(form->StatusPanel()->text().startsWith(kDone));
    QCOMPARE(FilesOf(server.LocalDirectory()), AsPublished(site.SitePath()));
    QVERIFY(form->PublishCommand().LastReportText().contains(Utf8("без шифрования")));

    Publish(*form);
    QCOMPARE(Questions(site).size(), 2);
    QVERIFY(form->StatusPanel()->text().startsWith(kDone));
}

} // namespace quillery

QTEST_MAIN(quillery::TestPublishing)
#include "test_publishing.moc"
