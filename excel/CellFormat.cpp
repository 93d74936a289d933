#include "excel/CellFormat.h"

#include "excel/TextForm.h"

#include <QLocale>
#include <QDate>
#include <QTime>
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace excel {

int paletteColor(int colorIndex) {
    static constexpr std::array<int, 56> palette = {
        0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF,
        0x800000, 0x008000, 0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080,
        0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF, 0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF,
        0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000, 0x008080, 0x0000FF,
        0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99,
        0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696,
        0x003366, 0x339966, 0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333};
    if (colorIndex < 1 || colorIndex > int(palette.size()))
        return -1;
    return palette[size_t(colorIndex - 1)];
}

namespace {

// One piece of a format code.
struct Token {
    enum Kind {
        Literal,  // text shown as it stands
        Digit,    // 0, # or ?
        Point,    // the decimal point
        Comma,    // grouping, or a thousands scale at the end of the digits
        Percent,
        Exponent, // E+ or E-; text holds the sign
        Date,     // y, m, d, h, s runs, AM/PM, A/P; text holds the run
        Elapsed,  // [h], [mm], [ss]
        Text,     // @
        General,
    };
    Kind kind;
    QString text;
};

struct Section {
    std::vector<Token> tokens;
    bool hasDate = false;
    bool hasDigits = false;
    bool conditional = false; // [>100] and such: not followed here

    bool has(Token::Kind kind) const {
        return std::any_of(tokens.begin(), tokens.end(),
                           [kind](const Token& t) { return t.kind == kind; });
    }
};

bool isDateLetter(QChar c) {
    switch (c.toLower().unicode()) {
    case u'y': case u'm': case u'd': case u'h': case u's': case u'e':
        return true;
    default:
        return false;
    }
}

std::vector<Section> parseFormat(const QString& code) {
    std::vector<Section> sections(1);
    const auto add = [&](Token::Kind kind, QString text = {}) {
        Section& s = sections.back();
        if (kind == Token::Literal && !s.tokens.empty() && s.tokens.back().kind == Token::Literal)
            s.tokens.back().text += text;
        else
            s.tokens.push_back({kind, std::move(text)});
        if (kind == Token::Date || kind == Token::Elapsed)
            s.hasDate = true;
        if (kind == Token::Digit)
            s.hasDigits = true;
    };
    const qsizetype n = code.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = code[i];
        switch (c.unicode()) {
        case u';':
            sections.emplace_back();
            continue;
        case u'"': {
            const qsizetype end = code.indexOf(u'"', i + 1);
            add(Token::Literal, code.mid(i + 1, (end < 0 ? n : end) - i - 1));
            i = end < 0 ? n : end;
            continue;
        }
        case u'\\':
            if (i + 1 < n)
                add(Token::Literal, code.mid(++i, 1));
            continue;
        case u'_': // the width of the next character: a blank here
            ++i;
            add(Token::Literal, QStringLiteral(" "));
            continue;
        case u'*': // fill to the column width: nothing in a text
            ++i;
            continue;
        case u'[': {
            const qsizetype end = code.indexOf(u']', i + 1);
            const QString inside = code.mid(i + 1, (end < 0 ? n : end) - i - 1);
            i = end < 0 ? n : end;
            if (inside.startsWith(u'$')) { // currency and locale: "[$€-407]" shows "€"
                add(Token::Literal, inside.mid(1).section(u'-', 0, 0));
            } else if (!inside.isEmpty() && QStringLiteral("hms").contains(inside[0].toLower()) &&
                       inside.count(inside[0]) == inside.size()) {
                add(Token::Elapsed, inside.toLower());
            } else if (!inside.isEmpty() && QStringLiteral("<>=").contains(inside[0])) {
                sections.back().conditional = true;
            } // colours ([Red], [Color10]) do not change the text
            continue;
        }
        case u'0': case u'#': case u'?':
            add(Token::Digit, QString(c));
            continue;
        case u'.':
            add(Token::Point);
            continue;
        case u',':
            add(Token::Comma);
            continue;
        case u'%':
            add(Token::Percent);
            continue;
        case u'@':
            add(Token::Text);
            continue;
        default:
            break;
        }
        if ((c == u'E' || c == u'e') && i + 1 < n && (code[i + 1] == u'+' || code[i + 1] == u'-') &&
            sections.back().hasDigits) {
            add(Token::Exponent, code.mid(++i, 1));
            continue;
        }
        if (code.mid(i, 7).compare(QLatin1String("General"), Qt::CaseInsensitive) == 0) {
            add(Token::General);
            i += 6;
            continue;
        }
        if (code.mid(i, 5).compare(QLatin1String("AM/PM"), Qt::CaseInsensitive) == 0) {
            add(Token::Date, QStringLiteral("AM/PM"));
            i += 4;
            continue;
        }
        if (code.mid(i, 3).compare(QLatin1String("A/P"), Qt::CaseInsensitive) == 0) {
            add(Token::Date, QStringLiteral("A/P"));
            i += 2;
            continue;
        }
        if (isDateLetter(c)) {
            qsizetype j = i;
            while (j < n && code[j].toLower() == c.toLower())
                ++j;
            add(Token::Date, code.mid(i, j - i).toLower());
            i = j - 1;
            continue;
        }
        add(Token::Literal, QString(c));
    }
    return sections;
}

QString twoDigits(int v) {
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}

// A date and time through the date codes of a section.
QString renderDate(const Section& section, double serial) {
    // Rounded to the shown fraction of a second (whole seconds unless ".0" follows the seconds).
    int fractionDigits = 0;
    for (size_t k = 0; k + 1 < section.tokens.size(); ++k) {
        if (section.tokens[k].kind == Token::Point) {
            for (size_t j = k + 1; j < section.tokens.size() &&
                                   section.tokens[j].kind == Token::Digit &&
                                   section.tokens[j].text == QLatin1String("0");
                 ++j)
                ++fractionDigits;
        }
    }
    fractionDigits = std::min(fractionDigits, 3);
    const double unit = std::pow(10.0, 3 - fractionDigits); // in milliseconds
    const double totalMs = std::round(serial * 86400000.0 / unit) * unit;
    const qint64 days = qint64(std::floor(totalMs / 86400000.0));
    const qint64 msOfDay = qint64(totalMs - double(days) * 86400000.0);
    const QDate date = QDate(1899, 12, 30).addDays(days);
    const QTime time = QTime::fromMSecsSinceStartOfDay(int(msOfDay));
    if (!date.isValid())
        return formatGeneralNumber(serial);
    const bool twelveHours = std::any_of(section.tokens.begin(), section.tokens.end(),
                                         [](const Token& t) {
                                             return t.kind == Token::Date && t.text.contains(u'/');
                                         });
    const QLocale locale;
    QString out;
    const auto& tokens = section.tokens;
    // "m" is the minute right after an hour or right before a second, the month elsewhere.
    const auto neighbour = [&](size_t k, int step) -> QChar {
        for (qsizetype j = qsizetype(k) + step; j >= 0 && j < qsizetype(tokens.size()); j += step) {
            if (tokens[size_t(j)].kind == Token::Date || tokens[size_t(j)].kind == Token::Elapsed) {
                const QString& t = tokens[size_t(j)].text;
                return t.contains(u'/') ? QChar() : t.back();
            }
        }
        return {};
    };
    for (size_t k = 0; k < tokens.size(); ++k) {
        const Token& t = tokens[k];
        switch (t.kind) {
        case Token::Date: {
            const QChar letter = t.text.front();
            const int len = int(t.text.size());
            if (t.text == QLatin1String("AM/PM")) {
                out += time.hour() < 12 ? QStringLiteral("AM") : QStringLiteral("PM");
            } else if (t.text == QLatin1String("A/P")) {
                out += time.hour() < 12 ? QStringLiteral("A") : QStringLiteral("P");
            } else if (letter == u'y' || letter == u'e') {
                out += len <= 2 && letter == u'y' ? twoDigits(date.year() % 100)
                                                  : QString::number(date.year());
            } else if (letter == u'm' && len <= 2 &&
                       (neighbour(k, -1) == u'h' || neighbour(k, 1) == u's')) {
                out += len == 2 ? twoDigits(time.minute()) : QString::number(time.minute());
            } else if (letter == u'm') {
                if (len >= 5)
                    out += locale.monthName(date.month(), QLocale::LongFormat).left(1);
                else if (len == 4)
                    out += locale.monthName(date.month(), QLocale::LongFormat);
                else if (len == 3)
                    out += locale.monthName(date.month(), QLocale::ShortFormat);
                else
                    out += len == 2 ? twoDigits(date.month()) : QString::number(date.month());
            } else if (letter == u'd') {
                if (len >= 4)
                    out += locale.dayName(date.dayOfWeek(), QLocale::LongFormat);
                else if (len == 3)
                    out += locale.dayName(date.dayOfWeek(), QLocale::ShortFormat);
                else
                    out += len == 2 ? twoDigits(date.day()) : QString::number(date.day());
            } else if (letter == u'h') {
                int hour = time.hour();
                if (twelveHours)
                    hour = hour % 12 == 0 ? 12 : hour % 12;
                out += len >= 2 ? twoDigits(hour) : QString::number(hour);
            } else if (letter == u's') {
                out += len >= 2 ? twoDigits(time.second()) : QString::number(time.second());
            }
            break;
        }
        case Token::Elapsed: {
            const double hours = std::floor(totalMs / 3600000.0);
            const double minutes = std::floor(totalMs / 60000.0);
            const double seconds = std::floor(totalMs / 1000.0);
            const double v = t.text.front() == u'h' ? hours
                             : t.text.front() == u'm' ? minutes
                                                      : seconds;
            out += QStringLiteral("%1").arg(qint64(v), int(t.text.size()), 10, QLatin1Char('0'));
            break;
        }
        case Token::Point:
            if (fractionDigits > 0 && k + 1 < tokens.size() && tokens[k + 1].kind == Token::Digit) {
                out += locale.decimalPoint();
                out += QStringLiteral("%1").arg(time.msec(), 3, 10, QLatin1Char('0')).left(fractionDigits);
                while (k + 1 < tokens.size() && tokens[k + 1].kind == Token::Digit)
                    ++k;
            } else {
                out += QLatin1Char('.');
            }
            break;
        case Token::Digit:
            break;
        case Token::Comma:
            out += QLatin1Char(',');
            break;
        case Token::Percent:
            out += QLatin1Char('%');
            break;
        default:
            out += t.text;
        }
    }
    return out;
}

// A number through the digit codes of a section. The sign is the caller's.
QString renderNumber(const Section& section, double value) {
    const QLocale locale;
    int percents = 0;
    int integerZeros = 0;
    int decimals = 0;
    int decimalZeros = 0;
    int exponentDigits = 0;
    bool grouping = false;
    int scale = 0; // thousands divided off by commas after the last digit
    bool afterPoint = false;
    bool inExponent = false;
    QString exponentSign;
    bool digitsSeen = false;
    QString prefix;
    QString suffix;
    int pendingCommas = 0;
    for (const Token& t : section.tokens) {
        switch (t.kind) {
        case Token::Digit:
            if (inExponent) {
                ++exponentDigits;
            } else if (afterPoint) {
                ++decimals;
                if (t.text == QLatin1String("0"))
                    decimalZeros = decimals;
            } else {
                if (pendingCommas > 0 && digitsSeen)
                    grouping = true;
                if (t.text == QLatin1String("0"))
                    ++integerZeros;
            }
            pendingCommas = 0;
            digitsSeen = true;
            break;
        case Token::Comma:
            if (digitsSeen && !afterPoint && !inExponent)
                ++pendingCommas;
            break;
        case Token::Point:
            scale += pendingCommas;
            pendingCommas = 0;
            afterPoint = true;
            digitsSeen = true;
            break;
        case Token::Percent:
            ++percents;
            (digitsSeen ? suffix : prefix) += QLatin1Char('%');
            break;
        case Token::Exponent:
            inExponent = true;
            exponentSign = t.text;
            break;
        case Token::Literal:
        case Token::Date:
        case Token::Text:
            (digitsSeen ? suffix : prefix) += t.text;
            break;
        default:
            break;
        }
    }
    scale += pendingCommas;
    for (int i = 0; i < percents; ++i)
        value *= 100.0;
    for (int i = 0; i < scale; ++i)
        value /= 1000.0;

    QString exponentText;
    if (inExponent) {
        int exponent = 0;
        if (value != 0) {
            exponent = int(std::floor(std::log10(value)));
            const double mantissa = value / std::pow(10.0, exponent);
            if (std::round(mantissa * std::pow(10.0, decimals)) >= 10.0 * std::pow(10.0, decimals))
                ++exponent;
            value /= std::pow(10.0, exponent);
        }
        exponentText = QStringLiteral("E") +
                       (exponent < 0 ? QStringLiteral("-")
                                     : (exponentSign == QLatin1String("+") ? QStringLiteral("+")
                                                                           : QString())) +
                       QStringLiteral("%1").arg(std::abs(exponent), std::max(exponentDigits, 1), 10,
                                                QLatin1Char('0'));
    }

    QString digits = QString::number(value, 'f', decimals); // "1234.50"
    QString whole = digits.section(u'.', 0, 0);
    QString fraction = decimals > 0 ? digits.section(u'.', 1, 1) : QString();
    while (fraction.size() > decimalZeros && fraction.endsWith(u'0'))
        fraction.chop(1);
    if (whole == QLatin1String("0") && integerZeros == 0)
        whole.clear();
    while (whole.size() < integerZeros)
        whole.prepend(u'0');
    if (grouping) {
        for (qsizetype at = whole.size() - 3; at > 0; at -= 3)
            whole.insert(at, locale.groupSeparator());
    }
    QString out = prefix + whole;
    if (afterPoint) // "0." shows the point even without decimals
        out += locale.decimalPoint() + fraction;
    return out + exponentText + suffix;
}

} // namespace

