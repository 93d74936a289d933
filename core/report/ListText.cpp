#include "core/report/ListText.h"

#include "excel/TextForm.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <vector>

namespace report {

namespace {

QString quoted(const QString& text) {
    QString inner = text;
    inner.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

// Captions and rows, fields set apart by separator, each line ended by CR LF; a field is written
// through field. The header's captions may each be followed by the separator.
template <typename Field>
QString lines(const QStringList& captions, const std::vector<QStringList>& rows, QChar separator,
              bool separatorAfterCaptions, Field&& field) {
    const QString crlf = QStringLiteral("\r\n");
    QString text;
    for (qsizetype c = 0; c < captions.size(); ++c) {
        if (c > 0 && !separatorAfterCaptions)
            text += separator;
        text += field(captions[c]);
        if (separatorAfterCaptions)
            text += separator;
    }
    text += crlf;
    for (const QStringList& row : rows) {
        for (qsizetype c = 0; c < row.size(); ++c)
            text += (c ? QString(separator) : QString()) + field(row[c]);
        text += crlf;
    }
    return text;
}

QString tabField(const QString& given) {
    // The apostrophe that marks text is doubled where the text has one of its own, which the
    // paste takes away again.
    const QString text = readsAsFormula(given) || given.startsWith(QLatin1Char('\''))
                             ? QLatin1Char('\'') + given
                             : given;
    const bool plain = !text.contains(QLatin1Char('\t')) && !text.contains(QLatin1Char('\r')) &&
                       !text.contains(QLatin1Char('\n')) && !text.startsWith(QLatin1Char('"')) &&
                       !text.startsWith(QLatin1Char('='));
    return plain ? text : quoted(text);
}

QString commaField(const QString& given) {
    const QString text = readsAsFormula(given) ? QLatin1Char('\'') + given : given;
    const bool plain = !text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
                       !text.contains(QLatin1Char('\r')) && !text.contains(QLatin1Char('\n'));
    return plain ? text : quoted(text);
}

std::vector<QStringList> rowsOf(const analysis::ParetoResult& result) {
    std::vector<QStringList> rows;
    const QLocale locale;
    for (const analysis::ParetoCategory& category : result.categories)
        rows.push_back(analysis::rowTexts(category, result.largest, locale));
    return rows;
}

// A value in JSON's own spelling (strings escaped, numbers in their shortest exact form).
QByteArray json(const QJsonValue& value) {
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

} // namespace

bool readsAsFormula(const QString& text) {
    if (text.isEmpty())
        return false;
    const QChar first = text.front();
    const bool formulaStart = first == u'=' || first == u'+' || first == u'-' || first == u'@' ||
                              first == u'\t' || first == u'\r';
    return formulaStart && !excel::parseNumberText(text);
}

QString listText(const platform::ListViewModel& list) {
    QStringList captions;
    for (int c = 0; c < list.columns(); ++c)
        captions << list.column(c).caption;
    std::vector<QStringList> rows;
    for (int row = 0; row < list.count(); ++row) {
        QStringList fields{list.text(row)};
        for (int c = 1; c < list.columns(); ++c)
            fields << list.subItem(row, c);
        rows.push_back(fields);
    }
    return lines(captions, rows, QLatin1Char('\t'), true, tabField) + QStringLiteral("\r\n");
}

QString resultText(const analysis::ParetoResult& result) {
    return lines(analysis::resultCaptions(), rowsOf(result), QLatin1Char('\t'), true, tabField) +
           QStringLiteral("\r\n");
}

QString resultCsv(const analysis::ParetoResult& result) {
    return lines(analysis::resultCaptions(), rowsOf(result), QLatin1Char(','), false, commaField);
}

QByteArray resultJson(const analysis::ParetoResult& result, const QString& workbook,
                      const QString& range) {
    QByteArray out = "{\n  \"workbook\": " + json(workbook) + ",\n  \"range\": " + json(range) +
                     ",\n  \"total\": " + json(result.total) + ",\n  \"categories\": [";
    bool first = true;
    for (const analysis::ParetoCategory& category : result.categories) {
        out += first ? "\n    " : ",\n    ";
        first = false;
        out += "{\"label\": " + json(category.label) + ", \"count\": " + json(category.count) +
               ", \"share\": " + json(category.share) +
               ", \"cumulative\": " + json(category.cumulative) + "}";
    }
    out += result.empty() ? "]\n}\n" : "\n  ]\n}\n";
    return out;
}

} // namespace report
