// The publishing run against real servers started on 127.0.0.1 (and ::1):
// the order in which files reach the server, whole files through a
// temporary name, index held back while what it names is missing, guarded
// deletions, files changed by other programs, and listings real servers give.
#include "publish/ftp_client.h"
#include "publish/ftp_remote_folder.h"
#include "publish/publish_run.h"
#include "publish/site_trust.h"
#include "store/atomic_write.h"
#include "store/error.h"
#include "store/site_folder.h"
#include "tests/publish/local_ftp_server.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <sys/stat.h>

using namespace quillery;
Q_DECLARE_METATYPE(FtpServerKind)

namespace {

using Kind = TPublishEntry::Kind;

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void Write(const QString& path, const QByteArray& data) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(data) != data.size())
        qFatal("cannot write %s", qPrintable(path));
}

// An index naming the given pages.
QByteArray IndexOf(const QStringList& pages) {
    QByteArray text = "index=new Array(";
    for (const QString& page : pages)
        text += (page == pages.first() ? "" : ",") + QByteArray("new Array(\"T\",\"") +
                page.toLatin1() + "\",\"\",\"\",\"\",null)";
    return text + ");";
}

// A site of two pages, a picture, a style sheet and index, every file
// changed; its folder ends in '/'.
struct Site {
    QTemporaryDir folder;
    QString path = folder.path() + u'/';

    Site() {
        Put(QStringLiteral("index"), IndexOf({QStringLiteral("a.htm"), QStringLiteral("b.htm")}));
        Put(QStringLiteral("a.htm"), "<p>A</p>");
        Put(QStringLiteral("b.htm"), "<p>B <img src=pic.jpg></p>");
        Put(QStringLiteral("pic.jpg"), "picture");
        Put(QStringLiteral("site.css"), "p {}");
    }
    void Put(const QString& name, const QByteArray& data) const {
        WriteFileAtomically(path + name, data);
        SetChanged(path + name);
    }
    // Names and bytes of the site's files, as they should be on the server.
    QMap<QString, QByteArray> Files() const {
        QMap<QString, QByteArray> files;
        for (const QString& name : QDir(path).entryList(QDir::Files | QDir::Hidden))
            files.insert(name, ReadAll(path + name));
        return files;
    }
};

QMap<QString, QByteArray> FilesOn(const LocalFtpServer& server) {
    QMap<QString, QByteArray> files;
    const QString dir = server.LocalDirectory() + u'/';
    for (const QString& name : QDir(dir).entryList(QDir::Files | QDir::Hidden))
        files.insert(name, ReadAll(dir + name));
    return files;
}

// What reached the server, in order: "put NAME" once a file is under its
// final name (renamed from a temporary name, or stored under its own),
// "del NAME" for deletions of anything but temporary names.
QStringList Events(const LocalFtpServer& server) {
    QStringList events;
    for (const QString& command : server.ReceivedCommands()) {
        const QString argument = command.section(u' ', 1);
        const bool temporary = IsTemporaryRemoteName(argument.toStdString());
        if (command.startsWith(QStringLiteral("RNTO ")) ||
            (command.startsWith(QStringLiteral("STOR ")) && !temporary))
            events << QStringLiteral("put ") + argument;
        else if (command.startsWith(QStringLiteral("DELE ")) && !temporary)
            events << QStringLiteral("del ") + argument;
    }
    return events;
}

// Answers questions as told and can act once the run has its plan.
class Watcher final : public TPublishProgress {
public:
    void Planned(int) override {
        if (onPlanned)
            onPlanned();
    }
    bool Ask(const QString& text) override {
        questions << text;
        return answer;
    }
    std::function<void()> onPlanned;
    QStringList questions;
    bool answer = false;
};

