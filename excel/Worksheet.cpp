#include "excel/Worksheet.h"

#include "excel/Error.h"
#include "excel/ListObjects.h"
#include "excel/Sort.h"
#include "excel/Workbook.h"

#include <QRegularExpression>
#include <algorithm>

namespace excel {

namespace {

// Where a block of cells goes when count rows are inserted before row at (count > 0) or
// -count rows are deleted from row at (count < 0); none when all its rows are deleted.
std::optional<CellRect> shiftedRect(CellRect r, int at, int count) {
    if (r.wholeColumns())
        return r;
    if (count > 0) {
        if (r.top >= at) {
            r.top += count;
            r.bottom += count;
        } else if (r.bottom >= at) {
            r.bottom += count;
        }
        r.top = std::min(r.top, kMaxRows);
        r.bottom = std::min(r.bottom, kMaxRows);
        return r;
    }
    const int first = at;
    const int last = at - count - 1;
    if (r.bottom < first)
        return r;
    if (r.top > last) {
        r.top += count;
        r.bottom += count;
        return r;
    }
    const int gone = std::min(r.bottom, last) - std::max(r.top, first) + 1;
    r.top = std::min(r.top, first);
    r.bottom -= gone;
    if (r.bottom < r.top)
        return std::nullopt;
    return r;
}

QVector<CellRect> shiftedAreas(const QVector<CellRect>& areas, int at, int count) {
    QVector<CellRect> out;
    for (const CellRect& r : areas) {
        if (const auto moved = shiftedRect(r, at, count))
            out.push_back(*moved);
    }
    return out;
}

} // namespace

Worksheet::~Worksheet() = default;

void Worksheet::setName(const QString& name) {
    const auto refuse = [&](const QString& why) {
        throw Error(QStringLiteral("Name"),
                    QStringLiteral("the sheet cannot be named \"%1\": %2").arg(name, why));
    };
    if (name.isEmpty())
        refuse(QStringLiteral("a sheet name cannot be empty"));
    if (name.size() > 31)
        refuse(QStringLiteral("a sheet name has at most 31 characters"));
    static const QRegularExpression forbidden(QStringLiteral("[:\\\\/?*\\[\\]]"));
    if (name.contains(forbidden))
        refuse(QStringLiteral("it holds one of : \\ / ? * [ ]"));
    if (name.startsWith(QLatin1Char('\'')) || name.endsWith(QLatin1Char('\'')))
        refuse(QStringLiteral("it starts or ends with an apostrophe"));
    if (name.compare(QLatin1String("History"), Qt::CaseInsensitive) == 0)
        refuse(QStringLiteral("the name is reserved"));
    if (const auto book = Parent()) {
        for (int i = 1; i <= book->sheetCount(); ++i) {
            const auto other = book->sheetAt(i);
            if (other.get() != this && other->Name().compare(name, Qt::CaseInsensitive) == 0)
                refuse(QStringLiteral("another sheet of the workbook has that name"));
        }
        for (const QString& other : book->otherSheetNames()) {
            if (other.compare(name, Qt::CaseInsensitive) == 0)
                refuse(QStringLiteral("a chart sheet of the workbook has that name"));
        }
    }
    rename(name);
}

void Worksheet::Move(const std::shared_ptr<Worksheet>& after) {
    const auto book = Parent();
    if (!after || !book || after->Parent() != book)
        throw Error(QStringLiteral("Move"),
                    QStringLiteral("a sheet moves only within its own workbook"));
    if (after.get() == this)
        return;
    int self = 0;
    int target = 0;
    for (int i = 1; i <= book->sheetCount(); ++i) {
        const auto s = book->sheetAt(i);
        if (s.get() == this)
            self = i;
        if (s == after)
            target = i;
    }
    book->moveSheet(this, self < target ? target : target + 1);
}

excel::Range Worksheet::UsedRange() {
    return excel::Range(shared_from_this(), {usedRect()});
}

excel::Range Worksheet::Range(const QString& reference) {
    const auto parsed = parseReference(reference);
    if (!parsed)
        throw Error(QStringLiteral("Range"),
                    QStringLiteral("\"%1\" is not a cell reference").arg(reference));
    if (!parsed->sheet.isEmpty() && parsed->sheet.compare(Name(), Qt::CaseInsensitive) != 0)
        throw Error(
            QStringLiteral("Range"),
            QStringLiteral("\"%1\" refers to another sheet than %2").arg(reference, Name()));
    return excel::Range(shared_from_this(), parsed->areas);
}

excel::Range Worksheet::Cells() {
    return excel::Range(shared_from_this(), {CellRect{1, 1, kMaxRows, kMaxColumns}});
}

excel::Range Worksheet::Cells(int row, int column) {
    return Cells().Cells(row, column);
}

excel::Range Worksheet::Rows() {
    return Cells().Rows();
}

ListObjectCollection Worksheet::ListObjects() {
    return ListObjectCollection(shared_from_this());
}

excel::Sort& Worksheet::Sort() {
    if (!m_sort)
        m_sort = std::make_shared<excel::Sort>(weak_from_this());
    return *m_sort;
}

ChartShape Worksheet::AddChart2(int style, int chartType) {
    if (chartType != kColumnClustered && chartType != kLineMarkers)
        throw Error(QStringLiteral("AddChart2"),
                    QStringLiteral("chart type %1 is not offered").arg(chartType));
    auto chart = std::make_shared<ChartShapeModel>();
    chart->name = QStringLiteral("Chart %1").arg(m_charts.size() + 1);
    chart->chart.style = style;
    chart->chart.chartType = chartType;
    // A chart added without a place goes a little below and to the left of the active cell,
    // as a spreadsheet drops a new chart into the middle of the view.
    const CellRect active = selection().front();
    double left = 0;
    for (int c = 1; c < active.left; ++c) {
        const double w = columnWidth(c);
        left += (w > 0 ? w : 8.43) * 5.25 + 3.75; // characters to points, Calibri 11
    }
    chart->left = std::max(0.0, left - 12.6);
    chart->top = (active.top - 1) * 15.0 + 111.0;
    m_charts.push_back(chart);
    return ChartShape(shared_from_this(), chart);
}

ChartShape Worksheet::Shapes(int index) {
    if (index < 1 || index > shapeCount())
        throw Error(QStringLiteral("Shapes"),
                    QStringLiteral("there is no shape %1 on %2").arg(index).arg(Name()));
    return ChartShape(shared_from_this(), m_charts[size_t(index - 1)]);
}

void Worksheet::activateChart(std::shared_ptr<ChartShapeModel> chart) {
    m_activeChart = std::move(chart);
}

void Worksheet::insertRows(int at, int count) {
    if (count < 1 || at < 1 || at > kMaxRows)
        throw Error(QStringLiteral("Insert"), QStringLiteral("no rows to insert"));
    const CellRect used = usedRect();
    if (used.bottom >= at && used.bottom + count > kMaxRows)
        throw Error(QStringLiteral("Insert"),
                    QStringLiteral("cells would be pushed off the end of the worksheet"));
    shiftRows(at, count);
    shiftTracked(at, count);
}

void Worksheet::deleteRows(int at, int count) {
    if (count < 1 || at < 1 || at + count - 1 > kMaxRows)
        throw Error(QStringLiteral("Delete"), QStringLiteral("no rows to delete"));
    shiftRows(at, -count);
    shiftTracked(at, -count);
}

void Worksheet::track(const std::shared_ptr<TrackedAreas>& areas) {
    // Drop registrations of ranges nobody holds any more, now and then.
    if (m_tracked.size() >= 64 && m_tracked.size() % 64 == 0) {
        m_tracked.erase(std::remove_if(m_tracked.begin(), m_tracked.end(),
                                       [](const auto& w) { return w.expired(); }),
                        m_tracked.end());
    }
    m_tracked.push_back(areas);
}

void Worksheet::shiftTracked(int at, int count) {
    for (const auto& weak : m_tracked) {
        if (const auto areas = weak.lock())
            areas->areas = shiftedAreas(areas->areas, at, count);
    }
    for (const auto& table : m_tables) {
        const auto moved = shiftedRect(table->rect, at, count);
        table->rect = moved.value_or(CellRect{});
        table->deleted = !moved;
    }
    auto& rules = conditionalFormats();
    for (const auto& rule : rules)
        rule->ranges = shiftedAreas(rule->ranges, at, count);
    rules.erase(std::remove_if(rules.begin(), rules.end(),
                               [](const auto& r) { return r->ranges.isEmpty(); }),
                rules.end());
}

} // namespace excel
