// The formatting commands in the main window on one document (64 KB unless
// the size in KB is given, then the runs of each command): what a key
// pressed in the page costs for the window-shortcut check, a shortcut
// command, the font command, and the source view on the whole text,
// confirmed unchanged and edited. Prints milliseconds (microseconds for keys).

#include "bench/bench_support.h"
#include "editor/commands/html_source.h"
#include "editor/engine.h"
#include "shell/main_form.h"
#include "store/atomic_write.h"
#include "tests/shell/silent_asker.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using namespace quillery;

const QString kFileName = QStringLiteral("0a1b2c3d-0000-4000-8000-000000000001.htm");
int runCount = 9;

QByteArray Document(qsizetype bytes) {
    QString body;
    for (int i = 0; body.size() < bytes; ++i)
        body += QStringLiteral("<P id=p%1>Абзац %1. Съешь же <B>ещё</B> этих мягких французских "
                               "булок, да <FONT color=#cc0000>выпей чаю</FONT>. Широкая "
                               "электрификация южных губерний.</P>\r\n")
                    .arg(i);
    return DocumentBytes(body);
}

// Runs command runCount times after prepare, the dialog it opens answered by
// answer as soon as it shows; the median in milliseconds.
double Time(const std::function<void()>& prepare, const std::function<void()>& command,
            const std::function<void(QDialog*)>& answer = {}) {
    std::vector<double> runs;
    for (int i = 0; i < runCount; ++i) {
        prepare();
        // The command asks the page first, which runs timers: the answer
        // waits until the dialog is there.
        QTimer poll;
        if (answer) {
            QObject::connect(&poll, &QTimer::timeout, [&] {
                if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                    poll.stop();
                    answer(dialog);
                }
            });
            poll.start(1);
        }
        QElapsedTimer timer;
        timer.start();
        command();
        runs.push_back(timer.nsecsElapsed() / 1e6);
    }
    return Median(runs);
}

} // namespace

int main(int argc, char* argv[]) {
    ChooseHeadlessEngine();
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    QTemporaryDir root;
    SilentAsker asker;
    const QString site = OneDocumentSite(root, kFileName);
    const int kilobytes = argc > 1 ? QByteArray(argv[1]).toInt() : 64;
    if (argc > 2)
        runCount = QByteArray(argv[2]).toInt();
    const QByteArray document = Document(qsizetype(kilobytes) << 10);
    WriteFileAtomically(site + kFileName, document);
    std::printf("document: %.2f MB\n", document.size() / 1048576.0);

    TMainForm form(nullptr, &asker);
    form.OpenSite(site);
    Engine& engine = form.VISUALEdit();
    QWidget* page = engine.widget()->focusProxy();
    page->setFocus();
    // 1. The window-shortcut check on every key the page receives.
    {
        constexpr int kKeys = 20000;
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < kKeys; ++i) {
            QKeyEvent key(QEvent::ShortcutOverride, Qt::Key_A + i % 26, Qt::NoModifier,
                          QString(QChar(u'a' + i % 26)));
            QApplication::sendEvent(page, &key);
        }
        std::printf("shortcut check per key in the page: %.1f us (%zu actions in the window)\n",
                    timer.nsecsElapsed() / 1e3 / kKeys,
                    static_cast<size_t>(form.findChildren<QAction*>().size()));
    }

    const auto nothing = [] {
    };

    // 2. A shortcut command: centring, through the action.
    std::printf("JustifyCenter: median %.1f ms\n",
                Time(nothing, [&] { form.FormatActions().JustifyCenter->trigger(); }));

    // 3. The font command, the dialog confirmed at once.
    std::printf("Font, dialog confirmed untouched: median %.1f ms\n",
                Time(
                    nothing, [&] { form.FormatActions().Font->trigger(); },
                    [](QDialog* dialog) { dialog->accept(); }));

    // 4. The source view on the whole text.
    const auto selectAll = [&] {
        engine.execCommand(QStringLiteral("SelectAll"), false, {});
    };
    qsizetype shown = 0;
    std::printf("Source view of the whole text, confirmed unchanged: median %.1f ms\n",
                Time(
                    selectAll, [&] { form.FormatActions().HTML->trigger(); },
                    [&](QDialog* dialog) {
                        shown = form.HTMLSource()->Text().size();
                        dialog->accept();
                    }));
    std::printf("  (%lld characters shown)\n", static_cast<long long>(shown));
    std::printf("Source view of the whole text, one character added: median %.1f ms\n",
                Time(
                    selectAll, [&] { form.FormatActions().HTML->trigger(); },
                    [&](QDialog* dialog) {
                        form.HTMLSource()->SetText(form.HTMLSource()->Text() + QStringLiteral("!"));
                        dialog->accept();
                    }));
    form.FormClose();
    return 0;
}
