// Start-up to the first document on a 1,000-node site, switching between two
// 200 KB documents with 100 pictures each, and opening a 100,000-node site
// until its tree is shown. Prints milliseconds.

#include "bench/bench_support.h"
#include "editor/engine.h"
#include "shell/contents_model.h"
#include "shell/jpeg_codec.h"
#include "shell/main_form.h"
#include "shell/tree_selection.h"
#include "store/index_file.h"
#include "store/text_codec.h"
#include "tests/shell/silent_asker.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLocale>
#include <QSettings>
#include <QTemporaryDir>
#include <QTreeView>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using namespace quillery;

void Write(const QString& path, const QByteArray& data) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
        qFatal("cannot write %s", qPrintable(path));
}

QString FileName(int i) {
    return QStringLiteral("0a1b2c3d-0000-4000-8000-%1.htm").arg(i, 12, 10, QLatin1Char('0'));
}

// A flat site of count nodes, each tenth with three children.
void WriteSite(const QString& site, int count) {
    TContentsTree tree;
    TTreeNode* parent = nullptr;
    for (int i = 0; i < count; ++i) {
        TTreeRec rec;
        rec.FileName = FileName(i).toStdString();
        rec.Note = ToCp1251(QStringLiteral("Заметка к странице %1").arg(i));
        rec.Date = QDateTime(QDate(2024, 1, 1), QTime(0, 0));
        const std::string title = ToCp1251(QStringLiteral("Страница %1").arg(i));
        if (i % 10 == 0)
            parent = tree.AddChild(nullptr, title, rec);
        else
            tree.AddChild(i % 10 <= 3 ? parent : nullptr, title, rec);
    }
    SaveContents(tree, site, QLocale::system().dateFormat(QLocale::ShortFormat));
}

QByteArray BigDocument(int pictureBase) {
    QString body;
    for (int i = 0; i < 100; ++i) {
        body += QStringLiteral("<P>Абзац %1. ").arg(i);
        while (body.size() < (i + 1) * 2000)
            body += QStringLiteral("Съешь же ещё этих мягких французских булок, да выпей чаю. ");
        body += QStringLiteral("<IMG src=\"pic%1.jpg\" width=32 height=32></P>\r\n")
                    .arg(pictureBase + i);
    }
    return DocumentBytes(body);
}

void Select(TMainForm& form, TTreeNode* node) {
    form.Selection().setCurrentIndex(form.Model().IndexOf(node),
                                     QItemSelectionModel::ClearAndSelect);
}

} // namespace

int main(int argc, char* argv[]) {
    QElapsedTimer startup;
    startup.start();
    ChooseHeadlessEngine();
    QApplication app(argc, argv);
    QTemporaryDir root;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                       root.filePath(QStringLiteral("config")));
    SilentAsker asker;

    // 1. Start-up to the first document shown, 1,000 nodes.
    const QString small = root.filePath(QStringLiteral("small")) + QLatin1Char('/');
    QDir().mkpath(small);
    WriteSite(small, 1000);
    const qint64 prepared = startup.elapsed();
    {
        TMainForm form(nullptr, &asker);
        form.OpenSite(small);
        QApplication::processEvents();
        std::printf("start-up to first document, 1,000 nodes: %lld ms (site written in %lld ms, "
                    "not counted)\n",
                    static_cast<long long>(startup.elapsed() - prepared),
                    static_cast<long long>(prepared));
        form.FormClose();
    }

    // 2. Switching between two 200 KB documents with 100 pictures each.
    const QString pictures = root.filePath(QStringLiteral("pictures")) + QLatin1Char('/');
    QDir().mkpath(pictures);
    {
        QImage picture(32, 32, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        const QByteArray jpeg = EncodeJpeg(picture);
        for (int i = 0; i < 200; ++i)
            Write(pictures + QStringLiteral("pic%1.jpg").arg(i), jpeg);
        TContentsTree tree;
        for (int i = 0; i < 2; ++i) {
            TTreeRec rec;
            rec.FileName = FileName(i).toStdString();
            tree.AddChild(nullptr, "Doc", rec);
            Write(pictures + FileName(i), BigDocument(i * 100));
        }
        SaveContents(tree, pictures, QLocale::system().dateFormat(QLocale::ShortFormat));
        std::printf("document size: %lld bytes\n",
                    static_cast<long long>(QFileInfo(pictures + FileName(0)).size()));
        TMainForm form(nullptr, &asker);
        form.OpenSite(pictures);
        std::vector<double> switches;
        QElapsedTimer timer;
        for (int i = 0; i < 21; ++i) {
            timer.start();
            Select(form, form.Tree().Root((i + 1) % 2));
            switches.push_back(timer.nsecsElapsed() / 1e6);
        }
        std::printf("switch (leave + open), 200 KB, 100 pictures: median %.1f ms, min %.1f, max "
                    "%.1f over %zu\n",
                    Median(switches), *std::min_element(switches.begin(), switches.end()),
                    *std::max_element(switches.begin(), switches.end()), switches.size());
        form.FormClose();
    }

    // 3. Opening a 100,000-node site until its tree is shown.
    const QString large = root.filePath(QStringLiteral("large")) + QLatin1Char('/');
    QDir().mkpath(large);
    WriteSite(large, 100000);
    {
        TMainForm form(nullptr, &asker);
        QElapsedTimer timer;
        timer.start();
        LoadContents(form.Tree(), large, QLocale::system().dateFormat(QLocale::ShortFormat));
        form.show();
        QApplication::processEvents();
        form.TreeView()->viewport()->repaint();
        const qint64 shown = timer.elapsed();
        std::printf("100,000-node site, load until the tree is shown: %lld ms (%zu nodes, %d "
                    "roots)\n",
                    static_cast<long long>(shown), form.Tree().NodeCount(),
                    form.Tree().RootCount());
        timer.start();
        form.ActionListEdit().Expand->trigger();
        form.TreeView()->viewport()->repaint();
        std::printf("expand all on it: %lld ms\n", static_cast<long long>(timer.elapsed()));
    }
    return 0;
}
