// The members of Range that change or show how cells look, and row deletion.
#include "excel/CellFormat.h"
#include "excel/Error.h"
#include "excel/FormatConditions.h"
#include "excel/Range.h"
#include "excel/Worksheet.h"

#include <algorithm>
#include <cmath>

namespace excel {

namespace {

// Pixels of a character in the default font (Calibri 11 at 96 dpi), by its kind; close enough to
// size a column to its text.
int charPixels(QChar c) {
    if (c.isDigit())
        return 7;
    if (c == QLatin1Char(' ') || c == QLatin1Char('.') || c == QLatin1Char(',') ||
        c == QLatin1Char('i') || c == QLatin1Char('l') || c == QLatin1Char('!'))
        return 3;
    if (c == QLatin1Char('*')) // 7.3 in the font: a bar of stars must fit whole
        return 8;
    if (c == QLatin1Char('%') || c == QLatin1Char('m') || c == QLatin1Char('w') ||
        c == QLatin1Char('M') || c == QLatin1Char('W'))
        return 11;
    if (c.isUpper())
        return 8;
    if (c.unicode() > 0x2E80) // wide scripts
        return 14;
    return 6;
}

double widthInCharacters(const QString& text, bool bold) {
    int longest = 0;
    for (const QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
        int px = 0;
        for (QChar c : line)
            px += charPixels(c);
        longest = std::max(longest, px);
    }
    const double px = longest * (bold ? 1.08 : 1.0) + 7; // cell padding
    return std::ceil(px / 7.0 * 100.0) / 100.0;
}

} // namespace

QString Range::Text() const {
    const CellRect& r = rects().front();
    return shownText(m_sheet->cellValue(r.top, r.left),
                     m_sheet->cellFormat(r.top, r.left).numberFormat);
}

Range Range::EntireColumn() const {
    QVector<CellRect> out;
    for (const CellRect& r : rects())
        out.push_back({1, r.left, kMaxRows, r.right});
    return Range(m_sheet, out);
}

Range Range::EntireRow() const {
    QVector<CellRect> out;
    for (const CellRect& r : rects())
        out.push_back({r.top, 1, r.bottom, kMaxColumns});
    return Range(m_sheet, out);
}

void Range::Delete() const {
    QVector<CellRect> areas = rects();
    for (const CellRect& r : areas) {
        if (!r.wholeRows())
            throw Error(
                QStringLiteral("Delete"),
                QStringLiteral("only whole rows can be deleted; %1 is not").arg(formatRect(r)));
    }
    // From the bottom up, so that the rows still to delete stay where they were.
    std::sort(areas.begin(), areas.end(),
              [](const CellRect& a, const CellRect& b) { return a.top > b.top; });
    for (const CellRect& r : areas)
        m_sheet->deleteRows(r.top, r.rows());
}

void Range::setHorizontalAlignment(int alignment) const {
    if (alignment != kAlignGeneral && alignment != kAlignLeft && alignment != kAlignCenter &&
        alignment != kAlignRight)
        throw Error(QStringLiteral("HorizontalAlignment"),
                    QStringLiteral("%1 is not an alignment").arg(alignment));
    for (const CellRect& r : rects())
        m_sheet->formatCells(r, [alignment](CellFormat& f) { f.horizontalAlignment = alignment; });
}

void Range::setFontName(const QString& name) const {
    if (name.trimmed().isEmpty())
        throw Error(QStringLiteral("Font.Name"), QStringLiteral("a font needs a name"));
    for (const CellRect& r : rects())
        m_sheet->formatCells(r, [&name](CellFormat& f) { f.fontName = name; });
}

void Range::AutoFit() const {
    const CellRect used = m_sheet->usedRect();
    for (const CellRect& r : rects()) {
        if (!r.wholeColumns())
            throw Error(QStringLiteral("AutoFit"),
                        QStringLiteral("only whole columns are fitted; use EntireColumn"));
        const int last = std::min(r.right, used.right);
        for (int column = r.left; column <= last; ++column) {
            double width = 0;
            for (int row = used.top; row <= used.bottom; ++row) {
                const Variant v = m_sheet->cellValue(row, column);
                if (v.isEmpty())
                    continue;
                const CellFormat f = m_sheet->cellFormat(row, column);
                width = std::max(width, widthInCharacters(shownText(v, f.numberFormat), f.bold));
            }
            if (width > 0)
                m_sheet->setColumnWidth(column, std::min(width, 255.0));
        }
    }
}

FormatConditions Range::FormatConditions() const {
    return excel::FormatConditions(*this);
}

} // namespace excel
