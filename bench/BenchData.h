#pragma once
// What the benchmarks share: a column of 1,000,000 cells holding 10,000 distinct values with
// Zipf-like frequencies (every tenth category a number), the bare hash count that every figure is
// measured against, and a median timer.

#include "excel/embedded/EmbeddedApplication.h"

#include <QElapsedTimer>
#include <QHash>
#include <algorithm>
#include <functional>
#include <random>
#include <vector>

namespace bench {

constexpr int kCells = 1000000;
constexpr int kDistinct = 10000;

inline excel::Variant categoryValue(int k) {
    if (k % 10 == 9)
        return excel::Variant(double(100000 + k));
    return excel::Variant(QStringLiteral("D-%1").arg(k, 5, 10, QLatin1Char('0')));
}

// Category numbers of the cells, drawn with frequencies proportional to 1/rank.
inline std::vector<int> zipfColumn() {
    std::vector<double> cumulative(kDistinct);
    double sum = 0;
    for (int k = 0; k < kDistinct; ++k) {
        sum += 1.0 / (k + 1);
        cumulative[size_t(k)] = sum;
    }
    std::mt19937 rng(42);
    std::uniform_real_distribution<double> u(0, sum);
    std::vector<int> column(kCells);
    for (int& c : column)
        c = int(std::lower_bound(cumulative.begin(), cumulative.end(), u(rng)) -
                cumulative.begin());
    return column;
}

// The median of five runs, in seconds.
inline double medianSeconds(const std::function<void()>& f) {
    std::vector<double> times;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        times.push_back(double(t.nsecsElapsed()) / 1e9);
    }
    std::sort(times.begin(), times.end());
    return times[2];
}

// (a): count the cells' texts in a hash, case folded, straight from memory.
inline double bareHashCount(const std::vector<int>& column, int* distinct = nullptr) {
    std::vector<QString> texts(column.size());
    for (size_t r = 0; r < column.size(); ++r)
        texts[r] = categoryValue(column[r]).toString();
    return medianSeconds([&] {
        QHash<QString, int> counts;
        for (const QString& t : texts)
            ++counts[t.toCaseFolded()];
        if (distinct)
            *distinct = int(counts.size());
    });
}

// The column hosted by the engine as sheet "Data", column A.
inline std::shared_ptr<embedded::EmbeddedApplication> hostColumn(const std::vector<int>& column) {
    embedded::WorkbookData data;
    data.name = QStringLiteral("bench.xlsx");
    embedded::SheetData sheet;
    sheet.name = QStringLiteral("Data");
    sheet.cells = std::make_shared<embedded::CellStore>(data.context);
    for (size_t r = 0; r < column.size(); ++r)
        sheet.cells->setValue(int(r + 1), 1, categoryValue(column[r]));
    sheet.selection = {excel::CellRect{1, 1, int(column.size()), 1}};
    data.sheets.push_back(std::move(sheet));
    auto app = embedded::EmbeddedApplication::create();
    app->host(std::move(data));
    return app;
}

} // namespace bench
