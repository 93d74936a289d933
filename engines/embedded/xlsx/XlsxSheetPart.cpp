// The worksheet part of a sheet added in this session, and conditional formats as XML.
#include "engines/embedded/xlsx/XlsxParts.h"
#include "excel/CellRef.h"

#include <algorithm>
#include <map>

namespace embedded {

namespace {

const char* const kMainNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const char* const kRelNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

QByteArray number(double v) {
    return QByteArray::number(v, 'g', 17);
}

QByteArray cellRef(int row, int column) {
    return excel::columnLetters(column).toLatin1() + QByteArray::number(row);
}

QByteArray sqrefOf(const QVector<excel::CellRect>& ranges) {
    QByteArray out;
    for (const excel::CellRect& r : ranges) {
        if (!out.isEmpty())
            out += ' ';
        out += excel::formatRect(r, false, false).toLatin1();
    }
    return out;
}

// A text for SEARCH that finds exactly itself: its wildcards are escaped, quotes doubled.
QString searchText(const QString& text) {
    QString out;
    for (QChar c : text) {
        if (c == u'*' || c == u'?' || c == u'~')
            out += u'~';
        out += c;
        if (c == u'"')
            out += u'"';
    }
    return out;
}

bool needsPreserve(const QString& text) {
    return !text.isEmpty() &&
           (text.front().isSpace() || text.back().isSpace() || text.contains(u'\n') ||
            text.contains(u'\t') || text.contains(u'\r'));
}

} // namespace

QByteArray conditionalFormatXml(const QByteArray& p, const excel::ConditionalFormat& rule, int dxf,
                                int priority) {
    const QByteArray topLeft = cellRef(rule.ranges.front().top, rule.ranges.front().left);
    QByteArray x = "<" + p + "conditionalFormatting sqref=\"" + sqrefOf(rule.ranges) + "\">";
    x += "<" + p + "cfRule type=\"containsText\" dxfId=\"" + QByteArray::number(dxf) +
         "\" priority=\"" + QByteArray::number(priority) + "\" operator=\"containsText\" text=\"" +
         xmlEscape(rule.text) + "\">";
    x += "<" + p + "formula>" +
         xmlEscape(QStringLiteral("NOT(ISERROR(SEARCH(\"%1\",%2)))")
                       .arg(searchText(rule.text), QString::fromLatin1(topLeft))) +
         "</" + p + "formula>";
    x += "</" + p + "cfRule></" + p + "conditionalFormatting>";
    return x;
}

QByteArray newSheetXml(const NewSheetContent& content,
                       const std::vector<excel::ConditionalFormat>& rules, StyleAppender& styles,
                       const QByteArray& drawingRel) {
    const CellStore& cells = *content.cells;
    // Cells and formatted empty cells, row by row.
    struct Entry {
        int row, column;
        const Cell* cell;
    };
    std::vector<Entry> entries;
    const excel::CellRect used = cells.usedRect();
    if (cells.cellCount() > 0)
        cells.forEachInRect(used, [&](int row, int column, const Cell& c) {
            entries.push_back({row, column, &c});
        });
    for (const auto& [key, format] : content.formats) {
        if (!cells.find(key.first, key.second))
            entries.push_back({key.first, key.second, nullptr});
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return a.row != b.row ? a.row < b.row : a.column < b.column;
    });
    const auto formatOf = [&](int row, int column) {
        const auto it = content.formats.find({row, column});
        return it == content.formats.end() ? content.sheetFormat : it->second;
    };

    QByteArray x = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";
    x += QByteArray("<worksheet xmlns=\"") + kMainNs + "\" xmlns:r=\"" + kRelNs + "\">";
    if (!drawingRel.isEmpty())
        x += "<sheetPr><pageSetUpPr fitToPage=\"1\"/></sheetPr>";
    excel::CellRect extent = used;
    if (!entries.empty()) {
        for (const Entry& e : entries) {
            extent.bottom = std::max(extent.bottom, e.row);
            extent.right = std::max(extent.right, e.column);
        }
    }
    x += "<dimension ref=\"" + excel::formatRect(extent, false, false).toLatin1() + "\"/>";
    x += "<sheetViews><sheetView ";
    if (content.rightToLeft)
        x += "rightToLeft=\"1\" ";
    x += "workbookViewId=\"0\"/></sheetViews><sheetFormatPr defaultRowHeight=\"15\"/>";

