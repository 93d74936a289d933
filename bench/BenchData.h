#pragma once
// What the benchmarks share: a column of 1,000,000 cells holding 10,000 distinct values with
// Zipf-like frequencies (every tenth category a number), the bare hash count that every figure is
// measured against, and a median timer.

#include "engines/embedded/EmbeddedApplication.h"

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

inline double secondsOf(const std::function<void()>& f) {
    QElapsedTimer t;
    t.start();
    f();
    return double(t.nsecsElapsed()) / 1e9;
}

inline double median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The median of five runs, in seconds.
inline double medianSeconds(const std::function<void()>& f) {
    std::vector<double> times;
    for (int i = 0; i < 5; ++i)
        times.push_back(secondsOf(f));
    return median(times);
}

// Medians of f and g run by turns, so that what else the machine does weighs on both alike and
// their ratio is steadier than either figure.
inline std::pair<double, double>
medianSecondsByTurns(const std::function<void()>& f, const std::function<void()>& g, int runs = 7) {
    std::vector<double> fs, gs;
    for (int i = 0; i < runs; ++i) {
        fs.push_back(secondsOf(f));
        gs.push_back(secondsOf(g));
    }
    return {median(fs), median(gs)};
}

// (a): count the cells' texts in a hash, case folded, straight from memory.
class BareHashCount {
public:
    explicit BareHashCount(const std::vector<int>& column)
        : m_texts(column.size()) {
        for (size_t r = 0; r < column.size(); ++r)
            m_texts[r] = categoryValue(column[r]).toString();
    }
    void operator()() {
        QHash<QString, int> counts;
        for (const QString& t : m_texts)
            ++counts[t.toCaseFolded()];
        distinct = int(counts.size());
    }
    int distinct = 0;

private:
    std::vector<QString> m_texts;
};

// Drops the engine's cached counts of a sheet, as an edit of the sheet does.
inline void touch(const std::shared_ptr<embedded::EmbeddedApplication>& app) {
    auto sheet = std::static_pointer_cast<embedded::EmbeddedWorksheet>(app->ActiveSheet());
    sheet->data().cells->setValue(kCells + 5, 5, excel::Variant(1.0));
    sheet->data().cells->erase(kCells + 5, 5);
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
