// Runs one publishing run of a site folder, as the program does but without
// its window, and prints the status text: the process a test kills midway.
// Usage: publish_child SITE_FOLDER HOST USER PASSWORD DIR
#include "publish/ftp_client.h"
#include "publish/ftp_remote_folder.h"
#include "publish/publish_run.h"
#include "publish/site_trust.h"

#include <QCoreApplication>
#include <QLocale>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 6) {
        std::fputs("usage: publish_child SITE_FOLDER HOST USER PASSWORD DIR\n", stderr);
        return 2;
    }
    quillery::FtpClient client;
    quillery::ConfigureForPublishing(client);
    // The test's servers are plain FTP; other questions are answered Нет.
    quillery::AllowClearText(args[1]);
    quillery::TPublishProgress progress;
    quillery::TFtpRemoteFolder folder(client);
    quillery::TPublishRun run(folder, args[1], {args[2], args[3], args[4], args[5]}, progress, {});
    const quillery::TPublishReport report = run.Run();
    std::puts(quillery::PublishStatusText(report, QLocale::system()).toUtf8().constData());
    return report.outcome == quillery::TPublishOutcome::Completed && report.Failures() == 0 ? 0 : 1;
}