TPublishReport Publish(const LocalFtpServer& server, const QString& site,
                       TPublishProgress& progress) {
    FtpClient client;
    ConfigureForPublishing(client);
    client.SetReadTimeout(std::chrono::milliseconds(20000));
    // The test's servers are plain FTP; the questions left are the run's own.
    AllowClearText(site);
    TFtpRemoteFolder folder(client);
    TPublishRun run(
        folder, site,
        {server.HostAndPort(), server.UserName(), server.Password(), server.RemoteDirectory()},
        progress, {});
    return run.Run();
}

TPublishReport Publish(const LocalFtpServer& server, const QString& site) {
    TPublishProgress progress;
    return Publish(server, site, progress);
}

QStringList Names(const TPublishReport& report, Kind kind) {
    QStringList names;
    for (const TPublishEntry& entry : report.entries)
        if (entry.kind == kind)
            names << entry.name;
    names.sort();
    return names;
}

QString Text(const TPublishReport& report) {
    return PublishReportText(report, QLocale::c());
}

bool CompletedWithoutErrors(const TPublishReport& report) {
    return report.outcome == TPublishOutcome::Completed && report.Failures() == 0;
}

void AddServers() {
    QTest::addColumn<FtpServerKind>("kind");
    QTest::addRow("vsftpd") << FtpServerKind::Vsftpd;
    QTest::addRow("pyftpdlib") << FtpServerKind::Pyftpdlib;
    QTest::addRow("proftpd") << FtpServerKind::Proftpd;
}

} // namespace

class TestPublishRun final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void pagesThenIndexThenDeletions_data() { AddServers(); }
    void pagesThenIndexThenDeletions();
    void serverThatRefusesRenaming_data();
    void serverThatRefusesRenaming();
    void failedPageKeepsIndexAndDeletions();
    void deletionQuestion_data();
    void deletionQuestion();
    void siteFolderGoneDeletesNothing();
    void pictureRewrittenElsewhereIsSent_data();
    void pictureRewrittenElsewhereIsSent();
    void emptyDirectoryAndDotFiles_data();
    void emptyDirectoryAndDotFiles();
    void publishingOverIPv6();

private:
    QTemporaryDir m_settings;
};

// Site keys go to a throwaway place.
void TestPublishRun::initTestCase() {
    QVERIFY(m_settings.isValid());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings.path());
}

void TestPublishRun::pagesThenIndexThenDeletions() {
    QFETCH(FtpServerKind, kind);
    const LocalFtpServer server(kind);
    const QString remote = server.LocalDirectory() + u'/';
    Write(remote + QStringLiteral("index"), IndexOf({QStringLiteral("old.htm")}));
    Write(remote + QStringLiteral("old.htm"), "old page");
    Write(remote + QStringLiteral("old.jpg"), "old picture");
    Write(remote + QStringLiteral("a.htm"), "old A");
    const Site site;

    const TPublishReport report = Publish(server, site.path);
    QVERIFY2(CompletedWithoutErrors(report), qPrintable(Text(report)));
    QCOMPARE(FilesOn(server), site.Files());
    const QStringList events = Events(server);
    QCOMPARE(events.size(), 7);
    QStringList pages = events.mid(0, 4);
    pages.sort();
    QCOMPARE(pages, QStringList({QStringLiteral("put a.htm"), QStringLiteral("put b.htm"),
                                 QStringLiteral("put pic.jpg"), QStringLiteral("put site.css")}));
    QCOMPARE(events[4], QStringLiteral("put index"));
    QStringList deletions = events.mid(5);
    deletions.sort();
    QCOMPARE(deletions,
             QStringList({QStringLiteral("del old.htm"), QStringLiteral("del old.jpg")}));
    QVERIFY(report.remarks.empty());

    // Published: the next run sends index alone and deletes nothing.
    const TPublishReport again = Publish(server, site.path);
    QVERIFY2(CompletedWithoutErrors(again), qPrintable(Text(again)));
    QCOMPARE(Events(server).mid(7), QStringList({QStringLiteral("put index")}));
}

void TestPublishRun::serverThatRefusesRenaming_data() {
    QTest::addColumn<bool>("refuseRename");
    QTest::addColumn<QString>("remark");
    QTest::addRow("RNFR refused") << true << QStringLiteral("без временного имени");
    QTest::addRow("renaming over a file refused") << false << QStringLiteral("удалялся");
}

