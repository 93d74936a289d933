#include "engines/embedded/xlsx/SheetXmlReader.h"

#include "engines/embedded/FileRefusal.h"
#include "engines/embedded/store/NumberFormats.h"
#include "engines/embedded/xlsx/ZipPackage.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <algorithm>
#include <cstring>

namespace embedded {

namespace {

bool is(const char* name, const char* local) {
    return std::strcmp(localName(name), local) == 0;
}

// A row or style number; -1 when it is not a plain number of at most nine digits.
int parseSmallNumber(const char* text) {
    int n = 0;
    int digits = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        if (++digits > 9)
            return -1;
        n = n * 10 + (*text - '0');
    }
    return (*text == '\0' && digits > 0) ? n : -1;
}

QString textOf(const std::string& utf8) {
    return decodeEscapes(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())));
}

} // namespace

SheetXmlReader::SheetXmlReader(const QString& fileName, SheetData& sheet,
                               const std::vector<bool>& dateStyles,
                               const std::vector<quint32>& sharedStrings, const ReadLimits& limits,
                               qint64& cellBudget)
    : XmlStream(fileName, sheet.partName)
    , m_sheet(sheet)
    , m_dateStyles(dateStyles)
    , m_sharedStrings(sharedStrings)
    , m_limits(limits)
    , m_cellBudget(cellBudget) {
    m_value.reserve(64);
}

bool SheetXmlReader::read(ZipPackage& package, bool plain) {
    if (plain)
        usePlainReader();
    m_partBytes = package.declaredSize(m_sheet.partName);
    parse(package);
    if (plainReaderGaveUp())
        return false;
    m_sheet.cells->finishLoading();
    applySelection();
    m_sheet.storedRules = std::move(m_rules.rules);
    return true;
}

void SheetXmlReader::watchValues() {
    m_watch.emplace(m_limits, m_sheet.cells->sharedContext()->strings);
}

bool SheetXmlReader::parseCellRef(const char* ref, int& row, int& column) {
    const char* p = ref;
    qint64 c = 0;
    while ((*p >= 'A' && *p <= 'Z') || (*p >= 'a' && *p <= 'z')) {
        c = c * 26 + ((*p | 0x20) - 'a' + 1);
        if (c > excel::kMaxColumns)
            return false;
        ++p;
    }
    qint64 r = 0;
    const char* digits = p;
    while (*p >= '0' && *p <= '9') {
        r = r * 10 + (*p - '0');
        if (r > excel::kMaxRows)
            return false;
        ++p;
    }
    if (c == 0 || p == digits || *p != '\0' || r == 0)
        return false;
    row = int(r);
    column = int(c);
    return true;
}

QString SheetXmlReader::cellName() const {
    return excel::columnLetters(m_column) + QString::number(m_row);
}

void SheetXmlReader::startElement(const char* name, const char** attributes) {
    const char* local = localName(name);
    switch (*local) {
    case 'c':
        if (local[1] == '\0')
            return startCell(attributes);
        if (std::strcmp(local, "col") == 0 && !m_inCell)
            return readColumnWidth(attributes);
        break;
    case 'v':
        if (local[1] == '\0' && m_inCell) {
            m_collect = Collect::Value;
            return;
        }
        break;
    case 'f':
        if (local[1] == '\0' && m_inCell) {
            m_hasFormula = true;
            m_collect = Collect::Formula;
            return;
        }
        break;
    case 'r':
        if (std::strcmp(local, "row") == 0)
            return startRow(attribute(attributes, "r"));
        if (std::strcmp(local, "rPh") == 0)
            ++m_phoneticDepth;
        break;
    case 't':
        if (local[1] == '\0' && m_inInline && m_phoneticDepth == 0)
            m_collect = Collect::InlineText;
        break;
    case 'i':
        if (std::strcmp(local, "is") == 0 && m_inCell)
            m_inInline = m_hadInline = true;
        break;
    default:
        break;
    }
    if (std::strcmp(local, "sheetView") == 0) {
        m_inFirstView = ++m_sheetViews == 1;
    } else if (m_inFirstView && std::strcmp(local, "pane") == 0) {
        if (const char* pane = attribute(attributes, "activePane"))
            m_activePane = QString::fromUtf8(pane);
    } else if (m_inFirstView && std::strcmp(local, "selection") == 0) {
        const char* pane = attribute(attributes, "pane");
        const char* active = attribute(attributes, "activeCell");
        const char* sqref = attribute(attributes, "sqref");
        m_selections.push_back({pane ? QString::fromUtf8(pane) : QStringLiteral("topLeft"),
                                active ? QString::fromUtf8(active) : QString(),
                                sqref ? QString::fromUtf8(sqref) : QString()});
    } else if (std::strcmp(local, "dimension") == 0) {
        if (const char* ref = attribute(attributes, "ref")) {
            m_sheet.declaredDimension = QString::fromUtf8(ref);
            const auto extent = excel::parseReference(m_sheet.declaredDimension);
            if (extent && extent->sheet.isEmpty() && extent->areas.size() == 1)
                sizeStore(extent->areas.front());
        }
    } else {
        m_rules.start(local, attributes);
    }
}

