// Publishing over explicit TLS: 1,001 files of 10 KB through the publishing
// run to a local vsftpd that requires TLS (and session reuse) on every
// connection, against "lftp mirror -R" with ftp:ssl-force of the same folder
// to the same server, best of three rounds. The certificate is self-signed
// and pinned for the site beforehand, as after the user's Yes. Exits
// non-zero when publishing takes longer than lftp.
#include "bench/publish/bench_site.h"
#include "bench/publish/lftp_mirror.h"
#include "publish/ftp_client.h"
#include "publish/ftp_remote_folder.h"
#include "publish/publish_run.h"
#include "publish/site_trust.h"
#include "store/atomic_write.h"
#include "store/error.h"
#include "store/site_folder.h"
#include "tests/publish/local_ftp_server.h"
#include "tests/publish/test_certificate.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSettings>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

using namespace quillery;

constexpr int kFileCount = 1000; // and index
constexpr int kFileSize = 10 * 1024;
constexpr int kRounds = 3;

// Seconds for one run; throws unless it succeeded over TLS.
double PublishEncrypted(const LocalFtpServer& server, const QString& site) {
    const TTimedRun timed = PublishOnce(server, site);
    if (!timed.report.protection.startsWith(QStringLiteral("TLS")))
        throw Error("the run was not encrypted");
    return timed.seconds;
}

void Run(const QString& work) {
    const QString site = work + QStringLiteral("/site/");
    const QString home = work + QStringLiteral("/home");
    WriteRandomPages(site, kFileCount, kFileSize);
    QDir().mkpath(home);

    const TestCertificate certificate;
    const LocalFtpServer server(FtpServerKind::Vsftpd,
                                FtpServerTls{certificate.CertificatePath(), certificate.KeyPath()});
    PinCertificate(site, certificate.Fingerprint());
    const QString lftpTls = QStringLiteral("set ftp:ssl-force true; set ftp:ssl-protect-data true; "
                                           "set ssl:verify-certificate false; ");
    std::printf("%d files of %d bytes over explicit TLS to vsftpd on 127.0.0.1:%u\n",
                kFileCount + 1, kFileSize, unsigned(server.Port()));
    double ours = 1e9;
    double lftp = 1e9;
    for (int round = 1; round <= kRounds; ++round) {
        EmptyFolder(server.LocalDirectory());
        for (const TSiteFile& file : ListSiteFiles(site, TListMode::Publish))
            SetChanged(site + file.Name);
        const double published = PublishEncrypted(server, site);
        EmptyFolder(server.LocalDirectory());
        const double mirrored = MirrorWithLftp(server, site, home, lftpTls);
        std::printf("round %d: publishing %.3f s, lftp %.3f s (%.2f)\n", round, published, mirrored,
                    published / mirrored);
        ours = std::min(ours, published);
        lftp = std::min(lftp, mirrored);
    }
    const double ratio = ours / lftp;
    std::printf("best: publishing %.3f s, lftp %.3f s, ratio %.2f (target <= 1.0) %s\n", ours, lftp,
                ratio, ratio <= 1.0 ? "met" : "MISSED");
    if (ratio > 1.0)
        throw Error("the publishing target was missed");
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTemporaryDir work;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                       work.filePath(QStringLiteral("config")));
    try {
        Run(work.path());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_publish_tls: %s\n", error.what());
        return 1;
    }
    return 0;
}