void TestPublishRun::serverThatRefusesRenaming() {
    QFETCH(bool, refuseRename);
    QFETCH(QString, remark);
    FtpFaults faults;
    faults.refuseRename = refuseRename;
    faults.refuseReplace = !refuseRename;
    const LocalFtpServer server(FtpServerKind::Faulty, faults);
    const QString remote = server.LocalDirectory() + u'/';
    Write(remote + QStringLiteral("index"), IndexOf({QStringLiteral("a.htm")}));
    Write(remote + QStringLiteral("a.htm"), "old A");
    Write(remote + QStringLiteral("b.htm"), "old B");
    const Site site;

    const TPublishReport report = Publish(server, site.path);
    QVERIFY2(CompletedWithoutErrors(report), qPrintable(Text(report)));
    QCOMPARE(FilesOn(server), site.Files());
    QCOMPARE(report.remarks.size(), std::size_t(1));
    QVERIFY2(report.remarks.front().contains(remark), qPrintable(report.remarks.front()));
    QVERIFY(Text(report).contains(report.remarks.front()));
    QCOMPARE(Names(report, Kind::Uploaded).size(), 5);
}

void TestPublishRun::failedPageKeepsIndexAndDeletions() {
    FtpFaults faults;
    faults.refuseStore = {QStringLiteral("b.htm")};
    const LocalFtpServer server(FtpServerKind::Faulty, faults);
    const QString remote = server.LocalDirectory() + u'/';
    const QByteArray oldIndex = IndexOf({QStringLiteral("a.htm")});
    Write(remote + QStringLiteral("index"), oldIndex);
    Write(remote + QStringLiteral("stale.htm"), "stale");
    const Site site;

    const TPublishReport report = Publish(server, site.path);
    QCOMPARE(report.outcome, TPublishOutcome::Completed);
    QCOMPARE(report.Failures(), 1);
    QCOMPARE(ReadAll(remote + QStringLiteral("index")), oldIndex);
    QCOMPARE(ReadAll(remote + QStringLiteral("stale.htm")), QByteArray("stale"));
    QCOMPARE(Names(report, Kind::Held),
             QStringList({QStringLiteral("index"), QStringLiteral("stale.htm")}));
    QVERIFY2(Text(report).contains(QStringLiteral("b.htm")), qPrintable(Text(report)));
    QCOMPARE(FileAttributes(site.path + QStringLiteral("index")), std::uint32_t(kAttrNormal));
    QCOMPARE(FileAttributes(site.path + QStringLiteral("b.htm")), std::uint32_t(kAttrNormal));
    QVERIFY(IsPublishedWord(FileAttributes(site.path + QStringLiteral("a.htm"))));
    // The rest went up whole, and no temporary name stays.
    QCOMPARE(ReadAll(remote + QStringLiteral("pic.jpg")), QByteArray("picture"));
    for (const QString& name : FilesOn(server).keys())
        QVERIFY2(!IsTemporaryRemoteName(name.toStdString()), qPrintable(name));
}

void TestPublishRun::deletionQuestion_data() {
    QTest::addColumn<bool>("indexOnServer");
    QTest::addColumn<int>("strangers");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("asked");
    // Dir pointing at a directory of the host's own files.
    QTest::addRow("no index, answered Нет") << false << 3 << false << true;
    QTest::addRow("no index, answered Да") << false << 3 << true << true;
    QTest::addRow("most of the server, Нет") << true << 12 << false << true;
    QTest::addRow("a few stale files") << true << 10 << false << false;
}

