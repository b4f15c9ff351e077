#include "bench/publish/bench_site.h"

#include "publish/ftp_client.h"
#include "publish/ftp_remote_folder.h"
#include "publish/publish_run.h"
#include "store/atomic_write.h"
#include "store/error.h"
#include "tests/publish/local_ftp_server.h"

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QLocale>
#include <QRandomGenerator>

void WriteRandomPages(const QString& site, int count, int size) {
    QDir().mkpath(site);
    for (int i = 0; i < count; ++i) {
        QByteArray content(size, Qt::Uninitialized);
        QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(content.data()), size / 4);
        quillery::WriteFileAtomically(
            site + QStringLiteral("page%1.htm").arg(i, 4, 10, QLatin1Char('0')), content);
    }
    quillery::WriteFileAtomically(site + QStringLiteral("index"), "index=new Array();");
}

quillery::TFtpAccount AccountOf(const LocalFtpServer& server) {
    return {server.HostAndPort(), server.UserName(), server.Password(), server.RemoteDirectory()};
}

TTimedRun PublishOnce(const LocalFtpServer& server, const QString& site) {
    using namespace quillery;
    FtpClient client;
    ConfigureForPublishing(client);
    TPublishProgress progress;
    QElapsedTimer timer;
    timer.start();
    TFtpRemoteFolder folder(client);
    TPublishRun run(folder, site, AccountOf(server), progress, {});
    TTimedRun timed{0, run.Run()};
    timed.seconds = double(timer.nsecsElapsed()) / 1e9;
    if (timed.report.outcome != TPublishOutcome::Completed || timed.report.Failures() != 0)
        throw Error("the run failed: " + PublishReportText(timed.report, QLocale()).toStdString());
    return timed;
}
