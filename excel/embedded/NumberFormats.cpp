#include "NumberFormats.h"

#include "CellStore.h"

#include <QDateTime>

namespace embedded {

bool isBuiltInDateFormat(int id) {
    return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) ||
           (id >= 50 && id <= 58) || (id >= 71 && id <= 81);
}

bool isDateFormatCode(const QString& code) {
    bool inQuotes = false;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code[i];
        if (inQuotes) {
            if (c == u'"')
                inQuotes = false;
            continue;
        }
        switch (c.unicode()) {
        case u'"':
            inQuotes = true;
            break;
        case u'\\':
        case u'_':
        case u'*':
            ++i; // the next character is literal, padding or fill
            break;
        case u';':
            return false; // only the first section decides
        case u'[': {
            const qsizetype close = code.indexOf(u']', i);
            if (close < 0)
                return false;
            const QString inner = code.mid(i + 1, close - i - 1).toLower();
            if (inner == QLatin1String("h") || inner == QLatin1String("hh") ||
                inner == QLatin1String("m") || inner == QLatin1String("mm") ||
                inner == QLatin1String("s") || inner == QLatin1String("ss"))
                return true;
            i = close;
            break;
        }
        default: {
            const char16_t l = c.toLower().unicode();
            if (l == u'd' || l == u'm' || l == u'y' || l == u'h' || l == u's')
                return true;
        }
        }
    }
    return false;
}

std::optional<double> parseIsoDateTime(const QString& text, bool date1904) {
    QString t = text.trimmed();
    if (t.endsWith(QLatin1Char('Z')))
        t.chop(1);
    QDateTime dt = QDateTime::fromString(t, Qt::ISODateWithMs);
    if (!dt.isValid()) {
        const QDate d = QDate::fromString(t, Qt::ISODate);
        if (!d.isValid())
            return std::nullopt;
        dt = QDateTime(d, QTime(0, 0));
    }
    return automationDateToSerial(excel::Variant::fromDateTime(dt).date().serial, date1904);
}

} // namespace embedded