void SheetXmlReader::sizeStore(const excel::CellRect& extent) {
    if (m_sized || m_cells > 0)
        return;
    m_sized = true;
    const int left = std::max(extent.left, m_limits.firstColumn);
    const int right = std::min(extent.right, m_limits.lastColumn);
    if (left > right)
        return;
    // No stored cell takes fewer than a dozen bytes of the part: an extent beyond that is a claim
    // the part cannot fill, and nothing is sized from it.
    const qint64 rows = qint64(extent.bottom) - extent.top + 1;
    const qint64 cells = rows * (right - left + 1);
    if (cells > m_partBytes / 12 || cells > m_limits.maxCellsPerSheet)
        return;
    for (int column = left; column <= right; ++column)
        m_sheet.cells->reserve(column, size_t(rows));
}

void SheetXmlReader::sizeStoreFromProgress(size_t unread) {
    // Once a megabyte is read, each column is given room for what the rest of the part holds at
    // the same rate, and a little more.
    constexpr qint64 kSample = 1 << 20;
    const qint64 read = bytesFed() - qint64(unread);
    if (m_sized || read < kSample || m_partBytes < 4 * kSample)
        return;
    m_sized = true;
    m_sheet.cells->reserveAhead(m_limits.firstColumn, m_limits.lastColumn,
                                1.05 * double(m_partBytes) / double(read));
}

void SheetXmlReader::startRow(const char* r) {
    // A row opened inside a cell would leave the cell without a column: the nesting is broken.
    if (m_inCell)
        return fail(QStringLiteral("the sheet \"%1\" has a row that opens inside its cell %2")
                        .arg(m_sheet.name, cellName()));
    m_column = 0;
    if (!r) {
        // Rows without a number follow the one before; they may not run past the last row.
        if (m_row >= excel::kMaxRows)
            return fail(QStringLiteral("the sheet \"%1\" has more rows than the last row %2")
                            .arg(m_sheet.name)
                            .arg(excel::kMaxRows));
        ++m_row;
        return;
    }
    const int row = parseSmallNumber(r);
    if (row > 0 && row <= excel::kMaxRows) {
        m_row = row;
        return;
    }
    const bool digits = *r && std::strspn(r, "0123456789") == std::strlen(r);
    if (!digits)
        return fail(QStringLiteral("the sheet \"%1\" has a row number \"%2\" that is not a "
                                   "number")
                        .arg(m_sheet.name, QString::fromUtf8(r)));
    if (row == 0)
        return fail(QStringLiteral("the sheet \"%1\" has a row numbered 0; rows are numbered "
                                   "from 1 to %2")
                        .arg(m_sheet.name)
                        .arg(excel::kMaxRows));
    // Digits, but too many for a row.
    fail(QStringLiteral("the sheet \"%1\" has a row number %2 beyond the last row %3")
             .arg(m_sheet.name, QString::fromUtf8(r))
             .arg(excel::kMaxRows));
}

