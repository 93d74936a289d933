// The engine on a column of 1,000,000 cells holding 10,000 distinct values with Zipf-like
// frequencies, as one analysis would meet it. One run prints every figure and the ratios:
//   (a) a bare hash count of the cells, case folded, in memory
//   (b) distinct values plus one COUNTIF per category through the engine
//   (c) the cell-by-cell COUNTIF for 100 categories, extrapolated to all of them
//   (d) reading a generated 1M-cell workbook file through the engine
//   (e) the bare libzip + expat parse of the same file
// (a) and (b), and (d) and (e), are medians of seven runs taken by turns; (c) is one run.

#include "bench/BenchData.h"
#include "bench/BenchWorkbook.h"
#include "core/analysis/CategoryTable.h"
#include "core/analysis/HeadlessUi.h"
#include "excel/TextForm.h"
#include "engines/embedded/Criterion.h"
#include "engines/embedded/EmbeddedApplication.h"
#include "engines/embedded/xlsx/XlsxReader.h"
#include "core/platform/ListViewModel.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <algorithm>
#include <cstdio>
#include <expat.h>
#include <functional>
#include <random>
#include <vector>
#include <zip.h>

using namespace bench;

namespace {

// The floor for reading: unpack and tokenize, doing nothing with what is found.
long bareParse(const QString& path) {
    long elements = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, nullptr);
    for (const char* part : {"xl/sharedStrings.xml", "xl/worksheets/sheet1.xml"}) {
        XML_Parser p = XML_ParserCreate(nullptr);
        XML_SetUserData(p, &elements);
        XML_SetElementHandler(
            p, [](void* d, const char*, const char**) { ++*static_cast<long*>(d); },
            [](void*, const char*) {});
        XML_SetCharacterDataHandler(p, [](void*, const char*, int) {});
        zip_file_t* f = zip_fopen(z, part, 0);
        std::vector<char> buffer(256 * 1024);
        zip_int64_t n = 0;
        while ((n = zip_fread(f, buffer.data(), buffer.size())) > 0)
            XML_Parse(p, buffer.data(), int(n), 0);
        XML_Parse(p, "", 0, 1);
        zip_fclose(f);
        XML_ParserFree(p);
    }
    zip_discard(z);
    return elements;
}

} // namespace

int main() {
    std::printf("Generating %d cells with %d distinct values...\n", kCells, kDistinct);
    const std::vector<int> column = zipfColumn();

    // (a) the bare hash count, and (b) the analysis's own distinct values (first occurrence,
    // case folded) and one COUNTIF per category through the engine, measured by turns.
    BareHashCount bare(column);
    auto app = bench::hostColumn(column);
    const excel::Range range = app->Range(QStringLiteral("A1:A%1").arg(kCells));
    const auto* hosted = static_cast<const embedded::EmbeddedWorksheet*>(range.Worksheet().get());
    analysis::HeadlessUi ui;
    platform::ListViewModel included, results;
    analysis::CategoryTable table(app, included, results, ui);
    std::vector<QString> labels;
    double countedCells = 0;
    const auto [a, b] = medianSecondsByTurns(std::ref(bare), [&] {
        touch(app);
        table.takeRange(range, app->ActiveWorkbook(), false);
        table.CollectUniqueValues();
        labels.clear();
        countedCells = 0;
        for (const excel::Variant& v : table.UniqueValues) {
            labels.push_back(excel::textForm(v));
            countedCells += app->CountIf(range, analysis::criterionForLabel(labels.back()));
        }
    });
    const int distinctA = bare.distinct;
    const int distinctB = int(labels.size());

    // (c) the cell-by-cell scan for 100 categories, extrapolated
    const excel::CellRect rect = range.rects().front();
    // One repetition: it is by far the slowest figure and varies little.
    double scanned = 0;
    QElapsedTimer scanTimer;
    scanTimer.start();
    for (int k = 0; k < 100; ++k)
        scanned += double(embedded::countIfScan(
            hosted->cells(), rect,
            embedded::Criterion::parse(analysis::criterionForLabel(labels[size_t(k)]), false)));
    const double c100 = scanTimer.nsecsElapsed() / 1e9;
    const double c = c100 * double(distinctB) / 100.0;

    // (d) and (e): the same column as a workbook file
    const QString path = QDir::temp().filePath(QStringLiteral("tallyvane-bench-1m.xlsx"));
    writeWorkbook(path, column);
    qint64 cellsRead = 0;
    long elements = 0;
    const auto [d, e] = medianSecondsByTurns(
        [&] {
            const embedded::WorkbookData book = embedded::readXlsx(path);
            cellsRead = book.sheets.front().cells->cellCount();
        },
        [&] { elements = bareParse(path); });

    std::printf("file: %s, %lld bytes\n", qPrintable(path), QFile(path).size());
    std::printf("(a) bare hash count:                 %8.3f s  (%d distinct)\n", a, distinctA);
    std::printf(
        "(b) distinct + COUNTIF per category: %8.3f s  (%d categories, %.0f cells counted)\n", b,
        distinctB, countedCells);
    std::printf("(c) cell-by-cell COUNTIF, all:       %8.3f s  (100 took %.3f s, %.0f cells)\n", c,
                c100, scanned);
    std::printf("(d) workbook file through engine:    %8.3f s  (%lld cells)\n", d, cellsRead);
    std::printf("(e) bare libzip + expat parse:       %8.3f s  (%ld elements)\n", e, elements);
    std::printf("b/a = %.2f (goal <= 1.5)   c/b = %.0f (goal >= 100)   d/e = %.2f (goal <= 1.2)\n",
                b / a, c / b, d / e);
    if (qEnvironmentVariableIsEmpty("TALLYVANE_BENCH_KEEP"))
        QFile::remove(path);
    return 0;
}
