// A publishing run killed with SIGKILL in the middle of a large upload
// leaves no truncated file under a final name, the old index in place and
// no file marked published that the server did not confirm; the next run
// completes the site and leaves no temporary name behind.
#include "store/atomic_write.h"
#include "store/site_folder.h"
#include "tests/publish/local_ftp_server.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace quillery;

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray Random(qsizetype size, quint32 seed) {
    QByteArray data(size, Qt::Uninitialized);
    QRandomGenerator(seed).fillRange(reinterpret_cast<quint32*>(data.data()), size / 4);
    return data;
}

} // namespace

class TestPublishKilled : public QObject {
    Q_OBJECT

private slots:
    void killedDuringAnUpload();

private:
    void StartChild(QProcess& child, const QString& site, const LocalFtpServer& server) {
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // The child's site key (clear text allowed) goes to a throwaway place.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_settings.path());
        child.setProcessEnvironment(environment);
        child.start(QStringLiteral(QUILLERY_PUBLISH_CHILD),
                    {site, server.HostAndPort(), server.UserName(), server.Password(),
                     server.RemoteDirectory()});
        QVERIFY(child.waitForStarted(10000));
    }

    QTemporaryDir m_settings;
};

// Names in the server's directory that are the run's temporary files.
QStringList TemporaryNames(const LocalFtpServer& server) {
    return QDir(server.LocalDirectory()).entryList({QStringLiteral("_quillery-*")}, QDir::Files);
}

void TestPublishKilled::killedDuringAnUpload() {
    FtpFaults slow;
    slow.throttle = 256 * 1024;
    const LocalFtpServer server(FtpServerKind::Faulty, slow);
    QTemporaryDir folder;
    const QString site = folder.path() + u'/';
    const QString remote = server.LocalDirectory() + u'/';
    const auto write = [&](const QMap<QString, QByteArray>& files) {
        for (auto it = files.begin(); it != files.end(); ++it) {
            WriteFileAtomically(site + it.key(), it.value());
            QVERIFY(SetChanged(site + it.key()));
        }
    };
    const QMap<QString, QByteArray> old = {
        {QStringLiteral("a.htm"), Random(10 * 1024, 1)},
        {QStringLiteral("b.jpg"), Random(20 * 1024, 2)},
        {QStringLiteral("index"),
         QByteArray("index=new Array(new Array(\"A\",\"a.htm\",\"\",\"\",\"\",null));")},
        {QStringLiteral("z-big.bin"), Random(1024, 3)},
    };
    write(old);
    QProcess first;
    StartChild(first, site, server);
    QVERIFY(first.waitForFinished(60000));
    QCOMPARE(first.exitCode(), 0);

    // A new version of every file; the big one takes seconds to go up.
    QMap<QString, QByteArray> files = {
        {QStringLiteral("a.htm"), Random(10 * 1024, 4)},
        {QStringLiteral("b.jpg"), Random(20 * 1024, 5)},
        {QStringLiteral("c.htm"), Random(1024, 6)},
        {QStringLiteral("index"),
         QByteArray("index=new Array(new Array(\"A\",\"a.htm\",\"\",\"\",\"\",null),"
                    "new Array(\"C\",\"c.htm\",\"\",\"\",\"\",null));")},
        {QStringLiteral("z-big.bin"), Random(2 * 1024 * 1024, 7)},
    };
    write(files);
    QProcess second;
    StartChild(second, site, server);
    const auto bigUnderWay = [&] {
        const QStringList temporary = TemporaryNames(server);
        return temporary.size() == 1 && temporary[0].endsWith(QStringLiteral("-z-big.bin")) &&
               QFileInfo(remote + temporary[0]).size() >= 256 * 1024;
    };
    QTRY_VERIFY_WITH_TIMEOUT(bigUnderWay(), 30000);
    second.kill();
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitStatus(), QProcess::CrashExit);

    // Every file under its final name is whole: the old one or the new one.
    // index is the old one; what is published is what the server holds.
    for (auto it = files.begin(); it != files.end(); ++it) {
        const QByteArray onServer = ReadAll(remote + it.key());
        const bool wasThere = old.contains(it.key());
        QVERIFY2(onServer == it.value() || (wasThere && onServer == old.value(it.key())) ||
                     (!wasThere && !QFileInfo::exists(remote + it.key())),
                 qPrintable(it.key()));
        if (IsPublishedWord(FileAttributes(site + it.key())))
            QVERIFY2(onServer == it.value(), qPrintable(it.key()));
    }
    QCOMPARE(ReadAll(remote + QStringLiteral("index")), old.value(QStringLiteral("index")));
    QCOMPARE(ReadAll(remote + QStringLiteral("z-big.bin")), old.value(QStringLiteral("z-big.bin")));
    QCOMPARE(FileAttributes(site + QStringLiteral("z-big.bin")), std::uint32_t(kAttrNormal));
    QVERIFY(IsPublishedWord(FileAttributes(site + QStringLiteral("a.htm"))));

    // The next run completes the site and takes the temporary file away.
    QProcess third;
    StartChild(third, site, server);
    QVERIFY(third.waitForFinished(60000));
    QCOMPARE(third.exitCode(), 0);
    QVERIFY(third.readAllStandardOutput().startsWith("Синхронизация проведена "));
    for (auto it = files.begin(); it != files.end(); ++it) {
        QVERIFY2(ReadAll(remote + it.key()) == it.value(), qPrintable(it.key()));
        QVERIFY2(IsPublishedWord(FileAttributes(site + it.key())), qPrintable(it.key()));
    }
    QCOMPARE(TemporaryNames(server), QStringList());
}

QTEST_GUILESS_MAIN(TestPublishKilled)
#include "tst_publish_killed.moc"
