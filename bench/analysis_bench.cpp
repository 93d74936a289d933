// The whole analysis pass as the window runs it, on the column of BenchData.h (1,000,000 cells,
// 10,000 categories): take the range, read its values, collect the distinct values, list them,
// count each through the engine, sort by count and write the cumulative shares. Printed against
// the bare hash count of the same cells. Then the result list alone at its largest: 32,767 rows
// filled as counting fills them and sorted by number.

#include "bench/BenchData.h"
#include "core/analysis/CategoryTable.h"
#include "core/analysis/HeadlessUi.h"
#include "core/analysis/SortListView.h"
#include "core/platform/ListViewModel.h"
#include "ui/platform/RangeInputDialog.h"

#include <QApplication>
#include <QTableView>
#include <cstdio>

int main(int argc, char** argv) {
    using namespace bench;
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    // As the programs do: the system's locale by name, so that formatting does not ask the
    // system again for every number.
    QLocale::setDefault(QLocale(QLocale::system().name()));
    const std::vector<int> column = zipfColumn();
    BareHashCount bareCount(column);
    auto app = hostColumn(column);
    analysis::HeadlessUi ui;

    double total = 0;
    int rows = 0;
    double collect = 0, detect = 0, count = 0;
    const auto [bare, pass] = medianSecondsByTurns(std::ref(bareCount), [&] {
        touch(app); // each run without the engine's cached counts
        ui.messages.clear();
        platform::ListViewModel included, results;
        analysis::CategoryTable table(app, included, results, ui);
        table.prepareLists();
        QElapsedTimer t;
        t.start();
        table.takeRange(*app->Selection(), app->ActiveWorkbook(), false);
        table.CollectUniqueValues();
        collect = double(t.nsecsElapsed()) / 1e9;
        t.restart();
        table.DetectUniqueCategories();
        detect = double(t.nsecsElapsed()) / 1e9;
        t.restart();
        table.Refresh();
        count = double(t.nsecsElapsed()) / 1e9;
        total = table.TotalCount;
        for (const QString& m : ui.messages)
            std::printf("message: %s\n", qPrintable(m));
        rows = results.count();
    });

    constexpr int kRows = 32767;
    int sortedRows = 0;
    const double fillAndSort = medianSeconds([&] {
        platform::ListViewModel list;
        for (const char* c : {"Category", "Count", "Count(%)", "Cum(%)", "Bar chart of Count(%)"})
            list.addColumn(QString::fromLatin1(c));
        const QLocale locale;
        std::mt19937 rng(1);
        std::uniform_int_distribution<int> counts(1, 100000);
        for (int k = 1; k <= kRows; ++k) {
            const int row =
                list.add(1, QStringLiteral("K%1").arg(k), QStringLiteral("Category %1").arg(k));
            const int c = counts(rng);
            list.setSubItem(row, 1, QString::number(c));
            list.setSubItem(row, 2, analysis::formatPercent(c / 1e6, locale));
            list.setSubItem(row, 4, QString(c % 31, QLatin1Char('*')));
        }
        analysis::SortByColumn(list, 2, 1, analysis::NumberSort, ui);
        sortedRows = list.count();
    });

    // The range input box on the million-row sheet: open it, show it, scroll to the end.
    const double dialog = medianSeconds([&] {
        platform::RangeInputDialog box(*app, QStringLiteral("Select a range"), {});
        box.show();
        QCoreApplication::processEvents();
        auto* grid = box.findChild<QTableView*>(QStringLiteral("Grid"));
        grid->scrollToBottom();
        QCoreApplication::processEvents();
    });

    std::printf("bare hash count:                %.3f s\n", bare);
    std::printf(
        "whole pass:                     %.3f s  (collect %.3f, list %.3f, count+sort+cumulative "
        "%.3f; %d rows, %.0f cells counted)\n",
        pass, collect, detect, count, rows, total);
    std::printf("whole pass / bare hash count:   %.2f (goal <= 2)\n", pass / bare);
    std::printf("fill + number sort, %d rows: %.3f s (goal < 0.3 s)\n", sortedRows, fillAndSort);
    std::printf("range input box on %d rows, shown and scrolled to the end: %.3f s\n", kCells,
                dialog);
    return 0;
}