void TestPublishRun::deletionQuestion() {
    QFETCH(bool, indexOnServer);
    QFETCH(int, strangers);
    QFETCH(bool, answer);
    QFETCH(bool, asked);
    const LocalFtpServer server(FtpServerKind::Pyftpdlib);
    const QString remote = server.LocalDirectory() + u'/';
    if (indexOnServer)
        Write(remote + QStringLiteral("index"), "index=new Array();");
    QStringList names;
    for (int i = 0; i < strangers; ++i) {
        names << QStringLiteral("host-%1.txt").arg(i, 2, 10, QLatin1Char('0'));
        Write(remote + names.last(), "theirs");
    }
    QVERIFY(QDir(remote).mkdir(QStringLiteral("cgi-bin")));
    const Site site;
    Watcher watcher;
    watcher.answer = answer;

    const TPublishReport report = Publish(server, site.path, watcher);
    QVERIFY2(CompletedWithoutErrors(report), qPrintable(Text(report)));
    QCOMPARE(watcher.questions.size(), asked ? 1 : 0);
    if (asked) {
        const QString question = watcher.questions.front();
        QVERIFY(question.startsWith(
            QString::fromUtf8("Удалить с сервера файлы, которых нет в папке сайта?")));
        for (const QString& name : names)
            QVERIFY2(question.contains(name), qPrintable(question));
        QVERIFY(question.endsWith(QString::fromUtf8("Всего файлов: %1").arg(strangers)));
    }
    const bool kept = asked && !answer;
    for (const QString& name : names)
        QCOMPARE(QFile::exists(remote + name), kept);
    QCOMPARE(Names(report, Kind::Kept), kept ? names : QStringList());
    QCOMPARE(Names(report, Kind::Deleted), kept ? QStringList() : names);
    QVERIFY(QFileInfo(remote + QStringLiteral("cgi-bin")).isDir());
    QCOMPARE(ReadAll(remote + QStringLiteral("index")),
             ReadAll(site.path + QStringLiteral("index")));
}

// The site folder goes away (an unplugged disk) once the run has its plan:
// what is on the server stays.
void TestPublishRun::siteFolderGoneDeletesNothing() {
    const LocalFtpServer server(FtpServerKind::Pyftpdlib);
    const QString remote = server.LocalDirectory() + u'/';
    Site site;
    QVERIFY(CompletedWithoutErrors(Publish(server, site.path)));
    Write(remote + QStringLiteral("stale.htm"), "stale");
    const QMap<QString, QByteArray> before = FilesOn(server);
    site.Put(QStringLiteral("a.htm"), "<p>A, edited</p>");
    const QString away = site.folder.path() + QStringLiteral("-away");
    Watcher watcher;
    watcher.onPlanned = [&] {
        QVERIFY(QDir().rename(site.folder.path(), away));
    };

    const TPublishReport report = Publish(server, site.path, watcher);
    QVERIFY(QDir().rename(away, site.folder.path()));
    QCOMPARE(FilesOn(server), before);
    QCOMPARE(Names(report, Kind::Deleted), QStringList());
    QVERIFY(Names(report, Kind::Held).contains(QStringLiteral("stale.htm")));
    QVERIFY(watcher.questions.isEmpty());
}

void TestPublishRun::pictureRewrittenElsewhereIsSent_data() {
    QTest::addColumn<QString>("how");
    QTest::addRow("written in place, mark kept") << "in place";
    QTest::addRow("same size, mark kept") << "same size";
    QTest::addRow("replaced through a rename, no mark") << "rename";
}

void TestPublishRun::pictureRewrittenElsewhereIsSent() {
    QFETCH(QString, how);
    const LocalFtpServer server(FtpServerKind::Vsftpd);
    const Site site;
    QVERIFY(CompletedWithoutErrors(Publish(server, site.path)));
    const QString picture = site.path + QStringLiteral("pic.jpg");
    QVERIFY(IsPublishedWord(FileAttributes(picture)));

    // Another program writes the picture.
    if (how == QLatin1String("rename")) {
        Write(site.path + QStringLiteral("edited.tmp"), "a new picture");
        QCOMPARE(::rename(QFile::encodeName(site.path + QStringLiteral("edited.tmp")).constData(),
                          QFile::encodeName(picture).constData()),
                 0);
    } else {
        Write(picture, how == QLatin1String("same size") ? "PICTURE" : "a new picture");
        // Whatever the clock's grain, the time differs from the mark's.
        const timespec times[2] = {{0, UTIME_OMIT}, {1900000000, 0}};
        QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(picture).constData(), times, 0), 0);
    }
    const TPublishReport report = Publish(server, site.path);
    QVERIFY2(CompletedWithoutErrors(report), qPrintable(Text(report)));
    QCOMPARE(Names(report, Kind::Uploaded),
             QStringList({QStringLiteral("index"), QStringLiteral("pic.jpg")}));
    QCOMPARE(ReadAll(server.LocalDirectory() + QStringLiteral("/pic.jpg")), ReadAll(picture));
    QVERIFY(IsPublishedWord(FileAttributes(picture)));
}

