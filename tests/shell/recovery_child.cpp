// The program's main window on a site, typed into as a user would until a
// recovery copy holds the typing, then left running: the process a test
// kills. Prints "ready" once the copy is written.
// Usage: recovery_child SITE_FOLDER CONFIG_FOLDER RECOVERY_FOLDER
#include "editor/engine.h"
#include "shell/main_form.h"
#include "shell/note_memo.h"
#include "shell/note_panel.h"
#include "shell/recovery_keeper.h"
#include "store/recovery_copy.h"
#include "tests/shell/silent_asker.h"

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 4) {
        std::fputs("usage: recovery_child SITE_FOLDER CONFIG_FOLDER RECOVERY_FOLDER\n", stderr);
        return 2;
    }
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, args[2]);
    SilentAsker asker;
    quillery::TMainForm form(nullptr, &asker);
    form.Recovery().SetFolder(args[3]);
    quillery::TRecoveryKeeper::TTimings quick;
    quick.poll = std::chrono::milliseconds(200);
    quick.idle = std::chrono::milliseconds(600);
    form.Recovery().SetTimings(quick);
    form.OpenSite(args[1]);
    if (!QTest::qWaitForWindowExposed(&form))
        return 3;

    QWidget* page = form.VISUALEdit().widget()->focusProxy();
    page->setFocus();
    QTest::mouseClick(page, Qt::LeftButton, {}, QPoint(40, 15));
    QTest::keyClicks(page, QStringLiteral("typed before the crash "), Qt::NoModifier, 5);
    QTest::keyClicks(form.Panel4()->Memo1(), QStringLiteral("note before the crash"));

    const QString copyPath = form.Recovery().CopyPath(*form.Tree().Root(0));
    const bool written = QTest::qWaitFor(
        [&] {
            const auto copy = quillery::ReadRecoveryCopy(copyPath);
            return copy && copy->Document.contains("typed before the crash") &&
                   copy->Note == QStringLiteral("note before the crash");
        },
        60000);
    if (!written)
        return 4;
    std::puts("ready");
    std::fflush(stdout);
    return QApplication::exec();
}
