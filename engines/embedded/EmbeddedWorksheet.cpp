#include "engines/embedded/EmbeddedWorksheet.h"

#include "engines/embedded/EmbeddedWorkbook.h"
#include "excel/Error.h"
#include "excel/FormatConditions.h"

#include <algorithm>

namespace embedded {

namespace {

using excel::kCellTypeBlanks;
using excel::kCellTypeFormulas;
using excel::kValueErrors;
using excel::kValueLogical;
using excel::kValueNumbers;
using excel::kValueText;

// A handful of ranges is what one analysis works on; keep their indexes, drop the oldest.
constexpr size_t kCachedIndexes = 4;

int valueKindOf(const Cell& cell) {
    switch (cell.kind) {
    case CellKind::Number:
    case CellKind::Date:
        return kValueNumbers;
    case CellKind::Text:
    case CellKind::FormulaOnly:
        return kValueText;
    case CellKind::Boolean:
        return kValueLogical;
    case CellKind::Error:
        return kValueErrors;
    }
    return 0;
}

// Adds the rows [from, to] of one column as a block, joining it to the previous block when
// they continue each other.
void addRun(QVector<excel::CellRect>& out, int column, int from, int to) {
    if (from > to)
        return;
    if (!out.isEmpty()) {
        excel::CellRect& last = out.back();
        if (last.left == column && last.right == column && last.bottom + 1 == from) {
            last.bottom = to;
            return;
        }
    }
    out.push_back({from, column, to, column});
}

} // namespace

EmbeddedWorksheet::EmbeddedWorksheet(std::weak_ptr<EmbeddedWorkbook> book, SheetData data)
    : m_book(std::move(book))
    , m_data(std::move(data))
    , m_widths(std::move(m_data.columnWidths)) {
    for (excel::ChartShapeModel& chart : m_data.charts)
        addStoredChart(std::make_shared<excel::ChartShapeModel>(std::move(chart)));
    m_data.charts.clear();
}

std::shared_ptr<excel::Workbook> EmbeddedWorksheet::Parent() const {
    return m_book.lock();
}

void EmbeddedWorksheet::Activate() {
    if (auto book = m_book.lock())
        book->activateSheet(this);
}

excel::CellRect EmbeddedWorksheet::usedRect() const {
    // Cells that carry only formatting hold no value and are left out of the used range.
    return m_data.cells->usedRect();
}

excel::Variant EmbeddedWorksheet::cellValue(int row, int column) const {
    return m_data.cells->value(row, column);
}

void EmbeddedWorksheet::readValues(const excel::CellRect& rect, excel::VariantArray& out) const {
    const CellStore& cells = *m_data.cells;
    cells.forEachInRect(rect, [&](int row, int column, const Cell& cell) {
        out.at(row - rect.top + 1, column - rect.left + 1) = cells.value(cell);
    });
}

QVector<excel::CellRect> EmbeddedWorksheet::specialCells(const QVector<excel::CellRect>& areas,
                                                         int type, int value) const {
    if (type != kCellTypeBlanks && type != kCellTypeFormulas)
        throw excel::Error(QStringLiteral("SpecialCells"),
                           QStringLiteral("cell type %1 is not offered").arg(type));
    const int wanted = value == 0 ? (kValueNumbers | kValueText | kValueLogical | kValueErrors) : value;
    const excel::CellRect used = usedRect();
    QVector<excel::CellRect> found;
    for (const excel::CellRect& area : areas) {
        // Blank cells are looked for within the used range only, as the spreadsheet does.
        const auto rect = type == kCellTypeBlanks ? area.intersected(used) : std::optional(area);
        if (!rect)
            continue;
        const int lastColumn = std::min(rect->right, type == kCellTypeBlanks ? rect->right : used.right);
        for (int column = rect->left; column <= lastColumn; ++column) {
            const auto& cells = m_data.cells->column(column);
            auto it = std::lower_bound(cells.begin(), cells.end(), quint32(rect->top),
                                       [](const Cell& c, quint32 r) { return c.row < r; });
            int next = rect->top; // first row not yet accounted for
            for (; it != cells.end() && int(it->row) <= rect->bottom; ++it) {
                const int row = int(it->row);
                if (type == kCellTypeBlanks) {
                    addRun(found, column, next, row - 1);
                } else if (it->hasFormula() && (valueKindOf(*it) & wanted)) {
                    addRun(found, column, row, row);
                }
                next = row + 1;
            }
            if (type == kCellTypeBlanks)
                addRun(found, column, next, rect->bottom);
        }
    }
    return found;
}

void EmbeddedWorksheet::select(const QVector<excel::CellRect>& areas) {
    auto book = m_book.lock();
    if (!book || !book->isActive() || book->ActiveSheet().get() != this)
        throw excel::Error(QStringLiteral("Select"),
                           QStringLiteral("cells can be selected only on the active sheet; \"%1\" "
                                          "is not active")
                               .arg(m_data.name));
    m_data.selection = areas;
    m_data.activeCell = excel::CellRect::cell(areas.front().top, areas.front().left);
}

void EmbeddedWorksheet::setCellValue(int row, int column, const excel::Variant& value) {
    if (value.isArray())
        throw excel::Error(QStringLiteral("Value"),
                           QStringLiteral("one cell takes one value, not an array"));
    m_data.cells->setValue(row, column, value);
}

excel::CellFormat EmbeddedWorksheet::cellFormat(int row, int column) const {
    const auto it = m_formats.find({row, column});
    return it == m_formats.end() ? baseFormat(row, column) : it->second;
}

excel::CellFormat EmbeddedWorksheet::baseFormat(int row, int column) const {
    // A cell of the file shows its style from the file until the program formats it.
    if (m_sheetFormat.isDefault()) {
        if (const Cell* cell = m_data.cells->find(row, column)) {
            if (const excel::CellFormat* style = m_data.cells->context().style(cell->style))
                return *style;
        }
    }
    return m_sheetFormat;
}

void EmbeddedWorksheet::formatCells(const excel::CellRect& rect,
                                    const std::function<void(excel::CellFormat&)>& change) {
    // Formatting every cell of the sheet changes the sheet's own format and every cell's.
    if (rect.wholeColumns() && rect.wholeRows()) {
        change(m_sheetFormat);
        for (auto& entry : m_formats)
            change(entry.second);
        return;
    }
    constexpr qint64 kMaxFormattedCells = 4 * 1024 * 1024;
    if (rect.cellCount() > kMaxFormattedCells)
        throw excel::Error(QStringLiteral("Format"),
                           QStringLiteral("%1 holds too many cells to format one by one; format "
                                          "the whole sheet or a smaller block")
                               .arg(excel::formatRect(rect)));
    for (int row = rect.top; row <= rect.bottom; ++row) {
        for (int column = rect.left; column <= rect.right; ++column) {
            const excel::CellFormat base = baseFormat(row, column);
            auto it = m_formats.try_emplace({row, column}, base).first;
            change(it->second);
            if (it->second == base)
                m_formats.erase(it);
        }
    }
}

double EmbeddedWorksheet::columnWidth(int column) const {
    const auto it = m_widths.find(column);
    return it == m_widths.end() ? 0.0 : it->second;
}

void EmbeddedWorksheet::setColumnWidth(int column, double width) {
    if (width < 0 || width > 255)
        throw excel::Error(QStringLiteral("ColumnWidth"),
                           QStringLiteral("a column is 0 to 255 characters wide"));
    m_widths[column] = width;
}

void EmbeddedWorksheet::shiftRows(int at, int count) {
    m_data.cells->shiftRows(at, count);
    FormatMap moved;
    for (const auto& [key, format] : m_formats) {
        const int row = key.first;
        if (row < at) {
            moved.emplace(key, format);
        } else if (count > 0 || row >= at - count) {
            if (row + count <= excel::kMaxRows)
                moved.emplace(std::make_pair(row + count, key.second), format);
        }
    }
    m_formats = std::move(moved);
}

std::vector<std::shared_ptr<excel::ConditionalFormat>>& EmbeddedWorksheet::conditionalFormats() {
    if (!m_rulesLoaded) {
        setRules(storedRuleState());
        m_rulesLoaded = true;
    }
    return m_rules;
}

std::vector<excel::ConditionalFormat> EmbeddedWorksheet::ruleState() const {
    std::vector<excel::ConditionalFormat> rules;
    for (const auto& rule : m_rules)
        rules.push_back(*rule);
    return rules;
}

std::vector<excel::ConditionalFormat> EmbeddedWorksheet::storedRuleState() const {
    const std::vector<int>& fills = m_data.cells->context().ruleFills;
    std::vector<excel::ConditionalFormat> rules;
    for (size_t i = 0; i < m_data.storedRules.size(); ++i) {
        const StoredRule& stored = m_data.storedRules[i];
        excel::ConditionalFormat rule;
        rule.ranges = stored.ranges;
        rule.storedIndex = int(i);
        // A "contains" rule is drawn as the program's own: its text and its fill.
        if (stored.contains) {
            rule.type = excel::kTextString;
            rule.textOperator = excel::kContains;
            rule.text = stored.containsText;
            rule.fillColor = stored.dxfId >= 0 && size_t(stored.dxfId) < fills.size()
                                 ? fills[size_t(stored.dxfId)]
                                 : -1;
        } else {
            rule.type = 0; // of a kind this program does not draw
        }
        rules.push_back(rule);
    }
    return rules;
}

void EmbeddedWorksheet::setRules(const std::vector<excel::ConditionalFormat>& rules) {
    m_rules.clear();
    for (const auto& rule : rules)
        m_rules.push_back(std::make_shared<excel::ConditionalFormat>(rule));
}

NewSheetContent EmbeddedWorksheet::content() const {
    NewSheetContent c;
    c.cells = std::make_shared<const CellStore>(*m_data.cells);
    c.formats = m_formats;
    c.sheetFormat = m_sheetFormat;
    c.columnWidths = m_widths;
    for (const auto& chart : charts())
        c.charts.push_back(*chart);
    c.rightToLeft = DisplayRightToLeft();
    return c;
}

void EmbeddedWorksheet::restoreRules(const std::vector<excel::ConditionalFormat>& rules) {
    conditionalFormats(); // loaded first, so that a later load does not replace them
    setRules(rules);
}

std::shared_ptr<const CountIfIndex> EmbeddedWorksheet::indexFor(const excel::CellRect& rect) const {
    const quint64 version = m_data.cells->version();
    for (CachedIndex& c : m_indexes) {
        if (c.rect == rect && c.version == version) {
            c.lastUse = ++m_uses;
            return c.index;
        }
    }
    auto index = std::make_shared<const CountIfIndex>(*m_data.cells, rect);
    m_indexes.erase(std::remove_if(m_indexes.begin(), m_indexes.end(),
                                   [&](const CachedIndex& c) { return c.version != version; }),
                    m_indexes.end());
    if (m_indexes.size() >= kCachedIndexes) {
        m_indexes.erase(std::min_element(
            m_indexes.begin(), m_indexes.end(),
            [](const CachedIndex& a, const CachedIndex& b) { return a.lastUse < b.lastUse; }));
    }
    m_indexes.push_back({rect, version, ++m_uses, index});
    return index;
}

qint64 EmbeddedWorksheet::countIf(const excel::CellRect& rect, const Criterion& criterion) const {
    return indexFor(rect)->count(criterion);
}

qint64 EmbeddedWorksheet::countA(const excel::CellRect& rect) const {
    qint64 n = 0;
    m_data.cells->forEachInRect(rect, [&](int, int, const Cell&) { ++n; });
    return n;
}

std::optional<double> EmbeddedWorksheet::maxOf(const excel::CellRect& rect) const {
    std::optional<double> best;
    m_data.cells->forEachInRect(rect, [&](int row, int column, const Cell& cell) {
        if (cell.kind == CellKind::Error)
            throw excel::Error(QStringLiteral("Max"),
                               QStringLiteral("the cell %1 holds the error %2")
                                   .arg(excel::columnLetters(column) + QString::number(row),
                                        excel::errorText(excel::ErrorValue(cell.error))));
        if (cell.kind == CellKind::Number || cell.kind == CellKind::Date)
            best = best ? std::max(*best, cell.number) : cell.number;
    });
    return best;
}

} // namespace embedded
