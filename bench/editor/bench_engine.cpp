// Times the engine on a large document: open, read every picture source and
// link target, rewrite every source, save; and single synchronous calls.
#include "bench/bench_support.h"
#include "editor/webengine/webengine_engine.h"
#include "store/atomic_write.h"
#include "store/text_codec.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace quillery;

namespace {

constexpr int kPictures = 2000;
constexpr int kLinks = 2000;
constexpr int kCycles = 7;
constexpr int kSingleCalls = 1000;

QString LargeDocument() {
    QString html = QStringLiteral("<HTML>\r\n<HEAD>\r\n<META http-equiv=Content-Type "
                                  "content=\"text/html; charset=windows-1251\">\r\n"
                                  "<TITLE>Большой документ</TITLE>\r\n</HEAD>\r\n<BODY>\r\n");
    const QString filler = QStringLiteral("Съешь же ещё этих мягких французских булок, да выпей "
                                          "чаю. The quick brown fox jumps over the lazy dog. "
                                          "Широкая электрификация южных губерний даст мощный "
                                          "толчок подъёму сельского хозяйства. ");
    for (int i = 0; i < kPictures; ++i) {
        html += QStringLiteral("<P>%1<IMG src=\"picture%2.jpg\" width=16 height=16> "
                               "<A href=\"?%2.htm\">ссылка %2</A> %1%1</P>\r\n")
                    .arg(filler)
                    .arg(i);
    }
    return html + QStringLiteral("</BODY>\r\n</HTML>\r\n");
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("large.htm"));
    const std::string bytes = ToCp1251(LargeDocument());
    WriteFileAtomically(path, QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    // The pictures exist, both under their first names and under the names
    // the rewrite gives them.
    const QByteArray picture =
        QByteArray::fromBase64("iVBORw0KGgoAAAANSUhEUgAAABAAAAAQCAIAAACQkWg2AAAAFklEQVR4nGP4z8BAEmI"
                               "Y1TCqYfhqAAC2mP8Bnqc9ggAAAABJRU5ErkJggg==");
    for (int i = 0; i < kPictures; ++i) {
        WriteFileAtomically(dir.filePath(QStringLiteral("picture%1.jpg").arg(i)), picture);
        WriteFileAtomically(dir.filePath(QStringLiteral("copy%1.jpg").arg(i)), picture);
    }
    static_assert(kLinks == kPictures, "the document holds one link per picture");

    std::printf("document: %.2f MB, %d pictures, %d links\n", bytes.size() / 1048576.0, kPictures,
                kLinks);
    WebEngineEngine engine;
    engine.widget()->resize(1000, 700);
    engine.widget()->show();
    if (!QTest::qWaitForWindowExposed(engine.widget()))
        return 1;

    for (const bool imported : {false, true}) {
        std::vector<double> open, read, rewrite, save, cycle;
        for (int c = 0; c < kCycles; ++c) {
            QElapsedTimer timer;
            timer.start();
            engine.Navigate(QStringLiteral("about:blank"));
            engine.Navigate(path);
            engine.WaitForEngine();
            engine.setDesignMode(QStringLiteral("On"));
            const double opened = timer.nsecsElapsed() / 1e6;
            const QStringList sources = engine.imageSources();
            const QStringList targets = engine.linkTargets();
            const double readDone = timer.nsecsElapsed() / 1e6;
            if (sources.size() != kPictures || targets.size() != kLinks)
                qFatal("collections hold %d pictures and %d links", int(sources.size()),
                       int(targets.size()));
            // Leaving a document whose pictures are already site files sets each
            // source to its bare name; importing them all gives each a new name.
            QList<UrlRewrite> rewrites;
            for (int i = 0; i < sources.size(); ++i)
                rewrites.append(
                    {i, (imported ? QStringLiteral("copy%1.jpg") : QStringLiteral("picture%1.jpg"))
                            .arg(i)});
            engine.setImageSources(rewrites);
            const double rewritten = timer.nsecsElapsed() / 1e6;
            engine.ExecWB(WebCommand::Save);
            const double saved = timer.nsecsElapsed() / 1e6;
            open.push_back(opened);
            read.push_back(readDone - opened);
            rewrite.push_back(rewritten - readDone);
            save.push_back(saved - rewritten);
            cycle.push_back(saved);
            // The next cycle opens the saved file again: put the original back.
            WriteFileAtomically(path,
                                QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
        }

        std::printf("%s, median of %d cycles\n",
                    imported ? "every source rewritten to a new name"
                             : "every source rewritten to its own bare name",
                    kCycles);
        std::printf("  navigate + wait + design mode: %8.1f ms\n", Median(open));
        std::printf("  read every src and href:       %8.1f ms\n", Median(read));
        std::printf("  rewrite every src:             %8.1f ms\n", Median(rewrite));
        std::printf("  save:                          %8.1f ms\n", Median(save));
        std::printf("  whole cycle:                   %8.1f ms (target < 500)\n", Median(cycle));
    }

    std::vector<double> single;
    for (int i = 0; i < kSingleCalls; ++i) {
        QElapsedTimer timer;
        timer.start();
        engine.queryCommandEnabled(QStringLiteral("Undo"));
        single.push_back(timer.nsecsElapsed() / 1e6);
    }

    std::printf("single call, median of %d:   %8.3f ms (target < 1)\n", kSingleCalls,
                Median(single));
    return 0;
}
