#include "engines/embedded/Criterion.h"

#include "excel/TextForm.h"

#include <QDate>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace embedded {

QString foldCase(const QString& text) {
    return text.toCaseFolded();
}

CellKey CellKey::of(const Cell& cell, const StringPool& strings) {
    CellKey key;
    switch (cell.kind) {
    case CellKind::FormulaOnly:
        // A formula whose value is unknown is taken as one that shows nothing: it is not blank.
        key.kind = Kind::Text;
        break;
    case CellKind::Number:
    case CellKind::Date:
        key.kind = Kind::Number;
        key.number = cell.number;
        break;
    case CellKind::Text:
        key.kind = Kind::Text;
        key.folded = foldCase(strings.at(cell.text));
        break;
    case CellKind::Boolean:
        key.kind = Kind::Boolean;
        key.boolean = cell.boolean;
        break;
    case CellKind::Error:
        key.kind = Kind::Error;
        key.error = static_cast<excel::ErrorValue>(cell.error);
        break;
    }
    return key;
}

std::optional<double> parseCriterionNumber(QStringView text) {
    text = text.trimmed();
    bool percent = false;
    if (text.endsWith(u'%')) {
        percent = true;
        text.chop(1);
        text = text.trimmed();
    }
    // Criteria are read in the user's locale, as the spreadsheet reads them: "1,5" is a number
    // where the comma is the decimal separator.
    const auto value = excel::parseNumberText(text);
    if (!value)
        return std::nullopt;
    return percent ? *value / 100 : *value;
}

std::optional<double> parseCriterionDate(QStringView text, bool date1904) {
    const auto dt = excel::parseDateText(text);
    if (!dt)
        return std::nullopt;
    return automationDateToSerial(excel::Variant::fromDateTime(*dt).date().serial, date1904);
}

namespace {

void fifteenDigits(double value, char (&out)[32]) {
    std::snprintf(out, sizeof out, "%.14e", value);
}

// A serial as the date and time shown for it, in milliseconds; the same rounding as the text.
qint64 shownMillis(double serial, bool date1904) {
    const QDateTime dt =
        excel::Variant(excel::DateValue{serialToAutomationDate(serial, date1904)}).toDateTime();
    if (!dt.isValid())
        return std::numeric_limits<qint64>::min();
    return QDate(1899, 12, 30).daysTo(dt.date()) * 86400000 + dt.time().msecsSinceStartOfDay();
}

} // namespace

bool Criterion::numberEquals(double value) const {
    if (value == m_number)
        return true;
    if (!(std::fabs(value - m_number) <= numberTolerance()))
        return false;
    if (m_dateText)
        return shownMillis(value, m_date1904) == m_millis;
    char digits[32];
    fifteenDigits(value, digits);
    return std::strcmp(digits, m_digits) == 0;
}

double Criterion::numberTolerance() const {
    // Half a millisecond is 5.8e-9 of a day; the 15th digit is at most 1e-14 of the value.
    return m_dateText ? 1e-8 : std::fabs(m_number) * 1e-14;
}

Criterion Criterion::parse(const excel::Variant& criteria, bool date1904) {
    Criterion c = parseOperand(criteria, date1904);
    c.m_date1904 = date1904;
    if (c.m_operand == Operand::Number) {
        fifteenDigits(c.m_number, c.m_digits);
        if (c.m_dateText)
            c.m_millis = shownMillis(c.m_number, date1904);
    }
    return c;
}

Criterion Criterion::parseOperand(const excel::Variant& criteria, bool date1904) {
    Criterion c;
    switch (criteria.kind()) {
    case excel::Variant::Kind::Number:
        c.m_operand = Operand::Number;
        c.m_number = criteria.number();
        return c;
    case excel::Variant::Kind::Date:
        c.m_operand = Operand::Number;
        c.m_number = automationDateToSerial(criteria.date().serial, date1904);
        return c;
    case excel::Variant::Kind::Boolean:
        c.m_operand = Operand::Boolean;
        c.m_boolean = criteria.boolean();
        return c;
    case excel::Variant::Kind::Error:
        c.m_operand = Operand::Error;
        c.m_error = criteria.error();
        return c;
    case excel::Variant::Kind::Empty:
    case excel::Variant::Kind::Array:
        c.m_operand = Operand::Blank;
        c.m_blankMatchesEmptyText = true;
        return c;
    case excel::Variant::Kind::Text:
        break;
    }
    const QString& text = criteria.text();
    static const std::pair<const char*, Op> kOps[] = {
        {"<=", Op::LessEqual}, {">=", Op::GreaterEqual}, {"<>", Op::NotEqual},
        {"<", Op::Less},       {">", Op::Greater},       {"=", Op::Equal},
    };
    QString rest = text;
    bool hadOperator = false;
    for (const auto& [prefix, op] : kOps) {
        if (text.startsWith(QLatin1String(prefix))) {
            c.m_op = op;
            rest = text.mid(qsizetype(qstrlen(prefix)));
            hadOperator = true;
            break;
        }
    }
    if (rest.isEmpty() && (c.m_op == Op::Equal || c.m_op == Op::NotEqual)) {
        // "" counts empty cells and formulas that show nothing; "=" only truly empty cells;
        // "<>" every cell that is not truly empty.
        c.m_operand = Operand::Blank;
        c.m_blankMatchesEmptyText = !hadOperator;
        return c;
    }
    c.readOperand(rest, date1904);
    return c;
}

