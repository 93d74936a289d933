#include "NumberFormats.h"

#include "CellStore.h"

#include <QDateTime>
#include <charconv>
#include <cmath>

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

bool parsePlainNumber(QStringView text, double& value) {
    if (text.isEmpty() || text.size() > 400)
        return false;
    const auto digit = [&](qsizetype i) { return text[i] >= u'0' && text[i] <= u'9'; };
    qsizetype i = 0;
    if (text[0] == u'-' || text[0] == u'+')
        ++i;
    qsizetype digits = 0;
    for (; i < text.size() && digit(i); ++i)
        ++digits;
    if (i < text.size() && text[i] == u'.') {
        for (++i; i < text.size() && digit(i); ++i)
            ++digits;
    }
    if (digits == 0)
        return false;
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
            ++i;
        const qsizetype start = i;
        while (i < text.size() && digit(i))
            ++i;
        if (i == start)
            return false;
    }
    if (i != text.size())
        return false;
    const QByteArray latin = text.toLatin1();
    const char* begin = latin.constData() + (latin.startsWith('+') ? 1 : 0);
    const char* end = latin.constData() + latin.size();
    const auto result = std::from_chars(begin, end, value);
    return result.ec == std::errc() && result.ptr == end && std::isfinite(value);
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
    const double automation = double(QDate(1899, 12, 30).daysTo(dt.date())) +
                              dt.time().msecsSinceStartOfDay() / 86400000.0;
    return automationDateToSerial(automation, date1904);
}

} // namespace embedded
