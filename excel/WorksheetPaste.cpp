// Pasting text into a worksheet, as the spreadsheet's text import reads it.
#include "excel/Clipboard.h"
#include "excel/Error.h"
#include "excel/TextForm.h"
#include "excel/Worksheet.h"

#include <QRegularExpression>

namespace excel {

namespace {

struct Field {
    QString text;
    bool quoted = false; // a quoted field keeps its text as it is
};
using FieldRow = QVector<Field>;

// Splits tab-separated text into rows of fields. A field that starts with a double quote runs to
// the closing quote ("" stands for one quote) and may hold tabs and line breaks; CR LF, CR and LF
// end a line. The empty lines at the end add no rows.
QVector<FieldRow> splitFields(const QString& text) {
    QVector<FieldRow> rows;
    FieldRow row;
    QString field;
    bool quoted = false;
    qsizetype i = 0;
    const qsizetype n = text.size();
    bool fieldStarted = false;
    while (i < n) {
        const QChar c = text[i];
        if (!fieldStarted && field.isEmpty() && c == QLatin1Char('"')) {
            ++i;
            while (i < n) {
                if (text[i] == QLatin1Char('"')) {
                    if (i + 1 < n && text[i + 1] == QLatin1Char('"')) {
                        field += QLatin1Char('"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += text[i++];
            }
            fieldStarted = true;
            quoted = true;
            continue;
        }
        if (c == QLatin1Char('\t')) {
            row.push_back({field, quoted});
            field.clear();
            fieldStarted = quoted = false;
            ++i;
            continue;
        }
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            row.push_back({field, quoted});
            rows.push_back(row);
            row.clear();
            field.clear();
            fieldStarted = quoted = false;
            i += (c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n')) ? 2 : 1;
            continue;
        }
        field += c;
        fieldStarted = true;
        ++i;
    }
    if (fieldStarted || !row.isEmpty()) {
        row.push_back({field, quoted});
        rows.push_back(row);
    }
    while (!rows.isEmpty() && rows.back().size() == 1 && rows.back().front().text.isEmpty() &&
           !rows.back().front().quoted)
        rows.removeLast();
    return rows;
}

struct Converted {
    Variant value;
    QString numberFormat;
};

// Numbers and percentages become numbers (a percentage keeps its decimals in its format); every
// other field stays the text it is. Numbers are read plainly and in the user's language. A
// leading apostrophe marks text, as where the user types: it is taken away, the rest kept as it is.
Converted convert(const Field& field) {
    if (field.text.startsWith(QLatin1Char('\'')))
        return {field.text.mid(1), QString()};
    if (field.quoted)
        return {field.text, QString()};
    if (field.text.isEmpty())
        return {Variant(), QString()};
    const QString t = field.text.trimmed();
    if (t.isEmpty())
        return {field.text, QString()}; // blanks are a text as they stand, not an empty cell
    static const QRegularExpression percent(QStringLiteral("^([^%]*?)\\s*%$"));
    if (const auto m = percent.match(t); m.hasMatch()) {
        if (const auto number = parseNumberText(m.captured(1))) {
            const QString digits = m.captured(1);
            const qsizetype point = digits.lastIndexOf(QLocale().decimalPoint()) >= 0
                                        ? digits.lastIndexOf(QLocale().decimalPoint())
                                        : digits.lastIndexOf(QLatin1Char('.'));
            const int decimals = point < 0 ? 0 : int(digits.size() - point - 1);
            // Divided by shifting the decimal point, so that 11.8% is exactly the number 0.118.
            const double fraction = QStringLiteral("%1e-2").arg(*number, 0, 'g', 15).toDouble();
            return {fraction, decimals > 0
                                  ? QStringLiteral("0.") + QString(decimals, QLatin1Char('0')) +
                                        QStringLiteral("%")
                                  : QStringLiteral("0%")};
        }
    }
    if (const auto number = parseNumberText(t))
        return {*number, QString()};
    return {field.text, QString()};
}

} // namespace

void Worksheet::PasteSpecial(const QString& format, bool link, bool displayAsIcon) {
    if (format.compare(QLatin1String("Text"), Qt::CaseInsensitive) != 0 || link || displayAsIcon)
        throw Error(QStringLiteral("PasteSpecial"),
                    QStringLiteral("only pasting as text (Format \"Text\") is offered"));
    const QString text = clipboardText();
    if (text.isEmpty())
        throw Error(QStringLiteral("PasteSpecial"), QStringLiteral("the clipboard holds no text"));
    const QVector<FieldRow> rows = splitFields(text);
    const CellRect at = selection().front();
    int widest = 0;
    for (const FieldRow& row : rows)
        widest = std::max(widest, int(row.size()));
    if (at.top + rows.size() - 1 > kMaxRows || at.left + widest - 1 > kMaxColumns)
        throw Error(QStringLiteral("PasteSpecial"),
                    QStringLiteral("the text does not fit on the sheet from %1")
                        .arg(formatRect(CellRect::cell(at.top, at.left))));
    for (int r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < rows[r].size(); ++c) {
            const Converted v = convert(rows[r][c]);
            setCellValue(at.top + r, at.left + c, v.value);
            const QString numberFormat = v.numberFormat;
            formatCells(CellRect::cell(at.top + r, at.left + c),
                        [&numberFormat](CellFormat& f) { f.numberFormat = numberFormat; });
        }
    }
}

} // namespace excel
