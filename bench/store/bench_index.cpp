// Benchmark (not a test): an index of 100,000 nodes (about 13 MB, Cyrillic
// titles and notes, several levels deep); times LoadContents (read into the
// tree), WriteContents and SaveContents (write back), and node evaluating the
// same file as JavaScript, as the published site's pages do.
//
//   bench_index [--nodes N] [--runs R] [--keep DIR]
// Each operation is timed cold (every run a fresh process: the program loads
// once per run, a page of the site evaluates the file once) and warm
// (repeated in one process), node too; prints medians and best runs in
// milliseconds and the ratios. Exit status 1 when a target is missed: read
// cold and write under 100 ms, each at least 5x faster than node's cold
// evaluation.

#include "store/contents_tree.h"
#include "store/index_file.h"
#include "store/text_codec.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <sys/resource.h>
#include <time.h>
#include <vector>

using namespace quillery;
using Clock = std::chrono::steady_clock;

namespace {

const QString kFormat = QStringLiteral("dd.MM.yyyy");

const char* const kWords[] = {
    "Главная",    "страница", "О",          "нас",      "история", "компании", "Цены",
    "условия",    "доставка", "оплата",     "контакты", "новости", "отзывы",   "каталог",
    "товаров",    "услуги",   "скидки",     "акции",    "сезона",  "вопросы",  "ответы",
    "партнёры",   "вакансии", "фотографии", "сада",     "огород",  "цветы",    "деревья",
    "кустарники", "семена",   "удобрения",  "полив",    "уход",    "зимой",    "весной",
    "летом",      "осенью",   "советы",     "мастера",  "Ёлки",    "«лучшие»", "—",
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
    double first = 0, best = 0, median = 0;
};

// The first run meets memory the process has never touched (the case of the
// program, which loads once); later runs reuse it.
Stats Measure(int runs, const std::function<double()>& once) {
    std::vector<double> t;
    for (int i = 0; i < runs; ++i)
        t.push_back(once());
    const double first = t.front();
    std::sort(t.begin(), t.end());
    return {first, t.front(), t[t.size() / 2]};
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

// node, warm: one process evaluates the file again and again (V8 keeps the
// compiled script, so later runs skip most of the parsing).
const char kNodeWarm[] = R"JS(
const fs = require('fs'), vm = require('vm');
const src = fs.readFileSync(process.argv[1], 'latin1');
const times = [];
let count = 0;
for (let i = 0; i < +process.argv[2]; i++) {
  const ctx = vm.createContext({});
  const t0 = process.hrtime.bigint();
  vm.runInContext(src, ctx);
  times.push(Number(process.hrtime.bigint() - t0) / 1e6);
  const walk = a => { for (const it of a) { count++; if (it[5]) walk(it[5]); } };
  if (i === 0) walk(ctx.index);
}
console.log(times.join(' '), count);
)JS";

// node, cold: what a page of the published site does, once per process.
const char kNodeCold[] = R"JS(
const fs = require('fs'), vm = require('vm');
const src = fs.readFileSync(process.argv[1], 'latin1');
const t0 = process.hrtime.bigint();
vm.runInThisContext(src);
console.log(Number(process.hrtime.bigint() - t0) / 1e6);
)JS";

std::vector<double> Numbers(const QByteArray& text) {
    std::vector<double> v;
    for (const QByteArray& w : text.simplified().split(' '))
        v.push_back(w.toDouble());
    return v;
}

Stats Summarise(std::vector<double> t) {
    if (t.empty())
        return {};
    const double first = t.front();
    std::sort(t.begin(), t.end());
    return {first, t.front(), t[t.size() / 2]};
}

// Runs program with args `runs` times, each a fresh process printing one time.
Stats Cold(const QString& program, const QStringList& args, int runs) {
    std::vector<double> t;
    for (int i = 0; i < runs; ++i) {
        QProcess p;
        p.start(program, args);
        p.waitForFinished(600000);
        const std::vector<double> v = Numbers(p.readAllStandardOutput());
        if (p.exitCode() != 0 || v.empty()) {
            std::printf("%s failed: %s\n", qPrintable(program),
                        p.readAllStandardError().constData());
            return {};
        }
        t.push_back(v.front());
    }
    return Summarise(t);
}

void Row(const char* what, const Stats& cold, const Stats& warm) {
    std::printf("%-28s %8.2f %8.2f %8.2f %8.2f\n", what, cold.median, cold.best, warm.median,
                warm.best);
}