// A column's width as the file gives it (in characters of the default font); columns without one
// keep the default. Only what the window shows is taken: a width that does not read is skipped.
void SheetXmlReader::readColumnWidth(const char** attributes) {
    const char* min = attribute(attributes, "min");
    const char* max = attribute(attributes, "max");
    const char* width = attribute(attributes, "width");
    if (!min || !max || !width)
        return;
    const int first = parseSmallNumber(min);
    const int last = std::min(parseSmallNumber(max), excel::kMaxColumns);
    double w = 0;
    const auto [end, ec] = std::from_chars(width, width + std::strlen(width), w);
    if (first < 1 || last < first || ec != std::errc() || *end != '\0' || !(w >= 0 && w <= 255))
        return;
    for (int column = first; column <= last; ++column)
        m_sheet.columnWidths[column] = w;
}

void SheetXmlReader::startCell(const char** attributes) {
    if (m_inCell)
        return fail(QStringLiteral("the sheet \"%1\" has a cell that opens inside its cell %2")
                        .arg(m_sheet.name, cellName()));
    beginCell();
    bool hasRef = false;
    for (int i = 0; attributes[i]; i += 2) {
        const char* key = attributes[i];
        if (key[1] == '\0' && !cellAttribute(key[0], attributes[i + 1], hasRef))
            return;
    }
    endCellAttributes(hasRef);
}

void SheetXmlReader::beginCell() {
    m_inCell = true;
    m_hasFormula = false;
    m_inInline = false;
    m_hadInline = false;
    m_type[0] = '\0';
    m_style = 0;
    m_value.clear();
    m_formula.clear();
    m_inlineText.clear();
    if (m_row == 0)
        m_row = 1; // a cell outside any numbered row belongs to the first
}

bool SheetXmlReader::cellAttribute(char key, const char* value, bool& hasRef) {
    if (key == 'r') {
        if (!parseCellRef(value, m_row, m_column)) {
            fail(QStringLiteral("the sheet \"%1\" has a cell reference \"%2\" that is not a cell "
                                "within A1:XFD1048576")
                     .arg(m_sheet.name, QString::fromUtf8(value)));
            return false;
        }
        hasRef = true;
    } else if (key == 't') {
        size_t n = 0;
        while (value[n] && n < sizeof m_type - 1) {
            m_type[n] = value[n];
            ++n;
        }
        m_type[n] = '\0';
    } else if (key == 's') {
        m_style = parseSmallNumber(value);
    }
    return true;
}

void SheetXmlReader::endCellAttributes(bool hasRef) {
    if (!hasRef) {
        if (++m_column > excel::kMaxColumns)
            return fail(QStringLiteral("the sheet \"%1\" has a cell beyond the last column XFD")
                            .arg(m_sheet.name));
    }
    m_passing = m_column < m_limits.firstColumn || m_column > m_limits.lastColumn;
}

void SheetXmlReader::characters(const char* data, int length) {
    if (m_rules.collectsText())
        m_rules.text(data, length);
    switch (m_collect) {
    case Collect::Value:
        m_value.append(data, size_t(length));
        break;
    case Collect::Formula:
        m_formula.append(data, size_t(length));
        break;
    case Collect::InlineText:
        m_inlineText.append(data, size_t(length));
        break;
    case Collect::None:
        break;
    }
}

void SheetXmlReader::endElement(const char* name) {
    const char* local = localName(name);
    if (local[1] == '\0') {
        switch (*local) {
        case 'c':
            if (m_inCell)
                m_passing ? passCell(m_value) : finishCell();
            m_inCell = false;
            return;
        case 'v':
        case 'f':
        case 't':
            m_collect = Collect::None;
            return;
        default:
            return;
        }
    }
    switch (*local) {
    case 'r':
        if (std::strcmp(local, "rPh") == 0)
            --m_phoneticDepth;
        break;
    case 'i':
        if (std::strcmp(local, "is") == 0)
            m_inInline = false;
        break;
    case 's':
        if (std::strcmp(local, "sheetView") == 0)
            m_inFirstView = false;
        break;
    case 'c':
    case 'e':
    case 'f':
        m_rules.end(local); // conditional formats, their rules and formulas; extensions
        break;
    default:
        break;
    }
}

