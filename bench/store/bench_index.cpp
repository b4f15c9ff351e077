// Benchmark (not a test): an index of 100,000 nodes (about 13 MB, Cyrillic
// titles and notes, several levels deep); times LoadContents (read into the
// tree), WriteContents and SaveContents (write back), and node evaluating the
// same file as JavaScript, as the published site's pages do.
//
//   bench_index [--nodes N] [--runs R] [--keep DIR]
// Prints one line per measurement (best and median of R runs, milliseconds)
// and the ratios against node. Exit status 1 when a target is missed
// (read/write < 100 ms, each >= 5x faster than node's evaluation).

#include "store/contents_tree.h"
#include "store/index_file.h"
#include "store/text_codec.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <malloc.h>
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

using namespace quillery;
using Clock = std::chrono::steady_clock;

namespace {

const QString kFormat = QStringLiteral("dd.MM.yyyy");

const char* const kWords[] = {
    "Главная",   "страница",  "О",         "нас",     "история",  "компании", "Цены",
    "условия",   "доставка",  "оплата",    "контакты", "новости", "отзывы",   "каталог",
    "товаров",   "услуги",    "скидки",    "акции",   "сезона",   "вопросы",  "ответы",
    "партнёры",  "вакансии",  "фотографии", "сада",   "огород",   "цветы",    "деревья",
    "кустарники", "семена",   "удобрения", "полив",   "уход",     "зимой",    "весной",
    "летом",     "осенью",    "советы",    "мастера", "Ёлки",     "«лучшие»", "—",
};

std::string Phrase(std::mt19937& rng, int minWords, int maxWords) {
    std::uniform_int_distribution<int> count(minWords, maxWords);
    std::uniform_int_distribution<int> pick(0, int(std::size(kWords)) - 1);
    QString text;
    const int n = count(rng);
    for (int i = 0; i < n; ++i) {
        if (i > 0)
            text += u' ';
        text += QString::fromUtf8(kWords[pick(rng)]);
    }
    if (rng() % 10 == 0)
        text += QStringLiteral(" & <пометка> \"в кавычках\"");
    return ToCp1251(text);
}

// Roots with children down to level 4; pre-order creation.
void Generate(TContentsTree& tree, int nodes) {
    std::mt19937 rng(2009);
    const QDate base(2005, 1, 1);
    int made = 0;
    std::function<void(TTreeNode*, int)> fill = [&](TTreeNode* parent, int level) {
        while (made < nodes) {
            TTreeRec rec;
            rec.FileName = GuidFileStem() + ".htm";
            if (rng() % 3 == 0)
                rec.ThumbName = GuidFileStem() + ".jpg";
            rec.Note = Phrase(rng, 2, 7);
            rec.Date = QDateTime(base.addDays(int(rng() % 5000)), QTime(0, 0));
            TTreeNode* n = tree.AddChild(parent, Phrase(rng, 1, 4), std::move(rec));
            ++made;
            if (level < 4 && rng() % 4 != 0)
                fill(n, level + 1);
            if (parent && rng() % 5 == 0)
                return; // this level ends
        }
    };
    fill(nullptr, 0);
}

struct Stats {
    double best = 0, median = 0;
};

Stats Measure(int runs, const std::function<double()>& once) {
    std::vector<double> t;
    for (int i = 0; i < runs; ++i)
        t.push_back(once());
    std::sort(t.begin(), t.end());
    return {t.front(), t[t.size() / 2]};
}

double Ms(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

// CPU time of this thread and minor page faults of the process, to tell the
// program's own cost from a busy machine's.
struct Usage {
    double cpuMs;
    long faults;
    static Usage Now() {
        timespec ts;
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        rusage ru;
        getrusage(RUSAGE_SELF, &ru);
        return {ts.tv_sec * 1e3 + ts.tv_nsec / 1e6, ru.ru_minflt};
    }
};
struct Cost {
    double cpuMs = 1e18;
    long faults = 0;
    void Take(const Usage& a, const Usage& b) {
        if (b.cpuMs - a.cpuMs < cpuMs) {
            cpuMs = b.cpuMs - a.cpuMs;
            faults = b.faults - a.faults;
        }
    }
};

// node: read the file (not timed), then time evaluating it as a script.
const char kNodeScript[] = R"JS(
const fs = require('fs'), vm = require('vm');
const src = fs.readFileSync(process.argv[1], 'latin1');
const runs = +process.argv[2];
const times = [];
let count = 0;
for (let i = 0; i < runs; i++) {
  const ctx = vm.createContext({});
  const t0 = process.hrtime.bigint();
  vm.runInContext(src, ctx);
  const t1 = process.hrtime.bigint();
  times.push(Number(t1 - t0) / 1e6);
  const walk = a => { for (const it of a) { count++; if (it[5]) walk(it[5]); } };
  if (i === 0) walk(ctx.index);
}
times.sort((a, b) => a - b);
console.log(times[0].toFixed(2), times[Math.floor(times.length / 2)].toFixed(2), count);
)JS";

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsSet("BENCH_WARM_HEAP")) {
        mallopt(M_TRIM_THRESHOLD, 1 << 30);
        mallopt(M_MMAP_THRESHOLD, 1 << 30);
    }
    QCoreApplication app(argc, argv);
    int nodes = 100000, runs = 7;
    QString keep;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == u"--nodes")
            nodes = args[i + 1].toInt();
        else if (args[i] == u"--runs")
            runs = std::max(1, args[i + 1].toInt());
        else if (args[i] == u"--keep")
            keep = args[i + 1];
    }

    QTemporaryDir tmp;
    const QString site = (keep.isEmpty() ? tmp.path() : keep) + u'/';
    QDir().mkpath(site);

    TContentsTree source;
    Generate(source, nodes);
    SaveContents(source, site, kFormat);
    const qint64 size = QFileInfo(site + QStringLiteral("index")).size();
    std::printf("index: %d nodes, %.1f MB (%lld bytes), site folder %s\n", int(source.NodeCount()),
                double(size) / 1e6, static_cast<long long>(size), qPrintable(site));

    // Reading: LoadContents into an empty tree (file read, parse, tree built).
    std::size_t loaded = 0;
    Cost readCost, formatCost, saveCost;
    const Stats read = Measure(runs, [&] {
        TContentsTree tree;
        const Usage u0 = Usage::Now();
        const auto t0 = Clock::now();
        const TLoadResult r = LoadContents(tree, site, kFormat);
        const auto t1 = Clock::now();
        readCost.Take(u0, Usage::Now());
        loaded = tree.NodeCount();
        if (!r.Faults.empty())
            std::printf("unexpected fault: %s\n", r.Faults.front().c_str());
        return Ms(t0, t1);
    });
    if (loaded != source.NodeCount()) {
        std::printf("read back %zu nodes, expected %zu\n", loaded, source.NodeCount());
        return 2;
    }

    TContentsTree tree;
    LoadContents(tree, site, kFormat);
    const Stats format = Measure(runs, [&] {
        const Usage u0 = Usage::Now();
        const auto t0 = Clock::now();
        const TContentsBytes b = WriteContents(tree, kFormat);
        const auto t1 = Clock::now();
        formatCost.Take(u0, Usage::Now());
        if (b.Index.size() != std::size_t(size))
            std::printf("size differs after the round trip\n");
        return Ms(t0, t1);
    });
    const Stats save = Measure(runs, [&] {
        const Usage u0 = Usage::Now();
        const auto t0 = Clock::now();
        SaveContents(tree, site, kFormat);
        const auto t1 = Clock::now();
        saveCost.Take(u0, Usage::Now());
        return Ms(t0, t1);
    });

    std::printf("read   LoadContents          best %7.2f ms  median %7.2f ms  cpu %7.2f ms  %ld faults\n",
                read.best, read.median, readCost.cpuMs, readCost.faults);
    std::printf("write  WriteContents (bytes) best %7.2f ms  median %7.2f ms  cpu %7.2f ms  %ld faults\n",
                format.best, format.median, formatCost.cpuMs, formatCost.faults);
    std::printf("write  SaveContents (+disk)  best %7.2f ms  median %7.2f ms  cpu %7.2f ms  %ld faults"
                "  (two atomic writes, fsync)\n",
                save.best, save.median, saveCost.cpuMs, saveCost.faults);

    const QString nodeExe = QStandardPaths::findExecutable(QStringLiteral("node"));
    if (nodeExe.isEmpty()) {
        std::printf("node not found: no comparison\n");
        return read.median < 100 && save.median < 100 ? 0 : 1;
    }
    QProcess node;
    node.start(nodeExe, {QStringLiteral("-e"), QString::fromUtf8(kNodeScript), site + QStringLiteral("index"),
                         QString::number(runs)});
    node.waitForFinished(600000);
    const QStringList out = QString::fromLocal8Bit(node.readAllStandardOutput()).split(u' ');
    if (out.size() < 3) {
        std::printf("node failed: %s\n", node.readAllStandardError().constData());
        return 2;
    }
    const double nodeBest = out[0].toDouble(), nodeMedian = out[1].toDouble();
    std::printf("node   evaluating index      best %7.2f ms  median %7.2f ms  (%d items)\n", nodeBest,
                nodeMedian, out[2].trimmed().toInt());
    const double readRatio = nodeMedian / read.median;
    const double writeRatio = nodeMedian / save.median;
    std::printf("ratio  node / read %.1fx, node / write %.1fx (bytes only %.1fx); target >= 5x, each < 100 ms\n",
                readRatio, writeRatio, nodeMedian / format.median);
    const bool ok = read.median < 100 && save.median < 100 && readRatio >= 5 && writeRatio >= 5;
    std::printf("%s\n", ok ? "targets met" : "TARGET MISSED");
    return ok ? 0 : 1;
}
