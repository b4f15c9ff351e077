// Times the insertion commands: the contents dialog coming up on large
// contents trees, a contents link and a symbol inserted into a page.
#include "bench/bench_support.h"
#include "editor/insertion/form_link.h"
#include "editor/insertion/insert_commands.h"
#include "editor/insertion/open_dialog.h"
#include "editor/webengine/webengine_engine.h"
#include "store/atomic_write.h"
#include "store/contents_tree.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace quillery;

namespace {

constexpr int kCycles = 5;
constexpr int kInsertions = 200;

// Roots of ten children, each with nine of its own: a hundred nodes a root.
void FillTree(TContentsTree& tree, int nodes) {
    tree.Clear();
    int made = 0;
    const auto add = [&](TTreeNode* parent) {
        TTreeRec rec;
        rec.FileName = GuidFileStem() + ".htm";
        ++made;
        return tree.AddChild(parent, "\xc7\xe0\xe3\xee\xeb\xee\xe2\xee\xea " + std::to_string(made),
                             rec);
    };
    while (made < nodes) {
        TTreeNode* root = add(nullptr);
        for (int c = 0; c < 10 && made < nodes; ++c) {
            TTreeNode* child = add(root);
            for (int g = 0; g < 9 && made < nodes; ++g)
                add(child);
        }
    }
}

// Runs command, doing answer inside the dialog once it is up; returns the
// milliseconds until then.
double UntilDialog(const std::function<void()>& command, const std::function<void()>& answer) {
    QElapsedTimer timer;
    double shown = -1;
    QTimer::singleShot(0, [&] {
        shown = double(timer.nsecsElapsed()) / 1e6;
        answer();
    });
    timer.start();
    command();
    return shown;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString page = dir.filePath(QStringLiteral("page.htm"));
    WriteFileAtomically(page,
                        QByteArray("<HTML><HEAD></HEAD><BODY><P id=t>text</P></BODY></HTML>"));

    WebEngineEngine engine;
    engine.widget()->resize(1000, 700);
    engine.widget()->show();
    if (!QTest::qWaitForWindowExposed(engine.widget()))
        return 1;
    engine.Navigate(page);
    engine.WaitForEngine();
    engine.setDesignMode(QStringLiteral("On"));

    TContentsTree tree;
    TFormLink formLink(nullptr);
    TOpenDialog openDialog(nullptr);
    TInsertCommands commands(engine, tree, formLink, openDialog,
                             UndoRedoFlags{[](bool) {},
                                           [](bool) {
                                           }});

    for (const int nodes : {1000, 10000, 100000}) {
        FillTree(tree, nodes);
        std::vector<double> times;
        for (int c = 0; c < kCycles; ++c)
            times.push_back(
                UntilDialog([&] { commands.DirectryExecute(); }, [&] { formLink.reject(); }));
        std::printf("contents dialog up, %6d nodes: median %7.1f ms\n", nodes, Median(times));
    }

    FillTree(tree, 1000);
    std::vector<double> links;
    for (int c = 0; c < kCycles * 4; ++c) {
        QElapsedTimer timer;
        timer.start();
        UntilDialog([&] { commands.DirectryExecute(); },
                    [&] {
                        formLink.ListBox()->setCurrentRow(500);
                        formLink.accept();
                    });
        links.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::printf("contents link, dialog up to link in the page: median %.1f ms\n", Median(links));

    std::vector<double> symbols;
    for (int i = 0; i < kInsertions; ++i) {
        QElapsedTimer timer;
        timer.start();
        commands.SymbolExecute("&laquo;");
        symbols.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::printf("symbol inserted (%d times): median %.2f ms, slowest %.2f ms\n", kInsertions,
                Median(symbols), *std::max_element(symbols.begin(), symbols.end()));
    return 0;
}