void SheetXmlReader::storeText(const std::string& utf8, Cell& cell) {
    cell.kind = CellKind::Text;
    cell.text = m_sheet.cells->sharedContext()->strings.intern(textOf(utf8));
}

void SheetXmlReader::finishCell() {
    Cell cell;
    const char* t = m_type;
    if (*t == '\0' || std::strcmp(t, "n") == 0) {
        // Trim what a hand-written file may put around a number.
        size_t b = 0;
        size_t e = m_value.size();
        while (b < e && std::isspace(uchar(m_value[b])))
            ++b;
        while (e > b && std::isspace(uchar(m_value[e - 1])))
            --e;
        if (b == e) {
            if (!m_hasFormula)
                return; // a cell that only carries a style holds nothing
            cell.kind = CellKind::FormulaOnly;
        } else {
            const char* first = m_value.data() + b + (m_value[b] == '+' ? 1 : 0);
            const auto [end, ec] = std::from_chars(first, m_value.data() + e, cell.number);
            if (ec != std::errc() || end != m_value.data() + e || !std::isfinite(cell.number))
                return fail(QStringLiteral("the sheet \"%1\" has a cell %2 whose number \"%3\" "
                                           "cannot be read")
                                .arg(m_sheet.name, cellName(), QString::fromUtf8(m_value.c_str())));
            const bool dateStyle =
                size_t(m_style) < m_dateStyles.size() && m_dateStyles[size_t(m_style)];
            cell.kind =
                dateStyle && isDateSerial(cell.number, m_sheet.cells->context().date1904)
                    ? CellKind::Date
                    : CellKind::Number;
        }
    } else if (std::strcmp(t, "s") == 0) {
        // Several producers write a shared-string cell without a value; other readers take it
        // as empty, and so do we.
        if (m_value.empty()) {
            if (!m_hasFormula)
                return;
            cell.kind = CellKind::FormulaOnly;
            return storeCell(cell);
        }
        quint32 index = 0;
        const auto [end, ec] =
            std::from_chars(m_value.data(), m_value.data() + m_value.size(), index);
        if (ec != std::errc() || end != m_value.data() + m_value.size() ||
            index >= m_sharedStrings.size())
            return fail(
                QStringLiteral("the sheet \"%1\" has a cell %2 that refers to shared string "
                               "\"%3\", but the workbook has %4")
                    .arg(m_sheet.name, cellName(), QString::fromUtf8(m_value.c_str()))
                    .arg(m_sharedStrings.size()));
        cell.kind = CellKind::Text;
        cell.text = m_sharedStrings[index];
    } else if (std::strcmp(t, "inlineStr") == 0) {
        storeText(m_inlineText, cell);
    } else if (std::strcmp(t, "str") == 0) {
        storeText(m_value, cell);
    } else if (std::strcmp(t, "b") == 0) {
        cell.kind = CellKind::Boolean;
        cell.boolean = m_value == "1" || m_value == "true";
        if (!cell.boolean && m_value != "0" && m_value != "false") {
            if (!(m_value.empty() && m_hasFormula))
                return fail(QStringLiteral("the sheet \"%1\" has a cell %2 whose logical value "
                                           "\"%3\" cannot be read")
                                .arg(m_sheet.name, cellName(), QString::fromUtf8(m_value.c_str())));
            cell.kind = CellKind::FormulaOnly;
        }
    } else if (std::strcmp(t, "e") == 0) {
        cell.kind = CellKind::Error;
        const auto e = excel::errorFromText(QString::fromUtf8(m_value.c_str()).trimmed());
        cell.error = quint8(e.value_or(excel::ErrorValue::NA));
    } else if (std::strcmp(t, "d") == 0) {
        const auto serial =
            parseIsoDateTime(QString::fromUtf8(m_value.c_str()), m_sheet.cells->context().date1904);
        if (!serial)
            return fail(QStringLiteral("the sheet \"%1\" has a cell %2 whose date \"%3\" cannot "
                                       "be read")
                            .arg(m_sheet.name, cellName(), QString::fromUtf8(m_value.c_str())));
        cell.kind = CellKind::Date;
        cell.number = *serial;
    } else {
        return fail(QStringLiteral("the sheet \"%1\" has a cell %2 of unknown type \"%3\"")
                        .arg(m_sheet.name, cellName(), QString::fromUtf8(t)));
    }
    storeCell(cell);
}

