#pragma once
// Counts of one block of cells grouped by what criteria can tell apart, built in one pass, so that
// each COUNTIF afterwards is a lookup (or a walk over the distinct values) instead of a scan. Every
// count equals countIfScan() on the same cells: the grouping keeps exactly what Criterion reads.

#include "engines/embedded/store/CellStore.h"
#include "engines/embedded/Criterion.h"

#include <QHash>
#include <unordered_map>
#include <vector>

namespace embedded {

class CountIfIndex {
public:
    CountIfIndex(const CellStore& cells, const excel::CellRect& rect);

    qint64 count(const Criterion& criterion) const;
    qint64 nonBlank() const { return m_total - m_blank; }

private:
    qint64 equalCount(const Criterion& criterion) const;
    qint64 compareCount(const Criterion& criterion) const;
    qint64 textCount(const QString& folded) const { return m_text.value(folded, 0); }
    qint64 numberCount(const Criterion& criterion) const;

    struct NumberCount {
        double value;
        qint64 count;
        qint64 before; // cells with a smaller number
    };

    qint64 m_total = 0;
    qint64 m_blank = 0;
    qint64 m_booleans[2] = {0, 0};
    qint64 m_errors[8] = {};
    QHash<QString, qint64> m_text;      // folded text -> cells
    std::vector<NumberCount> m_numbers; // ascending, one entry per distinct value
    qint64 m_numberCells = 0;
    std::unordered_map<double, qint64> m_numericText; // value read from text -> cells
};

} // namespace embedded
