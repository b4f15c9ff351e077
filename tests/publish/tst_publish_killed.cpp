// A publishing run killed with SIGKILL in the middle of a large upload
// leaves no file marked published that the server did not confirm, and the
// next run completes the site.
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
        child.start(QStringLiteral(QUILLERY_PUBLISH_CHILD),
                    {site, server.HostAndPort(), server.UserName(), server.Password(),
                     server.RemoteDirectory()});
        QVERIFY(child.waitForStarted(10000));
    }
};

void TestPublishKilled::killedDuringAnUpload() {
    FtpFaults slow;
    slow.throttle = 256 * 1024;
    const LocalFtpServer server(FtpServerKind::Faulty, slow);
    QTemporaryDir folder;
    const QString site = folder.path() + u'/';
    const QMap<QString, QByteArray> files = {
        {QStringLiteral("a.htm"), Random(10 * 1024, 1)},
        {QStringLiteral("b.jpg"), Random(20 * 1024, 2)},
        {QStringLiteral("index"), QByteArray("index=new Array();")},
        {QStringLiteral("z-big.bin"), Random(2 * 1024 * 1024, 3)},
    };
    for (auto it = files.begin(); it != files.end(); ++it) {
        WriteFileAtomically(site + it.key(), it.value());
        QVERIFY(SetChanged(site + it.key()));
    }
    const QString bigOnServer = server.LocalDirectory() + QStringLiteral("/z-big.bin");

    QProcess first;
    StartChild(first, site, server);
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(bigOnServer).size() >= 256 * 1024, 30000);
    first.kill();
    QVERIFY(first.waitForFinished(10000));
    QCOMPARE(first.exitStatus(), QProcess::CrashExit);

    // Published means the server holds exactly that file.
    for (auto it = files.begin(); it != files.end(); ++it) {
        if (IsPublishedWord(FileAttributes(site + it.key())))
            QVERIFY2(ReadAll(server.LocalDirectory() + u'/' + it.key()) == it.value(),
                     qPrintable(it.key()));
    }
    QVERIFY(ReadAll(bigOnServer) != files.value(QStringLiteral("z-big.bin")));
    QCOMPARE(FileAttributes(site + QStringLiteral("z-big.bin")), std::uint32_t(kAttrNormal));
    QVERIFY(IsPublishedWord(FileAttributes(site + QStringLiteral("a.htm"))));

    QProcess second;
    StartChild(second, site, server);
    QVERIFY(second.waitForFinished(60000));
    QCOMPARE(second.exitCode(), 0);
    QVERIFY(second.readAllStandardOutput().startsWith("Синхронизация проведена "));
    for (auto it = files.begin(); it != files.end(); ++it) {
        QVERIFY2(ReadAll(server.LocalDirectory() + u'/' + it.key()) == it.value(),
                 qPrintable(it.key()));
        QVERIFY2(IsPublishedWord(FileAttributes(site + it.key())), qPrintable(it.key()));
    }
}

QTEST_GUILESS_MAIN(TestPublishKilled)
#include "tst_publish_killed.moc"
