#include "engines/embedded/store/NumberFormats.h"

#include "engines/embedded/store/CellStore.h"

#include <QDateTime>
#include <QRegularExpression>

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
    // A date, a date and time, or a time of day alone; seconds may carry a fraction, and a zone
    // ("Z", "+02:00") is dropped: the cell shows the time as written.
    static const QRegularExpression form(QStringLiteral(
        "^(?:(\\d{4})-(\\d{2})-(\\d{2}))?(?:(?:^|[T ])(\\d{1,2}):(\\d{2})(?::(\\d{2})(?:[.,](\\d+))?)?)?"
        "(?:Z|[+-]\\d{2}(?::?\\d{2})?)?$"));
    const QRegularExpressionMatch m = form.match(text.trimmed());
    if (!m.hasMatch() || (m.capturedLength(1) == 0 && m.capturedLength(4) == 0))
        return std::nullopt;
    QDate date(1899, 12, 30); // a time alone is a time of day without a date
    if (m.capturedLength(1)) {
        date = QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        if (!date.isValid())
            return std::nullopt;
    }
    QTime time(0, 0);
    if (m.capturedLength(4)) {
        const QString fraction = (m.captured(7) + QStringLiteral("000")).left(3);
        time = QTime(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt(),
                     fraction.toInt());
        if (!time.isValid())
            return std::nullopt;
    }
    return automationDateToSerial(excel::Variant::fromDateTime(QDateTime(date, time)).date().serial,
                                  date1904);
}

} // namespace embedded
