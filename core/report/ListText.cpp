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
        rows.push_back(analysis::rowTexts(result, category, locale));
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
    return lines(analysis::resultCaptions(result), rowsOf(result), QLatin1Char('\t'), true,
                 tabField) +
           QStringLiteral("\r\n");
}

QString reportTableText(const analysis::ParetoResult& result) {
    QStringList captions = analysis::resultCaptions(result);
    std::vector<QStringList> rows = rowsOf(result);
    if (result.classed) {
        captions << QStringLiteral("Cut-off(%)");
        for (QStringList& row : rows)
            row << analysis::formatPercent(result.cutOff);
    }
    return lines(captions, rows, QLatin1Char('\t'), true, tabField) + QStringLiteral("\r\n");
}

QString resultCsv(const analysis::ParetoResult& result) {
    return lines(analysis::resultCaptions(result), rowsOf(result), QLatin1Char(','), false,
                 commaField);
}

QString groupsText(const std::vector<analysis::ParetoGroup>& groups) {
    QString text;
    for (const analysis::ParetoGroup& group : groups)
        text += tabField(QStringLiteral("Group: ") + group.name) + QStringLiteral("\r\n") +
                resultText(group.result);
    return text;
}

QString groupsCsv(const std::vector<analysis::ParetoGroup>& groups) {
    QString text;
    for (const analysis::ParetoGroup& group : groups)
        text += commaField(QStringLiteral("Group: ") + group.name) + QStringLiteral("\r\n") +
                resultCsv(group.result);
    return text;
}

QByteArray resultJson(const analysis::ParetoResult& result, const QString& workbook,
                      const QString& range) {
    return resultJson(result, ResultSource{{workbook}, range, {}});
}

namespace {

QByteArray sourceJson(const ResultSource& source) {
    QByteArray out;
    if (source.workbooks.size() == 1) {
        out += "  \"workbook\": " + json(source.workbooks.front()) + ",\n";
    } else {
        out += "  \"workbooks\": [";
        for (qsizetype i = 0; i < source.workbooks.size(); ++i)
            out += (i ? ", " : "") + json(source.workbooks[i]);
        out += "],\n";
    }
    out += "  \"range\": " + json(source.range) + ",\n";
    if (!source.by.isEmpty())
        out += "  \"by\": " + json(source.by) + ",\n";
    return out;
}

QByteArray categoryJson(const analysis::ParetoResult& result, const analysis::ParetoCategory& c) {
    QByteArray out = "{\"label\": " + json(c.label) + ", \"count\": " + json(c.count) +
                     ", \"share\": " + json(c.share) + ", \"cumulative\": " + json(c.cumulative);
    if (result.weighted)
        out += ", \"weight\": " + json(c.weight) + ", \"weight_share\": " + json(c.weightShare) +
               ", \"weight_cumulative\": " + json(c.weightCumulative);
    if (result.classed)
        out += ", \"class\": " + json(c.rankClass);
    if (c.merged > 0)
        out += ", \"other\": " + json(c.merged);
    return out + "}";
}

// The categories' array, its lines indented by indent.
QByteArray categoriesJson(const analysis::ParetoResult& result, const QByteArray& indent) {
    QByteArray out = "[";
    bool first = true;
    for (const analysis::ParetoCategory& category : result.categories) {
        out += (first ? "\n" : ",\n") + indent + "  ";
        first = false;
        out += categoryJson(result, category);
    }
    return out + (result.empty() ? "]" : "\n" + indent + "]");
}

} // namespace

QByteArray resultJson(const analysis::ParetoResult& result, const ResultSource& source) {
    QByteArray out = "{\n" + sourceJson(source);
    if (!result.header.isEmpty())
        out += "  \"header\": " + json(result.header) + ",\n";
    out += "  \"total\": " + json(result.total) + ",\n";
    if (result.weighted)
        out += "  \"total_weight\": " + json(result.totalWeight) + ",\n";
    return out + "  \"categories\": " + categoriesJson(result, "  ") + "\n}\n";
}

QByteArray groupsJson(const std::vector<analysis::ParetoGroup>& groups, const ResultSource& source) {
    QByteArray out = "{\n" + sourceJson(source);
    if (!groups.empty() && !groups.front().result.header.isEmpty())
        out += "  \"header\": " + json(groups.front().result.header) + ",\n";
    out += "  \"groups\": [";
    bool first = true;
    for (const analysis::ParetoGroup& group : groups) {
        out += first ? "\n    " : ",\n    ";
        first = false;
        out += "{\"group\": " + json(group.name) + ", \"total\": " + json(group.result.total);
        if (group.result.weighted)
            out += ", \"total_weight\": " + json(group.result.totalWeight);
        out += ", \"categories\": " + categoriesJson(group.result, "    ") + "}";
    }
    return out + (groups.empty() ? "]\n}\n" : "\n  ]\n}\n");
}

} // namespace report
