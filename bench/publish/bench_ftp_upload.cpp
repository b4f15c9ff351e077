// Uploads 1,000 files of 10 KB to a local vsftpd, one StoreFile after
// another, then takes the name listing; then the same upload with
// "lftp mirror -R" on one connection. Prints both times and their ratio.
#include "bench/publish/lftp_mirror.h"
#include "publish/ftp_client.h"
#include "store/atomic_write.h"
#include "store/error.h"
#include "tests/publish/local_ftp_server.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cstdio>

namespace {

constexpr int kFileCount = 1000;
constexpr int kFileSize = 10 * 1024;
constexpr int kRounds = 3;

int FileCount(const QString& path) {
    return int(QDir(path).entryList(QDir::Files).size());
}

double UploadWithClient(const LocalFtpServer& server, const QString& source,
                        const QStringList& names) {
    QElapsedTimer timer;
    timer.start();
    quillery::FtpClient client;
    client.SetHost("127.0.0.1");
    client.SetPort(server.Port());
    client.SetUsername(server.UserName().toStdString());
    client.SetPassword(server.Password().toStdString());
    client.SetPassive(true);
    client.Connect();
    client.ChangeDirectory(server.RemoteDirectory().toStdString());
    for (const QString& name : names) {
        client.StoreFile((source + QLatin1Char('/') + name).toStdString(), name.toStdString());
    }
    client.ListNames("*");
    client.Disconnect();
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    if (client.NameList().size() != std::size_t(kFileCount)) {
        throw quillery::Error("the listing holds " + std::to_string(client.NameList().size()) +
                              " names");
    }
    return seconds;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    try {
        QTemporaryDir work;
        const QString source = work.filePath(QStringLiteral("site"));
        const QString home = work.filePath(QStringLiteral("home"));
        QDir().mkpath(source);
        QDir().mkpath(home);
        QStringList names;
        for (int i = 0; i < kFileCount; ++i) {
            QByteArray content(kFileSize, Qt::Uninitialized);
            QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(content.data()),
                                                  kFileSize / 4);
            const QString name = QStringLiteral("page%1.htm").arg(i, 4, 10, QLatin1Char('0'));
            quillery::WriteFileAtomically(source + QLatin1Char('/') + name, content);
            names << name;
        }

        const LocalFtpServer server(FtpServerKind::Vsftpd);
        std::printf("%d files of %d bytes to vsftpd on 127.0.0.1:%u\n", kFileCount, kFileSize,
                    unsigned(server.Port()));
        double bestOurs = 1e9;
        double bestLftp = 1e9;
        for (int round = 1; round <= kRounds; ++round) {
            EmptyFolder(server.LocalDirectory());
            const double ours = UploadWithClient(server, source, names);
            EmptyFolder(server.LocalDirectory());
            const double theirs = MirrorWithLftp(server, source, home);
            if (FileCount(server.LocalDirectory()) != kFileCount) {
                throw quillery::Error("lftp did not upload every file");
            }
            std::printf("round %d: FtpClient %.3f s, lftp mirror -R %.3f s, ratio %.2f\n", round,
                        ours, theirs, ours / theirs);
            bestOurs = std::min(bestOurs, ours);
            bestLftp = std::min(bestLftp, theirs);
        }
        std::printf("best: FtpClient %.3f s (%.0f files/s), lftp %.3f s (%.0f files/s), "
                    "ratio %.2f (target <= 1)\n",
                    bestOurs, kFileCount / bestOurs, bestLftp, kFileCount / bestLftp,
                    bestOurs / bestLftp);
    } catch (const quillery::Error& error) {
        std::fprintf(stderr, "bench_ftp_upload: %s\n", error.what());
        return 1;
    }
    return 0;
}
