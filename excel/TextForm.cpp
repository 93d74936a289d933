#include "excel/TextForm.h"

#include <QRegularExpression>
#include <charconv>
#include <cmath>

namespace excel {

namespace {

// The locale's short date format, with the year in four digits as the spreadsheet shows it.
QString shortDateFormat(const QLocale& locale) {
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}

// The locale's time format with seconds and without a time zone.
QString timeFormat(const QLocale& locale) {
    QString format = locale.timeFormat(QLocale::LongFormat);
    format.remove(QRegularExpression(QStringLiteral("\\s*t+\\s*")));
    return format.trimmed();
}

} // namespace

namespace {

// Either kind of character: the checks compare code points of ASCII only.
template <typename Char>
bool parsePlainNumberOf(const Char* text, qsizetype size, double& value) {
    if (size == 0 || size > 400)
        return false;
    const auto at = [&](qsizetype i) { return uint(text[i]); };
    const auto digit = [&](qsizetype i) { return at(i) >= '0' && at(i) <= '9'; };
    qsizetype i = 0;
    if (at(0) == '-' || at(0) == '+')
        ++i;
    qsizetype digits = 0;
    for (; i < size && digit(i); ++i)
        ++digits;
    if (i < size && at(i) == '.') {
        for (++i; i < size && digit(i); ++i)
            ++digits;
    }
    if (digits == 0)
        return false;
    if (i < size && (at(i) == 'e' || at(i) == 'E')) {
        ++i;
        if (i < size && (at(i) == '+' || at(i) == '-'))
            ++i;
        const qsizetype start = i;
        while (i < size && digit(i))
            ++i;
        if (i == start)
            return false;
    }
    if (i != size)
        return false;
    // Digits, signs, a point and an exponent only (checked above): bytes as they stand, other
    // characters copied byte by byte.
    char latin[401];
    const char* begin = latin;
    if constexpr (sizeof(Char) == 1) {
        begin = reinterpret_cast<const char*>(text);
    } else {
        for (qsizetype k = 0; k < size; ++k)
            latin[k] = char(at(k));
    }
    const char* end = begin + size;
    begin += *begin == '+' ? 1 : 0;
    const auto result = std::from_chars(begin, end, value);
    return result.ec == std::errc() && result.ptr == end && std::isfinite(value);
}

} // namespace

bool parsePlainNumber(QStringView text, double& value) {
    return parsePlainNumberOf(text.utf16(), text.size(), value);
}

bool parsePlainNumber(const char* bytes, qsizetype size, double& value) {
    return parsePlainNumberOf(reinterpret_cast<const unsigned char*>(bytes), size, value);
}

namespace {

// The time format with milliseconds after the seconds, for times that have them.
QString timeFormatWithMs(const QLocale& locale) {
    QString format = timeFormat(locale);
    format.replace(QLatin1String("ss"), QLatin1String("ss") + locale.decimalPoint() +
                                            QLatin1String("zzz"));
    return format;
}

const QDate kNoDate(1899, 12, 30); // the date of a time of day alone

} // namespace

QString dateText(const QDateTime& dateTime, const QLocale& locale) {
    const QTime time = dateTime.time();
    const bool timeOnly = dateTime.date() == kNoDate;
    const bool noTime = time.msecsSinceStartOfDay() == 0;
    // Fractions of a second are shown when there are any: without them, two times within one
    // second would look alike and the text would not stand for its own cells.
    const QString timeText =
        locale.toString(time, time.msec() ? timeFormatWithMs(locale) : timeFormat(locale));
    if (timeOnly && !noTime)
        return timeText;
    const QString date = locale.toString(dateTime.date(), shortDateFormat(locale));
    return noTime ? date : date + QLatin1Char(' ') + timeText;
}

std::optional<QDateTime> parseDateText(QStringView text, const QLocale& locale) {
    const QString t = text.trimmed().toString();
    if (t.isEmpty() || !t.front().isDigit())
        return std::nullopt;
    const QString date = shortDateFormat(locale);
    const QString time = timeFormat(locale);
    const QString timeMs = timeFormatWithMs(locale);
    for (const QString& format :
         {date + QLatin1Char(' ') + time, date + QLatin1Char(' ') + timeMs, date}) {
        const QDateTime dt = locale.toDateTime(t, format);
        if (dt.isValid())
            return dt;
    }
    for (const QString& format : {time, timeMs}) {
        const QTime tm = locale.toTime(t, format);
        if (tm.isValid())
            return QDateTime(kNoDate, tm);
    }
    static const QStringList fixedTimes = {
        QStringLiteral("HH:mm:ss.zzz"),
        QStringLiteral("H:mm:ss"),
        QStringLiteral("H:mm"),
    };
    for (const QString& format : fixedTimes) {
        const QTime tm = QTime::fromString(t, format);
        if (tm.isValid())
            return QDateTime(kNoDate, tm);
    }
    static const QStringList fixed = {
        QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"),
        QStringLiteral("yyyy-MM-dd HH:mm:ss"),
        QStringLiteral("yyyy-MM-dd HH:mm"),
        QStringLiteral("yyyy-MM-ddTHH:mm:ss"),
        QStringLiteral("yyyy-M-d"),
        QStringLiteral("M/d/yyyy H:mm:ss"),
        QStringLiteral("M/d/yyyy H:mm"),
        QStringLiteral("M/d/yyyy"),
    };
    for (const QString& format : fixed) {
        const QDateTime dt = QDateTime::fromString(t, format);
        if (dt.isValid())
            return dt;
        const QDate d = QDate::fromString(t, format);
        if (d.isValid())
            return QDateTime(d, QTime(0, 0));
    }
    return std::nullopt;
}

std::optional<double> parseNumberText(QStringView text, const QLocale& locale) {
    double value = 0;
    if (parsePlainNumber(text, value))
        return value;
    const QString point = locale.decimalPoint();
    if (point == QLatin1String(".") || !text.contains(point) || text.contains(u'.'))
        return std::nullopt;
    QString swapped = text.toString();
    swapped.replace(point, QLatin1String("."));
    if (parsePlainNumber(swapped, value))
        return value;
    return std::nullopt;
}

QString textForm(const Variant& value, const QLocale& locale) {
    switch (value.kind()) {
    case Variant::Kind::Number: {
        QString text = formatGeneralNumber(value.number());
        if (text.contains(QLatin1Char('.'))) {
            const QString point = locale.decimalPoint();
            if (point != QLatin1String("."))
                text.replace(QLatin1Char('.'), point);
        }
        return text;
    }
    case Variant::Kind::Boolean:
        return value.boolean() ? QStringLiteral("True") : QStringLiteral("False");
    case Variant::Kind::Date: {
        const QDateTime dt = value.toDateTime();
        return dt.isValid() ? dateText(dt, locale) : formatGeneralNumber(value.date().serial);
    }
    case Variant::Kind::Empty:
    case Variant::Kind::Text:
    case Variant::Kind::Error:
    case Variant::Kind::Array:
        break;
    }
    return value.toString();
}

size_t FoldedTextHash::operator()(const QString& text) const {
    size_t h = 14695981039346656037ull;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < n && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i].unicode(), text[i + 1].unicode());
            ++i;
        }
        h ^= QChar::toCaseFolded(c);
        h *= 1099511628211ull;
    }
    return h;
}

} // namespace excel