bool SheetXmlReader::countCell() {
    if (++m_cells > m_limits.maxCellsPerSheet) {
        fail(QStringLiteral("the sheet \"%1\" holds more than %2 cells")
                 .arg(m_sheet.name)
                 .arg(m_limits.maxCellsPerSheet));
        return false;
    }
    if (--m_cellBudget < 0) {
        fail(QStringLiteral("the workbook holds more than %1 cells")
                 .arg(m_limits.maxCellsPerWorkbook));
        return false;
    }
    return true;
}

void SheetXmlReader::passCell(std::string_view value) {
    // What a stored cell would hold: a formula, a value, an inline text.
    const bool blank = std::all_of(value.begin(), value.end(),
                                   [](char c) { return std::isspace(uchar(c)); });
    if ((m_hasFormula || !blank || m_hadInline) && countCell())
        m_sheet.cells->widenUsedRect(m_row, m_column);
}

void SheetXmlReader::storeCell(Cell& cell) {
    if (m_hasFormula)
        cell.flags |= Cell::kHasFormula;
    if (m_style > 0 && m_style <= 0xFFFF)
        cell.style = quint16(m_style);
    if (!countCell())
        return;
    m_sheet.cells->append(m_row, m_column, cell);
    if (m_hasFormula && !m_formula.empty())
        m_sheet.cells->setFormula(m_row, m_column, QString::fromUtf8(m_formula.c_str()));
    if (m_watch && cell.kind == CellKind::Text && !m_watch->add(m_row, m_column, cell.text))
        abandon(std::make_exception_ptr(TooManyValues(fileName(), m_limits.mostValues)));
}

void SheetXmlReader::applySelection() {
    for (const SavedSelection& s : m_selections) {
        if (s.pane != m_activePane)
            continue;
        QVector<excel::CellRect> areas;
        for (const QString& piece : s.sqref.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const auto parsed = excel::parseReference(piece);
            if (parsed && parsed->sheet.isEmpty())
                areas += parsed->areas;
        }
        const auto active = excel::parseReference(s.activeCell);
        if (areas.isEmpty() && active)
            areas = active->areas;
        if (areas.isEmpty())
            continue;
        m_sheet.selection = areas;
        m_sheet.activeCell =
            active && active->areas.size() == 1
                ? excel::CellRect::cell(active->areas.front().top, active->areas.front().left)
                : excel::CellRect::cell(areas.front().top, areas.front().left);
        return;
    }
}

SharedStringsReader::SharedStringsReader(const QString& fileName, const QString& partName,
                                         StringPool& pool, std::vector<quint32>& entries,
                                         qint64 maxEntries)
    : XmlStream(fileName, partName)
    , m_pool(pool)
    , m_entries(entries)
    , m_maxEntries(maxEntries) {}

void SharedStringsReader::startElement(const char* name, const char**) {
    if (is(name, "si")) {
        m_inItem = true;
        m_text.clear();
    } else if (is(name, "rPh")) {
        ++m_phoneticDepth;
    } else if (m_inItem && m_phoneticDepth == 0 && is(name, "t")) {
        m_inText = true;
    }
}

void SharedStringsReader::endElement(const char* name) {
    if (is(name, "si")) {
        if (qint64(m_entries.size()) >= m_maxEntries)
            return fail(QStringLiteral("it has more than %L1 shared strings").arg(m_maxEntries));
        m_entries.push_back(m_pool.intern(textOf(m_text)));
        m_inItem = false;
    } else if (is(name, "rPh")) {
        --m_phoneticDepth;
    } else if (is(name, "t")) {
        m_inText = false;
    }
}

void SharedStringsReader::characters(const char* data, int length) {
    if (m_inText)
        m_text.append(data, size_t(length));
}

} // namespace embedded