void Criterion::readOperand(const QString& rest, bool date1904) {
    m_fromText = true;
    m_literal = foldCase(rest);
    if (const auto e =
            rest.startsWith(QLatin1Char('#')) ? excel::errorFromText(rest) : std::nullopt) {
        m_operand = Operand::Error;
        m_error = *e;
    } else if (m_literal == QLatin1String("true") || m_literal == QLatin1String("false")) {
        m_operand = Operand::Boolean;
        m_boolean = m_literal == QLatin1String("true");
    } else if (const auto n = parseCriterionNumber(rest)) {
        m_operand = Operand::Number;
        m_number = *n;
    } else if (const auto d = parseCriterionDate(rest, date1904)) {
        m_operand = Operand::Number;
        m_number = *d;
        m_dateText = true;
    } else {
        m_operand = Operand::Text;
        if (m_op == Op::Equal || m_op == Op::NotEqual) {
            compileText(m_literal);
        } else {
            m_collator.emplace(QLocale());
            m_collator->setCaseSensitivity(Qt::CaseInsensitive);
        }
    }
}

// Wildcards: "?" one character, "*" any run, "~" makes the next "*", "?" or "~" literal.
void Criterion::compileText(const QString& folded) {
    QString literal;
    for (qsizetype i = 0; i < folded.size(); ++i) {
        const QChar ch = folded[i];
        if (ch == u'~' && i + 1 < folded.size() &&
            (folded[i + 1] == u'*' || folded[i + 1] == u'?' || folded[i + 1] == u'~')) {
            ++i;
            m_pattern.push_back({Token::Type::Char, folded[i]});
            literal += folded[i];
        } else if (ch == u'*') {
            m_pattern.push_back({Token::Type::AnyRun, {}});
            m_wildcards = true;
        } else if (ch == u'?') {
            m_pattern.push_back({Token::Type::AnyOne, {}});
            m_wildcards = true;
        } else {
            m_pattern.push_back({Token::Type::Char, ch});
            literal += ch;
        }
    }
    if (!m_wildcards) {
        m_literal = literal;
        m_pattern.clear();
    }
}

bool Criterion::wildcardMatch(const QString& s) const {
    // Linear matching with one backtrack point for the last "*" seen.
    qsizetype p = 0;
    qsizetype i = 0;
    qsizetype starP = -1;
    qsizetype starI = 0;
    const qsizetype n = m_pattern.size();
    while (i < s.size()) {
        if (p < n && (m_pattern[p].type == Token::Type::AnyOne ||
                      (m_pattern[p].type == Token::Type::Char && m_pattern[p].ch == s[i]))) {
            ++p;
            ++i;
        } else if (p < n && m_pattern[p].type == Token::Type::AnyRun) {
            starP = p++;
            starI = i;
        } else if (starP >= 0) {
            p = starP + 1;
            i = ++starI;
        } else {
            return false;
        }
    }
    while (p < n && m_pattern[p].type == Token::Type::AnyRun)
        ++p;
    return p == n;
}

bool Criterion::equals(const CellKey& cell) const {
    using K = CellKey::Kind;
    switch (m_operand) {
    case Operand::Blank:
        return cell.kind == K::Blank ||
               (m_blankMatchesEmptyText && cell.kind == K::Text && cell.folded.isEmpty());
    case Operand::Number:
        if (cell.kind == K::Number)
            return numberEquals(cell.number);
        if (cell.kind != K::Text)
            return false;
        // Text written as a criterion meets text by its letters, so that long digit strings
        // stay apart; a number meets text that reads as that number.
        if (m_fromText)
            return cell.folded == m_literal;
        return parseCriterionNumber(cell.folded) == m_number;
    case Operand::Boolean:
        return (cell.kind == K::Boolean && cell.boolean == m_boolean) ||
               (m_fromText && cell.kind == K::Text && cell.folded == m_literal);
    case Operand::Error:
        return (cell.kind == K::Error && cell.error == m_error) ||
               (m_fromText && cell.kind == K::Text && cell.folded == m_literal);
    case Operand::Text:
        if (cell.kind != K::Text)
            return false;
        return m_wildcards ? wildcardMatch(cell.folded) : cell.folded == m_literal;
    }
    return false;
}

bool Criterion::compareResult(int cmp) const {
    switch (m_op) {
    case Op::Less:
        return cmp < 0;
    case Op::LessEqual:
        return cmp <= 0;
    case Op::Greater:
        return cmp > 0;
    case Op::GreaterEqual:
        return cmp >= 0;
    case Op::Equal:
    case Op::NotEqual:
        break;
    }
    return false;
}

bool Criterion::compares(const CellKey& cell) const {
    using K = CellKey::Kind;
    switch (m_operand) {
    case Operand::Number:
        return cell.kind == K::Number && compareResult(compareNumbers(cell.number, m_number));
    case Operand::Text:
        return cell.kind == K::Text && compareResult(m_collator->compare(cell.folded, m_literal));
    case Operand::Boolean:
        return cell.kind == K::Boolean && compareResult(int(cell.boolean) - int(m_boolean));
    case Operand::Blank:
    case Operand::Error:
        return false;
    }
    return false;
}

bool Criterion::matches(const CellKey& cell) const {
    switch (m_op) {
    case Op::Equal:
        return equals(cell);
    case Op::NotEqual:
        return !equals(cell);
    default:
        return compares(cell);
    }
}

qint64 countIfScan(const CellStore& cells, const excel::CellRect& rect,
                   const Criterion& criterion) {
    qint64 stored = 0;
    qint64 count = 0;
    const StringPool& strings = cells.context().strings;
    cells.forEachInRect(rect, [&](int, int, const Cell& cell) {
        ++stored;
        if (criterion.matches(CellKey::of(cell, strings)))
            ++count;
    });
    // Cells that hold nothing are all alike: one test stands for all of them.
    if (criterion.matches(CellKey::blank()))
        count += rect.cellCount() - stored;
    return count;
}

} // namespace embedded