QString shownText(const Variant& value, const QString& numberFormat) {
    if (numberFormat.isEmpty() || value.isEmpty() || value.isBoolean() || value.isError() ||
        value.isArray())
        return textForm(value);
    const std::vector<Section> sections = parseFormat(numberFormat);
    if (value.isText()) {
        // The fourth section is for texts; a single section with "@" too.
        const Section* s = nullptr;
        if (sections.size() >= 4)
            s = &sections[3];
        else if (sections.size() == 1 && sections[0].has(Token::Text))
            s = &sections[0];
        if (!s)
            return value.text();
        QString out;
        for (const Token& t : s->tokens)
            out += t.kind == Token::Text ? value.text() : t.text;
        return out;
    }
    const double number = value.isDate() ? value.date().serial : value.number();
    if (!std::isfinite(number))
        return textForm(value);
    const bool conditional = std::any_of(sections.begin(), sections.end(),
                                         [](const Section& s) { return s.conditional; });
    size_t pick = 0;
    if (!conditional) {
        if (number < 0 && sections.size() >= 2)
            pick = 1;
        else if (number == 0 && sections.size() >= 3)
            pick = 2;
    }
    const Section& s = sections[pick];
    if (s.hasDate) {
        // A date is a number of days; one outside the calendar stays a number.
        if (number < 0 || number > 2958466.0)
            return textForm(Variant(number));
        return renderDate(s, number);
    }
    if (s.tokens.empty())
        return textForm(value);
    if (conditional || !s.hasDigits || s.has(Token::General)) {
        // General with literals around it, or literals alone.
        QString out;
        bool placed = false;
        for (const Token& t : s.tokens) {
            if (t.kind == Token::General && !placed) {
                out += textForm(value);
                placed = true;
            } else if (t.kind == Token::Literal) {
                out += t.text;
            }
        }
        // Conditions are not followed: a number under them shows in General.
        return placed || !conditional ? out : textForm(value);
    }
    // Fractions ("# ?/?") are not drawn here: the number shows in General.
    if (std::any_of(s.tokens.begin(), s.tokens.end(), [](const Token& t) {
            return t.kind == Token::Literal && t.text.contains(u'/');
        }))
        return textForm(Variant(number));
    // With one section the sign is shown; the second section stands for negatives without it.
    const bool minus = number < 0 && pick == 0;
    const QString shown = renderNumber(s, std::fabs(number));
    return minus ? QStringLiteral("-") + shown : shown;
}

} // namespace excel
