#include "core/report/ListText.h"

#include "excel/TextForm.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace report {

namespace {

QString quoted(const QString& text) {
    QString inner = text;
    inner.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

// The list's captions and rows, fields set apart by separator, each line ended by CR LF; a
// field is written through field. The header's captions may each be followed by the separator.
template <typename Field>
QString lines(const platform::ListViewModel& list, QChar separator, bool separatorAfterCaptions,
              Field&& field) {
    const QString crlf = QStringLiteral("\r\n");
    QString text;
    for (int c = 0; c < list.columns(); ++c) {
        if (c > 0 && !separatorAfterCaptions)
            text += separator;
        text += field(list.column(c).caption);
        if (separatorAfterCaptions)
            text += separator;
    }
    text += crlf;
    for (int row = 0; row < list.count(); ++row) {
        text += field(list.text(row));
        for (int c = 1; c < list.columns(); ++c)
            text += separator + field(list.subItem(row, c));
        text += crlf;
    }
    return text;
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
    const auto field = [](const QString& given) {
        // The apostrophe that marks text is doubled where the text has one of its own, which
        // the paste takes away again.
        const QString text = readsAsFormula(given) || given.startsWith(QLatin1Char('\''))
                                 ? QLatin1Char('\'') + given
                                 : given;
        const bool plain = !text.contains(QLatin1Char('\t')) && !text.contains(QLatin1Char('\r')) &&
                           !text.contains(QLatin1Char('\n')) && !text.startsWith(QLatin1Char('"')) &&
                           !text.startsWith(QLatin1Char('='));
        return plain ? text : quoted(text);
    };
    return lines(list, QLatin1Char('\t'), true, field) + QStringLiteral("\r\n");
}

QString listCsv(const platform::ListViewModel& list) {
    const auto field = [](const QString& given) {
        const QString text = readsAsFormula(given) ? QLatin1Char('\'') + given : given;
        const bool plain = !text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
                           !text.contains(QLatin1Char('\r')) && !text.contains(QLatin1Char('\n'));
        return plain ? text : quoted(text);
    };
    return lines(list, QLatin1Char(','), false, field);
}

namespace {

// A value in JSON's own spelling (strings escaped, numbers in their shortest exact form).
QByteArray json(const QJsonValue& value) {
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

} // namespace

QByteArray listJson(const platform::ListViewModel& list, const QString& workbook,
                    const QString& range, double total) {
    QByteArray out = "{\n  \"workbook\": " + json(workbook) + ",\n  \"range\": " + json(range) +
                     ",\n  \"total\": " + json(total) + ",\n  \"categories\": [";
    double running = 0;
    for (int row = 0; row < list.count(); ++row) {
        const double count = list.subItem(row, 1).toDouble();
        running += count;
        out += row ? ",\n    " : "\n    ";
        out += "{\"label\": " + json(list.text(row)) + ", \"count\": " + json(count) +
               ", \"share\": " + json(total > 0 ? count / total : 0.0) +
               ", \"cumulative\": " + json(total > 0 ? running / total : 0.0) + "}";
    }
    out += list.count() ? "\n  ]\n}\n" : "]\n}\n";
    return out;
}

} // namespace report
