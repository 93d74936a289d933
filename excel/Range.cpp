#include "excel/Range.h"

#include "excel/Error.h"
#include "excel/Workbook.h"
#include "excel/Worksheet.h"

namespace excel {

namespace {

// More cells than this cannot be read into one array: the spreadsheet itself would run out of
// memory long before, and a whole-sheet read is never what a caller meant.
constexpr qint64 kMaxCellsPerRead = 16 * 1024 * 1024;

void requireOnSheet(const CellRect& r, const char* member) {
    if (!r.isValid())
        throw Error(QString::fromLatin1(member),
                    QStringLiteral("the reference would fall outside the worksheet"));
}

} // namespace

Range::Range(std::shared_ptr<excel::Worksheet> sheet, QVector<CellRect> areas, Axis axis)
    : m_sheet(std::move(sheet))
    , m_areas(std::make_shared<TrackedAreas>(TrackedAreas{std::move(areas)}))
    , m_axis(axis) {
    Q_ASSERT(m_sheet && !m_areas->areas.isEmpty());
    m_sheet->track(m_areas);
}

Range HeldRange::range() const {
    auto sheet = m_sheet.lock();
    if (!sheet)
        throw Error(QStringLiteral("Range"), QStringLiteral("the sheet of the range was deleted"));
    return Range(std::move(sheet), m_areas, m_axis);
}

const QVector<CellRect>& Range::rects() const {
    if (m_areas->areas.isEmpty())
        throw Error(QStringLiteral("Range"), QStringLiteral("the cells of the range were deleted"));
    return m_areas->areas;
}

QString Range::Address(bool rowAbsolute, bool columnAbsolute, bool external) const {
    QString text;
    for (const CellRect& r : rects()) {
        if (!text.isEmpty())
            text += QLatin1Char(',');
        text += formatRect(r, rowAbsolute, columnAbsolute);
    }
    if (!external)
        return text;
    const auto book = m_sheet->Parent();
    return externalSheetPrefix(book ? book->Name() : QString(), m_sheet->Name()) +
           QLatin1Char('!') + text;
}

Variant Range::Value() const {
    const CellRect& r = rects().front();
    if (r.cellCount() == 1)
        return m_sheet->cellValue(r.top, r.left);
    if (r.cellCount() > kMaxCellsPerRead)
        throw Error(QStringLiteral("Value"),
                    QStringLiteral("the range %1 holds %2 cells, more than %3 can be read at once")
                        .arg(formatRect(r))
                        .arg(r.cellCount())
                        .arg(kMaxCellsPerRead));
    auto array = std::make_shared<VariantArray>(r.rows(), r.columns());
    m_sheet->readValues(r, *array);
    return Variant(std::shared_ptr<const VariantArray>(std::move(array)));
}

qint64 Range::Count() const {
    switch (m_axis) {
    case Axis::Rows:
        return rects().front().rows();
    case Axis::Columns:
        return rects().front().columns();
    case Axis::Cells:
        break;
    }
    qint64 n = 0;
    for (const CellRect& r : rects())
        n += r.cellCount();
    return n;
}

Range Range::Rows() const {
    return Range(m_sheet, rects(), Axis::Rows);
}
Range Range::Columns() const {
    return Range(m_sheet, rects(), Axis::Columns);
}
Range Range::Cells() const {
    return Range(m_sheet, rects(), Axis::Cells);
}

Range Range::Cells(int row, int column) const {
    const CellRect& r = rects().front();
    const CellRect cell = CellRect::cell(r.top + row - 1, r.left + column - 1);
    requireOnSheet(cell, "Cells");
    return Range(m_sheet, {cell});
}

Range Range::Item(int index) const {
    const CellRect& r = rects().front();
    CellRect item;
    switch (m_axis) {
    case Axis::Rows:
        item = {r.top + index - 1, r.left, r.top + index - 1, r.right};
        break;
    case Axis::Columns:
        item = {r.top, r.left + index - 1, r.bottom, r.left + index - 1};
        break;
    case Axis::Cells: {
        if (index < 1)
            throw Error(QStringLiteral("Item"), QStringLiteral("the index must be 1 or more"));
        const qint64 i = index - 1;
        item = CellRect::cell(int(r.top + i / r.columns()), int(r.left + i % r.columns()));
        break;
    }
    }
    requireOnSheet(item, "Item");
    return Range(m_sheet, {item});
}

AreaCollection Range::Areas() const {
    return AreaCollection(*this);
}

Range AreaCollection::Item(int index) const {
    if (index < 1 || index > Count())
        throw Error(
            QStringLiteral("Areas"),
            QStringLiteral("there is no area %1; the range has %2").arg(index).arg(Count()));
    return Range(m_range.Worksheet(), {m_range.rects().at(index - 1)});
}

Range Range::Offset(int rowOffset, int columnOffset) const {
    QVector<CellRect> moved;
    for (CellRect r : rects()) {
        r.top += rowOffset;
        r.bottom += rowOffset;
        r.left += columnOffset;
        r.right += columnOffset;
        requireOnSheet(r, "Offset");
        moved.push_back(r);
    }
    return Range(m_sheet, moved, m_axis);
}

Range Range::Resize(int rows, int columns) const {
    if (rows < 1 || columns < 1)
        throw Error(QStringLiteral("Resize"),
                    QStringLiteral("a range needs at least one row and one column"));
    const CellRect& r = rects().front();
    const CellRect sized{r.top, r.left, r.top + rows - 1, r.left + columns - 1};
    requireOnSheet(sized, "Resize");
    return Range(m_sheet, {sized});
}

void Range::Select() const {
    m_sheet->select(rects());
}

Range Range::SpecialCells(int type, int value) const {
    const QVector<CellRect> found = m_sheet->specialCells(rects(), type, value);
    if (found.isEmpty())
        throw Error(QStringLiteral("SpecialCells"), QStringLiteral("No cells were found."));
    return Range(m_sheet, found);
}

bool Range::operator==(const Range& other) const {
    return m_sheet == other.m_sheet && rects() == other.rects();
}

} // namespace excel
