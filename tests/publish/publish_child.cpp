// Runs one publishing run of a site folder, as the program does but without
// its window, and prints the status text: the process a test kills midway.
// Usage: publish_child SITE_FOLDER HOST USER PASSWORD DIR
#include "publish/ftp_client.h"
#include "publish/publish_run.h"

#include <QCoreApplication>
#include <QLocale>
#include <cstdio>

namespace {

// The test's servers are plain FTP: the child allows clear text.
class AgreeingProgress final : public quillery::TPublishProgress {
public:
    bool Ask(const QString&) override { return true; }
};

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 6) {
        std::fputs("usage: publish_child SITE_FOLDER HOST USER PASSWORD DIR\n", stderr);
        return 2;
    }
    quillery::FtpClient client;
    quillery::ConfigureForPublishing(client);
    AgreeingProgress progress;
    quillery::TPublishRun run(client, args[1], {args[2], args[3], args[4], args[5]}, progress, {});
    const quillery::TPublishReport report = run.Run();
    std::puts(quillery::PublishStatusText(report, QLocale::system()).toUtf8().constData());
    return report.outcome == quillery::TPublishOutcome::Completed && report.Failures() == 0 ? 0 : 1;
}
