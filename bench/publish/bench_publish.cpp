// Publishing through the publishing run (everything but the dialog):
// 1,000 changed files of 10 KB to a local vsftpd against "lftp mirror -R" of
// the same folder to the same server, then the same with nothing changed but
// index and the open document, best of three rounds each; and the longest
// pause of the main window's event loop during a run against a server that
// answers every command 200 ms late. Exits non-zero when a target is missed.
#include "bench/bench_support.h"
#include "bench/publish/bench_site.h"
#include "bench/publish/lftp_mirror.h"
#include "publish/ftp_client.h"
#include "publish/ftp_remote_folder.h"
#include "publish/publish_run.h"
#include "publish/publisher.h"
#include "publish/site_trust.h"
#include "shell/main_form.h"
#include "store/atomic_write.h"
#include "store/error.h"
#include "store/site_folder.h"
#include "tests/publish/local_ftp_server.h"
#include "tests/shell/silent_asker.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {

using namespace quillery;

constexpr int kFileCount = 1000;
constexpr int kFileSize = 10 * 1024;
constexpr int kRounds = 3;
constexpr int kReplyDelayMs = 200;

void Throughput(const QString& work) {
    const QString site = work + QStringLiteral("/site/");
    const QString home = work + QStringLiteral("/home");
    WriteRandomPages(site, kFileCount, kFileSize);
    QDir().mkpath(home);
    // The benchmark's servers are plain FTP.
    AllowClearText(site);
    const QString open = site + QStringLiteral("page0000.htm");

    const LocalFtpServer server(FtpServerKind::Vsftpd);
    std::printf("%d files of %d bytes to vsftpd on 127.0.0.1:%u\n", kFileCount + 1, kFileSize,
                unsigned(server.Port()));
    double best[4] = {1e9, 1e9, 1e9, 1e9}; // ours changed, lftp changed, ours unchanged, lftp
    for (int round = 1; round <= kRounds; ++round) {
        EmptyFolder(server.LocalDirectory());
        for (const TSiteFile& file : ListSiteFiles(site, TListMode::Publish))
            SetChanged(site + file.Name);
        const double changed = PublishOnce(server, site).seconds;
        EmptyFolder(server.LocalDirectory());
        const double lftpChanged = MirrorWithLftp(server, site, home);
        // Nothing edited: leaving the open document wrote it and index.
        SetChanged(site + QStringLiteral("index"));
        SetChanged(open);
        const double unchanged = PublishOnce(server, site).seconds;
        const double lftpUnchanged = MirrorWithLftp(server, site, home);
        std::printf("round %d: changed %.3f s vs lftp %.3f s (%.2f); unchanged %.3f s vs lftp "
                    "%.3f s (%.2f)\n",
                    round, changed, lftpChanged, changed / lftpChanged, unchanged, lftpUnchanged,
                    unchanged / lftpUnchanged);
        const double times[4] = {changed, lftpChanged, unchanged, lftpUnchanged};
        for (int i = 0; i < 4; ++i)
            best[i] = std::min(best[i], times[i]);
    }
    const double changedRatio = best[0] / best[1];
    const double unchangedRatio = best[2] / best[3];
    std::printf("best changed: publishing %.3f s, lftp %.3f s, ratio %.2f (target <= 1.0) %s\n",
                best[0], best[1], changedRatio, changedRatio <= 1.0 ? "met" : "MISSED");
    std::printf("best unchanged: publishing %.3f s, lftp %.3f s, ratio %.2f (target <= 0.5) %s\n",
                best[2], best[3], unchangedRatio, unchangedRatio <= 0.5 ? "met" : "MISSED");
    if (changedRatio > 1.0 || unchangedRatio > 0.5)
        throw Error("a publishing target was missed");
}

// The longest time between two turns of the event loop while the main
// window publishes to a server that answers every command late.
void Responsiveness(const QString& work) {
    const QString site = work + QStringLiteral("/slow-site/");
    QDir().mkpath(site);
    WriteFileAtomically(site + QStringLiteral("index"),
                        "index=new Array(new Array(\"A\",\"a.htm\",\"\",\"\",\"\",null),"
                        "new Array(\"B\",\"b.htm\",\"\",\"\",\"\",null));");
    for (const char* name : {"b.htm", "c.jpg", "d.txt"})
        WriteFileAtomically(site + QString::fromLatin1(name), QByteArray(4096, 'x'));
    AllowClearText(site);

    FtpFaults faults;
    faults.delayMs = kReplyDelayMs;
    const LocalFtpServer server(FtpServerKind::Faulty, faults);
    SilentAsker asker;
    TMainForm form(nullptr, &asker);
    form.OpenSite(site);
    // Settled first: the document is loaded and shown.
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 2000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);

    QElapsedTimer run;
    run.start();
    form.Publisher().Start(site, AccountOf(server));
    const double ms = LongestPauseUntil([&] { return !form.Publisher().IsRunning(); }, 600000);
    std::printf("run against a server answering %d ms late: %.1f s; longest pause of the event "
                "loop %.1f ms (target < 50 ms) %s\n",
                kReplyDelayMs, double(run.elapsed()) / 1000.0, ms, ms < 50 ? "met" : "MISSED");
    std::printf("status: %s\n", qPrintable(form.StatusPanel()->text()));
    if (ms >= 50)
        throw Error("the event loop paused too long");
}

} // namespace

int main(int argc, char** argv) {
    ChooseHeadlessEngine();
    QApplication application(argc, argv);
    try {
        QTemporaryDir work;
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           work.filePath(QStringLiteral("config")));
        Throughput(work.path());
        Responsiveness(work.path());
    } catch (const Error& error) {
        std::fprintf(stderr, "bench_publish: %s\n", error.what());
        return 1;
    }
    return 0;
}