// Child mode: one timed operation in a fresh process.
int Child(const QString& mode, const QString& site) {
    TContentsTree tree;
    if (mode == u"read") {
        const auto t0 = Clock::now();
        LoadContents(tree, site, kFormat);
        std::printf("%.3f\n", Ms(t0, Clock::now()));
        return tree.IsEmpty() ? 1 : 0;
    }
    LoadContents(tree, site, kFormat);
    const auto t0 = Clock::now();
    if (mode == u"write") {
        const TContentsBytes b = WriteContents(tree, kFormat);
        std::printf("%.3f\n", Ms(t0, Clock::now()));
        return b.Index.empty() ? 1 : 0;
    }
    SaveContents(tree, site, kFormat);
    std::printf("%.3f\n", Ms(t0, Clock::now()));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int nodes = 100000, runs = 7;
    QString keep;
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == u"--child")
        return Child(args[2], args[3]);
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
    {
        TContentsTree source;
        Generate(source, nodes);
        SaveContents(source, site, kFormat);
    }
    const qint64 size = QFileInfo(site + QStringLiteral("index")).size();
    std::printf("index: %d nodes, %.1f MB (%lld bytes), %d runs each\n", nodes, double(size) / 1e6,
                static_cast<long long>(size), runs);

    // Cold: each run a fresh process (the program loads once per run; a
    // page of the site evaluates the file once).
    const QString self = app.applicationFilePath();
    const Stats coldRead =
        Cold(self, {QStringLiteral("--child"), QStringLiteral("read"), site}, runs);
    const Stats coldWrite =
        Cold(self, {QStringLiteral("--child"), QStringLiteral("write"), site}, runs);
    const Stats coldSave =
        Cold(self, {QStringLiteral("--child"), QStringLiteral("save"), site}, runs);

    // Warm: repeated in this process.
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
    if (loaded != std::size_t(nodes)) {
        std::printf("read back %zu nodes, expected %d\n", loaded, nodes);
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

    std::printf("\n%-28s %8s %8s %8s %8s   (ms)\n", "", "cold med", "cold best", "warm med",
                "warm best");
    Row("read   LoadContents", coldRead, read);
    Row("write  WriteContents (bytes)", coldWrite, format);
    Row("write  SaveContents (files)", coldSave, save);
    std::printf(
        "  warm cpu: read %.2f ms (%ld page faults), bytes %.2f ms, files %.2f ms (the rest "
        "of files is fsync)\n",
        readCost.cpuMs, readCost.faults, formatCost.cpuMs, saveCost.cpuMs);

    const QString nodeExe = QStandardPaths::findExecutable(QStringLiteral("node"));
    if (nodeExe.isEmpty()) {
        std::printf("node not found: no comparison\n");
        return read.median < 100 && save.median < 100 ? 0 : 1;
    }
    const QString index = site + QStringLiteral("index");
    const Stats nodeCold =
        Cold(nodeExe, {QStringLiteral("-e"), QString::fromUtf8(kNodeCold), index}, runs);
    QProcess warmNode;
    warmNode.start(nodeExe, {QStringLiteral("-e"), QString::fromUtf8(kNodeWarm), index,
                             QString::number(runs)});
    warmNode.waitForFinished(600000);
    std::vector<double> warmTimes = Numbers(warmNode.readAllStandardOutput());
    const int items = warmTimes.empty() ? 0 : int(warmTimes.back());
    if (!warmTimes.empty())
        warmTimes.pop_back();
    const Stats nodeWarm = Summarise(warmTimes);
    Row("node   evaluating index", nodeCold, nodeWarm);
    std::printf("  (node counted %d items)\n", items);

    auto ratio = [](const Stats& n, const Stats& q) {
        return q.median > 0 ? n.median / q.median : 0;
    };
    std::printf("\nnode / ours, medians      cold    warm\n");
    std::printf("  read                 %6.1fx %6.1fx\n", ratio(nodeCold, coldRead),
                ratio(nodeWarm, read));
    std::printf("  write (bytes)        %6.1fx %6.1fx\n", ratio(nodeCold, coldWrite),
                ratio(nodeWarm, format));
    std::printf("  write (files)        %6.1fx %6.1fx\n", ratio(nodeCold, coldSave),
                ratio(nodeWarm, save));
    // The targets, on the program's case: one load per run (cold), saves in
    // a running program (warm), against one evaluation per page (node cold).
    // Times by the best run (the least disturbed on a shared machine),
    // ratios by medians.
    const bool timeOk = coldRead.best < 100 && save.best < 100;
    const bool ratioOk = ratio(nodeCold, coldRead) >= 5 && ratio(nodeCold, save) >= 5;
    std::printf("targets: read (cold) and write (warm, files) < 100 ms: %s; >= 5x node cold: %s; "
                "against node warm: read %.1fx, write %.1fx\n",
                timeOk ? "met" : "MISSED", ratioOk ? "met" : "MISSED", ratio(nodeWarm, read),
                ratio(nodeWarm, save));
    const bool ok = timeOk && ratioOk;
    return ok ? 0 : 1;
}
