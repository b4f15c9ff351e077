// One recovery copy of a 1 MB document: the time its encoding and atomic
// write take on the worker, the time from the edit to the copy on disk, and
// the longest pause of the user-interface event loop meanwhile (the engine
// is asked without waiting, so typing never stops for a copy).
#include "bench/bench_support.h"
#include "editor/engine.h"
#include "editor/webengine/document_encoding.h"
#include "shell/main_form.h"
#include "shell/recovery_keeper.h"
#include "store/atomic_write.h"
#include "store/recovery_copy.h"
#include "tests/shell/silent_asker.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>

namespace {

using namespace quillery;

constexpr int kRounds = 5;

// About 1 MB of Cyrillic text in paragraphs, with a few characters that
// Windows-1251 cannot hold.
QString BigBody() {
    QString body;
    for (int i = 0; body.size() < 1000 * 1000; ++i)
        body += QStringLiteral("<P>Абзац %1. Съешь же ещё этих мягких французских булок, да выпей "
                               "чаю; α и ω.</P>\r\n")
                    .arg(i);
    return body;
}

} // namespace

int main(int argc, char* argv[]) {
    ChooseHeadlessEngine();
    QApplication app(argc, argv);
    QTemporaryDir root;
    QStandardPaths::setTestModeEnabled(true);
    const QString site = OneDocumentSite(root, QStringLiteral("big.htm"));
    const QString body = BigBody();
    const QByteArray document = EncodeDocumentCp1251(
        QStringLiteral("<HTML>\r\n<HEAD>\r\n<META http-equiv=Content-Type content=\"text/html; "
                       "charset=windows-1251\">\r\n</HEAD>\r\n<BODY>\r\n%1</BODY>\r\n</HTML>\r\n")
            .arg(body));
    WriteFileAtomically(site + QStringLiteral("big.htm"), document);

    // The worker's part alone: encoding and the atomic write.
    std::vector<double> worker;
    for (int round = 0; round < kRounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        TRecoveryCopy copy;
        copy.SitePath = site;
        copy.FileName = QStringLiteral("big.htm");
        copy.Document = EncodeDocumentCp1251(body);
        WriteRecoveryCopy(root.filePath(QStringLiteral("worker-copy.htm")), copy);
        worker.push_back(double(timer.nsecsElapsed()) / 1e6);
    }

    SilentAsker asker;
    TMainForm form(nullptr, &asker);
    form.Recovery().SetFolder(root.filePath(QStringLiteral("recovery")));
    TRecoveryKeeper::TTimings timings;
    timings.poll = std::chrono::milliseconds(100);
    timings.idle = std::chrono::milliseconds(300);
    form.Recovery().SetTimings(timings);
    form.OpenSite(site);
    if (!QTest::qWaitForWindowExposed(&form))
        qFatal("the main window was never shown");
    QWidget* page = form.VISUALEdit().widget()->focusProxy();
    page->setFocus();
    QTest::mouseClick(page, Qt::LeftButton, {}, QPoint(60, 15));
    QTest::qWait(500);

    std::vector<double> endToEnd;
    std::vector<double> pauses;
    for (int round = 0; round < kRounds; ++round) {
        bool written = false;
        const auto connection = QObject::connect(&form.Recovery(), &TRecoveryKeeper::CopyWritten,
                                                 [&](const QString&, const QString& error) {
                                                     if (!error.isEmpty())
                                                         qFatal("%s", qPrintable(error));
                                                     written = true;
                                                 });
        QTest::keyClick(page, 'x');
        QElapsedTimer clock;
        clock.start();
        const double pause = LongestPauseUntil([&] { return written; }, 30000);
        QObject::disconnect(connection);
        if (!written)
            qFatal("no copy was written");
        endToEnd.push_back(double(clock.nsecsElapsed()) / 1e6);
        pauses.push_back(pause);
    }
    const double size =
        double(QFileInfo(form.Recovery().CopyPath(*form.Tree().Root(0))).size()) / 1e6;
    std::printf("recovery copy of %.2f MB (%d rounds, median)\n", size, kRounds);
    std::printf("  encoding and atomic write on the worker: %.1f ms (slowest %.1f ms)\n",
                Median(worker), *std::max_element(worker.begin(), worker.end()));
    std::printf("  from the edit to the copy on disk (includes %lld ms of waiting for the user "
                "to stop typing): %.1f ms\n",
                static_cast<long long>(timings.idle.count()), Median(endToEnd));
    std::printf("  longest pause of the event loop meanwhile: %.1f ms (slowest round %.1f ms)\n",
                Median(pauses), *std::max_element(pauses.begin(), pauses.end()));
    return 0;
}
