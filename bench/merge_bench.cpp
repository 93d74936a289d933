// Several workbooks in one Pareto: tallyvane-batch A.xlsx B.xlsx ... --range A:A reads them in
// parallel (a thread per core) and merges the counts. Against reading the same ten workbooks of
// 1,000,000 rows one after another (ten runs of the batch, one per file, in one shell), the merged
// run should take at most 0.6x the time on 2 cores. Medians of three runs taken by turns.
//   merge_bench TALLYVANE_BATCH [DIR]   (DIR: where the workbooks are made and kept)

#include "bench/BenchData.h"
#include "bench/BenchRun.h"
#include "bench/BenchWorkbook.h"

#include <QDir>
#include <QTemporaryDir>
#include <cstdio>
#include <thread>

using namespace bench;

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: merge_bench TALLYVANE_BATCH [DIR]\n");
        return 2;
    }
    const std::string batch = argv[1];
    QTemporaryDir temporary;
    const QString dir = argc > 2 ? QString::fromLocal8Bit(argv[2]) : temporary.path();
    QDir().mkpath(dir);
    constexpr int kBooks = 10;
    const std::vector<int> column = zipfColumn();
    std::vector<std::string> merged = {batch};
    std::string oneByOne;
    for (int i = 0; i < kBooks; ++i) {
        const QString path = QStringLiteral("%1/book%2.xlsx").arg(dir).arg(i);
        if (!QFile::exists(path))
            writeWorkbook(path, column);
        merged.push_back(path.toStdString());
        oneByOne += "\"" + batch + "\" \"" + path.toStdString() + "\" --range A:A >/dev/null; ";
    }
    merged.push_back("--range");
    merged.push_back("A:A");
    const std::string memory = (dir + QStringLiteral("/memory.txt")).toStdString();
    const auto runs = medians({merged, {"/bin/sh", "-c", oneByOne}}, memory, 3);
    for (const Run& r : runs) {
        if (r.status != 0) {
            std::fprintf(stderr, "a run failed (status %d)\n", r.status);
            return 1;
        }
    }
    std::printf("%d workbooks of %d rows, %u cores\n", kBooks, kCells,
                std::thread::hardware_concurrency());
    std::printf("merged in one run:  %.2f s (peak %.0f MB)\n", runs[0].seconds, runs[0].megabytes);
    std::printf("one after another:  %.2f s (peak of one %.0f MB)\n", runs[1].seconds,
                runs[1].megabytes);
    const double ratio = runs[0].seconds / runs[1].seconds;
    std::printf("ratio: %.2fx (goal: at most 0.6x) %s\n", ratio, ratio <= 0.6 ? "met" : "missed");
    return 0;
}
