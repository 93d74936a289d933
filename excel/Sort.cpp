#include "excel/Sort.h"

#include "excel/CellFormat.h"
#include "excel/Error.h"
#include "excel/Worksheet.h"

#include <QCollator>
#include <algorithm>
#include <numeric>

namespace excel {

namespace {

// The groups of the ascending order; empty cells sort apart.
int rankOf(const Variant& v) {
    switch (v.kind()) {
    case Variant::Kind::Number:
    case Variant::Kind::Date:
        return 0;
    case Variant::Kind::Text:
        return 1;
    case Variant::Kind::Boolean:
        return 2;
    case Variant::Kind::Error:
        return 3;
    default:
        return 4;
    }
}

double numberOf(const Variant& v) {
    return v.isDate() ? v.date().serial : v.number();
}

} // namespace

void Sort::addSortField(const excel::Range& key, int sortOn, int order, int dataOption) {
    if (sortOn != 0)
        throw Error(QStringLiteral("SortFields.Add"),
                    QStringLiteral("only sorting on values is offered"));
    if (order != 1 && order != 2)
        throw Error(QStringLiteral("SortFields.Add"),
                    QStringLiteral("the order must be 1 (ascending) or 2 (descending)"));
    m_fields.push_back({key, sortOn, order, dataOption});
}

void Sort::SetRange(const excel::Range& range) {
    if (range.rects().size() != 1)
        throw Error(QStringLiteral("Sort.SetRange"),
                    QStringLiteral("only one block can be sorted"));
    m_range = range;
}

void Sort::Apply() {
    const auto sheet = m_sheet.lock();
    if (!sheet || !m_range)
        throw Error(QStringLiteral("Sort.Apply"), QStringLiteral("no range was set to sort"));
    if (m_fields.empty())
        throw Error(QStringLiteral("Sort.Apply"), QStringLiteral("no sort field was added"));
    if (m_orientation != 1)
        throw Error(QStringLiteral("Sort.Apply"), QStringLiteral("only rows can be sorted"));
    const Range range = m_range->range();
    CellRect r = range.rects().front();
    if (m_header == 1)
        r.top += 1;
    if (r.top > r.bottom)
        return;
    std::vector<int> keyColumns;
    for (const SortField& f : m_fields) {
        const Range key = f.key.range();
        const CellRect k = key.rects().front();
        if (key.Worksheet() != sheet || k.left < r.left || k.left > r.right)
            throw Error(QStringLiteral("Sort.Apply"),
                        QStringLiteral("the sort key %1 lies outside the range to sort")
                            .arg(key.Address()));
        keyColumns.push_back(k.left);
    }

    VariantArray values(r.rows(), r.columns());
    sheet->readValues(r, values);
    std::vector<std::vector<CellFormat>> formats(size_t(r.rows()));
    for (int i = 0; i < r.rows(); ++i) {
        for (int c = r.left; c <= r.right; ++c)
            formats[size_t(i)].push_back(sheet->cellFormat(r.top + i, c));
    }

    QCollator collator;
    collator.setCaseSensitivity(m_matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive);
    collator.setNumericMode(false);
    const auto compare = [&](int a, int b) {
        for (size_t k = 0; k < m_fields.size(); ++k) {
            const int col = keyColumns[k] - r.left + 1;
            const Variant& x = values.at(a + 1, col);
            const Variant& y = values.at(b + 1, col);
            const int rx = rankOf(x);
            const int ry = rankOf(y);
            if (rx == 4 || ry == 4) { // empty cells last, whatever the order
                if (rx != ry)
                    return rx < ry ? -1 : 1;
                continue;
            }
            int c = 0;
            if (rx != ry)
                c = rx < ry ? -1 : 1;
            else if (rx == 0)
                c = numberOf(x) < numberOf(y) ? -1 : (numberOf(x) > numberOf(y) ? 1 : 0);
            else if (rx == 1)
                c = collator.compare(x.text(), y.text());
            else if (rx == 2)
                c = int(x.boolean()) - int(y.boolean());
            if (c != 0)
                return m_fields[k].order == 2 ? -c : c;
        }
        return 0;
    };
    std::vector<int> order(size_t(r.rows()));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return compare(a, b) < 0; });

    for (int i = 0; i < r.rows(); ++i) {
        const int from = order[size_t(i)];
        for (int c = r.left; c <= r.right; ++c) {
            sheet->setCellValue(r.top + i, c, values.at(from + 1, c - r.left + 1));
            const CellFormat f = formats[size_t(from)][size_t(c - r.left)];
            sheet->formatCells(CellRect::cell(r.top + i, c), [&f](CellFormat& cell) { cell = f; });
        }
    }
}

} // namespace excel
