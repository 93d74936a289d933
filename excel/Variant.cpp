#include "excel/Variant.h"

#include <cmath>
#include <cstdio>

namespace excel {

namespace {

const QDate kAutomationEpoch(1899, 12, 30);

struct ErrorName {
    ErrorValue value;
    const char* text;
};

constexpr ErrorName kErrorNames[] = {
    {ErrorValue::Null, "#NULL!"}, {ErrorValue::Div0, "#DIV/0!"}, {ErrorValue::Value, "#VALUE!"},
    {ErrorValue::Ref, "#REF!"},   {ErrorValue::Name, "#NAME?"},  {ErrorValue::Num, "#NUM!"},
    {ErrorValue::NA, "#N/A"},
};

} // namespace

QString errorText(ErrorValue e) {
    for (const auto& n : kErrorNames) {
        if (n.value == e)
            return QString::fromLatin1(n.text);
    }
    return QStringLiteral("#N/A");
}

std::optional<ErrorValue> errorFromText(QStringView text) {
    for (const auto& n : kErrorNames) {
        if (text.compare(QLatin1String(n.text), Qt::CaseInsensitive) == 0)
            return n.value;
    }
    return std::nullopt;
}

Variant Variant::fromDateTime(const QDateTime& dt) {
    const qint64 days = kAutomationEpoch.daysTo(dt.date());
    const double fraction = dt.time().msecsSinceStartOfDay() / 86400000.0;
    // Automation dates before the epoch count whole days backwards and the time forwards.
    return Variant(DateValue{days >= 0 ? days + fraction : days - fraction});
}

QDateTime Variant::toDateTime() const {
    if (!isDate())
        return {};
    const double serial = date().serial;
    // Far beyond any calendar a spreadsheet shows (and beyond what the day count holds).
    if (!(std::fabs(serial) < 1e8))
        return {};
    const double whole = std::trunc(serial);
    const double fraction = std::fabs(serial - whole);
    qint64 msecs = std::llround(fraction * 86400000.0);
    qint64 days = static_cast<qint64>(whole);
    if (msecs >= 86400000) {
        msecs -= 86400000;
        days += 1;
    }
    return QDateTime(kAutomationEpoch.addDays(days), QTime::fromMSecsSinceStartOfDay(int(msecs)));
}

QString formatGeneralNumber(double value) {
    if (std::isnan(value))
        return QStringLiteral("#NUM!");
    if (value == 0)
        return QStringLiteral("0");
    // Whole numbers of up to 15 digits are by far the most common: no formatting needed.
    if (std::fabs(value) < 1e15 && value == std::trunc(value))
        return QString::number(qint64(value));
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15G", value);
    QString text = QString::fromLatin1(buffer);
    const qsizetype e = text.indexOf(QLatin1Char('E'));
    QString mantissa = e < 0 ? text : text.left(e);
    QString exponent = e < 0 ? QString() : text.mid(e);
    // %G keeps no trailing zeros already; drop a dangling decimal point just in case.
    if (mantissa.endsWith(QLatin1Char('.')))
        mantissa.chop(1);
    if (!exponent.isEmpty()) {
        // E+020 style exponents do not occur with glibc, but E+05 does: keep two digits at least.
        const QChar sign = exponent.at(1);
        QString digits = exponent.mid(2);
        while (digits.size() > 2 && digits.startsWith(QLatin1Char('0')))
            digits.remove(0, 1);
        exponent = QStringLiteral("E") + sign + digits;
    }
    return mantissa + exponent;
}

QString Variant::toString() const {
    switch (kind()) {
    case Kind::Empty:
    case Kind::Array:
        return {};
    case Kind::Number:
        return formatGeneralNumber(number());
    case Kind::Text:
        return text();
    case Kind::Boolean:
        return boolean() ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    case Kind::Error:
        return errorText(error());
    case Kind::Date: {
        const QDateTime dt = toDateTime();
        if (!dt.isValid())
            return formatGeneralNumber(date().serial);
        if (dt.time().msecsSinceStartOfDay() == 0)
            return dt.date().toString(Qt::ISODate);
        return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    }
    return {};
}

bool Variant::operator==(const Variant& other) const {
    if (kind() != other.kind())
        return false;
    if (isArray()) {
        const VariantArray& a = array();
        const VariantArray& b = other.array();
        return a.rows() == b.rows() && a.columns() == b.columns() && a.values() == b.values();
    }
    return m_value == other.m_value;
}

VariantArray::VariantArray(int rows, int columns)
    : m_rows(rows)
    , m_columns(columns)
    , m_cells(size_t(rows) * size_t(columns)) {}

size_t VariantArray::index(int row, int column) const {
    Q_ASSERT(row >= 1 && row <= m_rows && column >= 1 && column <= m_columns);
    return size_t(row - 1) * size_t(m_columns) + size_t(column - 1);
}

} // namespace excel