void TestPublishRun::emptyDirectoryAndDotFiles_data() {
    QTest::addColumn<FtpServerKind>("kind");
    QTest::addColumn<bool>("denyMlsd");
    QTest::addColumn<bool>("dotFilesListed");
    QTest::addRow("proftpd, MLSD") << FtpServerKind::Proftpd << false << true;
    // Its name listing answers 450 "No files found" in an empty directory.
    QTest::addRow("proftpd, name listing") << FtpServerKind::Proftpd << true << false;
    QTest::addRow("pyftpdlib, MLSD") << FtpServerKind::Pyftpdlib << false << true;
    QTest::addRow("vsftpd, name listing") << FtpServerKind::Vsftpd << false << false;
}

void TestPublishRun::emptyDirectoryAndDotFiles() {
    QFETCH(FtpServerKind, kind);
    QFETCH(bool, denyMlsd);
    QFETCH(bool, dotFilesListed);
    FtpFaults faults;
    faults.denyMlsd = denyMlsd;
    const LocalFtpServer server(kind, faults);
    const Site site;
    site.Put(QStringLiteral(".htaccess"), "Options -Indexes\n");

    const TPublishReport first = Publish(server, site.path);
    QVERIFY2(CompletedWithoutErrors(first), qPrintable(Text(first)));
    QVERIFY(PublishStatusText(first, QLocale::c())
                .startsWith(QString::fromUtf8("Синхронизация проведена ")));
    QCOMPARE(FilesOn(server), site.Files());

    // Sent once; listed, it is not sent again.
    const TPublishReport second = Publish(server, site.path);
    QVERIFY2(CompletedWithoutErrors(second), qPrintable(Text(second)));
    QCOMPARE(Names(second, Kind::Uploaded).contains(QStringLiteral(".htaccess")), !dotFilesListed);

    // Deleted locally, it goes from the server where the listing names it.
    QVERIFY(QFile::remove(site.path + QStringLiteral(".htaccess")));
    const TPublishReport third = Publish(server, site.path);
    QVERIFY2(CompletedWithoutErrors(third), qPrintable(Text(third)));
    QCOMPARE(QFile::exists(server.LocalDirectory() + QStringLiteral("/.htaccess")),
             !dotFilesListed);
}

void TestPublishRun::publishingOverIPv6() {
    std::optional<LocalFtpServer> server;
    try {
        server.emplace(FtpServerKind::VsftpdIPv6);
    } catch (const Error& error) {
        // Only a machine without ::1 may skip.
        QTcpServer probe;
        if (!probe.listen(QHostAddress::LocalHostIPv6, 0))
            QSKIP("::1 cannot be bound on this machine");
        QFAIL(error.what());
    }
    const Site site;
    const TPublishReport report = Publish(*server, site.path);
    QVERIFY2(CompletedWithoutErrors(report), qPrintable(Text(report)));
    QCOMPARE(FilesOn(*server), site.Files());
    QVERIFY(server->ReceivedCommands().contains(QStringLiteral("EPSV")));
    QVERIFY(!server->ReceivedCommands().contains(QStringLiteral("PASV")));
}

QTEST_GUILESS_MAIN(TestPublishRun)
#include "tst_publish_run.moc"
