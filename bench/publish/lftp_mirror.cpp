#include "bench/publish/lftp_mirror.h"

#include "store/error.h"
#include "tests/publish/local_ftp_server.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>

double MirrorWithLftp(const LocalFtpServer& server, const QString& source, const QString& home,
                      const QString& settings) {
    const QString script =
        settings +
        QStringLiteral("set ftp:passive-mode true; set net:max-retries 1; "
                       "set net:connection-limit 1; set mirror:parallel-transfer-count 1; "
                       "open -u %1,%2 -p %3 127.0.0.1; mirror -R --no-perms --no-symlinks %4 %5")
            .arg(server.UserName(), server.Password())
            .arg(server.Port())
            .arg(source, server.RemoteDirectory());
    QProcess lftp;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home);
    lftp.setProcessEnvironment(environment);
    lftp.setProcessChannelMode(QProcess::MergedChannels);
    QElapsedTimer timer;
    timer.start();
    lftp.start(QStringLiteral("lftp"), {QStringLiteral("-c"), script});
    if (!lftp.waitForFinished(600000) || lftp.exitCode() != 0) {
        throw quillery::Error("lftp failed: " + lftp.readAll().toStdString());
    }
    return double(timer.nsecsElapsed()) / 1e9;
}

void EmptyFolder(const QString& path) {
    QDir folder(path);
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden)) {
        if (!folder.remove(name))
            throw quillery::Error("cannot remove " + name.toStdString());
    }
}