    // Columns: widths, and the sheet's own format on every column when it has one.
    const bool sheetStyled = !content.sheetFormat.isDefault();
    const int sheetStyle = sheetStyled ? styles.cellStyle(content.sheetFormat) : 0;
    QByteArray cols;
    int next = 1;
    const auto styleSpan = [&](int from, int to) {
        if (sheetStyled && from <= to)
            cols += "<col min=\"" + QByteArray::number(from) + "\" max=\"" +
                    QByteArray::number(to) + "\" width=\"9.140625\" style=\"" +
                    QByteArray::number(sheetStyle) + "\"/>";
    };
    for (const auto& [column, width] : content.columnWidths) {
        styleSpan(next, column - 1);
        cols += "<col min=\"" + QByteArray::number(column) + "\" max=\"" +
                QByteArray::number(column) + "\" width=\"" + number(width) + "\" customWidth=\"1\"";
        if (sheetStyled)
            cols += " style=\"" + QByteArray::number(sheetStyle) + "\"";
        cols += "/>";
        next = column + 1;
    }
    styleSpan(next, excel::kMaxColumns);
    if (!cols.isEmpty())
        x += "<cols>" + cols + "</cols>";

    // A row whose texts break into lines is as tall as its most lines, so that no line is drawn
    // over the row above.
    std::map<int, int> lines;
    for (const Entry& e : entries) {
        if (e.cell && e.cell->kind == CellKind::Text) {
            const int n = int(cells.context().strings.at(e.cell->text).count(u'\n')) + 1;
            if (n > 1)
                lines[e.row] = std::max(lines[e.row], std::min(n, 27));
        }
    }
    x += "<sheetData>";
    int openRow = 0;
    for (const Entry& e : entries) {
        if (e.row != openRow) {
            if (openRow)
                x += "</row>";
            x += "<row r=\"" + QByteArray::number(e.row) + "\"";
            if (const auto tall = lines.find(e.row); tall != lines.end())
                x += " ht=\"" + QByteArray::number(15 * tall->second) + "\" customHeight=\"1\"";
            x += ">";
            openRow = e.row;
        }
        const bool date = e.cell && e.cell->kind == CellKind::Date;
        const excel::CellFormat f = formatOf(e.row, e.column);
        const int style = (f.isDefault() && !date) ? 0 : styles.cellStyle(f, date);
        x += "<c r=\"" + cellRef(e.row, e.column) + "\"";
        if (style)
            x += " s=\"" + QByteArray::number(style) + "\"";
        if (!e.cell) {
            x += "/>";
            continue;
        }
        const Cell& c = *e.cell;
        switch (c.kind) {
        case CellKind::Number:
        case CellKind::Date:
            x += "><v>" + number(c.number) + "</v></c>";
            break;
        case CellKind::Boolean:
            x += QByteArray(" t=\"b\"><v>") + (c.boolean ? "1" : "0") + "</v></c>";
            break;
        case CellKind::Error:
            x += " t=\"e\"><v>" + xmlEscape(excel::errorText(excel::ErrorValue(c.error))) +
                 "</v></c>";
            break;
        case CellKind::Text: {
            const QString& text = cells.context().strings.at(c.text);
            x += " t=\"inlineStr\"><is><t";
            if (needsPreserve(text))
                x += " xml:space=\"preserve\"";
            x += ">" + cellTextEscape(text) + "</t></is></c>";
            break;
        }
        case CellKind::FormulaOnly:
            x += "/>";
            break;
        }
    }
    if (openRow)
        x += "</row>";
    x += "</sheetData>";
    int priority = 0;
    for (const excel::ConditionalFormat& rule : rules) {
        if (!rule.isStored() && rule.fillColor >= 0)
            x += conditionalFormatXml(QByteArray(), rule, styles.fillDxf(rule.fillColor),
                                      ++priority);
    }
    x += "<pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" "
         "footer=\"0.3\"/>";
    if (!drawingRel.isEmpty()) {
        x += "<pageSetup orientation=\"landscape\" fitToWidth=\"1\" fitToHeight=\"1\"/>";
        x += "<drawing r:id=\"" + drawingRel + "\"/>";
    }
    x += "</worksheet>";
    return x;
}

} // namespace embedded
