// Writing the report into a generated workbook of 1,000,000 cells (10,000 categories), timed
// against copying the file:
//   (a) copying the workbook file
//   (b) the report with the chart, then saving the workbook (no conditional format spliced)
//   (c) a highlight, then saving (the 1M-cell sheet is spliced)
// Each a median of five runs; the workbook is opened and analysed before each run, untimed.

#include "bench/BenchWorkbook.h"
#include "core/analysis/CategoryTable.h"
#include "core/analysis/HeadlessUi.h"
#include "core/analysis/Highlight.h"
#include "engines/embedded/EmbeddedApplication.h"
#include "core/platform/ListViewModel.h"
#include "core/report/ReportAction.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>

using namespace bench;

namespace {

struct Opened {
    std::shared_ptr<embedded::EmbeddedApplication> app;
    platform::ListViewModel included, main;
    analysis::HeadlessUi ui;
    std::unique_ptr<analysis::CategoryTable> table;
};

std::unique_ptr<Opened> openAndAnalyse(const QString& source, const QString& work) {
    QFile::remove(work);
    QFile::copy(source, work);
    auto o = std::make_unique<Opened>();
    o->app = embedded::EmbeddedApplication::create();
    o->app->open(work);
    o->table = std::make_unique<analysis::CategoryTable>(o->app, o->included, o->main, o->ui);
    o->table->prepareLists();
    o->table->takeRange(o->app->Range(QStringLiteral("A1:A%1").arg(kCells)),
                        o->app->ActiveWorkbook(), true);
    o->table->CollectUniqueValues();
    o->table->DetectUniqueCategories();
    o->table->Refresh();
    return o;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication qapp(argc, argv);
    const QString dir = QDir::temp().filePath(QStringLiteral("tallyvane-report-bench"));
    QDir().mkpath(dir);
    const QString source = dir + QStringLiteral("/source.xlsx");
    const QString work = dir + QStringLiteral("/work.xlsx");
    writeWorkbook(source, zipfColumn());
    std::printf("workbook: %lld bytes, %d cells, %d categories\n",
                static_cast<long long>(QFileInfo(source).size()), kCells, kDistinct);

    const double copy = medianSeconds([&] {
        QFile::remove(work);
        QFile::copy(source, work);
    });

    std::vector<double> report, highlight;
    int rows = 0;
    for (int i = 0; i < 5; ++i) {
        auto o = openAndAnalyse(source, work);
        rows = o->main.count();
        report.push_back(secondsOf([&] {
            report::runReport(*o->app, o->app->ActiveWorkbook(), o->main, true);
            o->app->endSession();
        }));
        auto h = openAndAnalyse(source, work);
        const excel::Range range = *h->table->AnalysedRange;
        highlight.push_back(secondsOf([&] {
            analysis::runHighlightAction(
                *h->app, [&] { analysis::HighlightCategory(range, "D-00001"); },
                QStringLiteral("set"));
            h->app->endSession();
        }));
    }
    std::printf("(a) copying the file:                  %.3f s\n", copy);
    std::printf("(b) report with chart (%d rows) + save: %.3f s  (b/a %.1f)\n", rows,
                median(report), median(report) / copy);
    std::printf("(c) highlight + save (sheet spliced):  %.3f s  (c/a %.1f)\n", median(highlight),
                median(highlight) / copy);
    return 0;
}
