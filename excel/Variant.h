#pragma once
// A cell value as the object model hands it out: empty, number, text, boolean, error value, date,
// or a two-dimensional array of such values (what a block of cells reads as).

#include <QDateTime>
#include <QString>
#include <QVector>
#include <memory>
#include <optional>
#include <variant>

namespace excel {

// The worksheet error values, numbered as the spreadsheet numbers them.
enum class ErrorValue : quint8 { Null = 1, Div0, Value, Ref, Name, Num, NA };

QString errorText(ErrorValue e);
std::optional<ErrorValue> errorFromText(QStringView text);

// A date as days since 1899-12-30 with the time as the fraction (the automation date). Workbook
// serial numbers are converted to this by the engine that hosts the workbook.
struct DateValue {
    double serial = 0;
    bool operator==(const DateValue&) const = default;
};

class VariantArray;

class Variant {
public:
    enum class Kind { Empty, Number, Text, Boolean, Error, Date, Array };

    Variant() = default;
    Variant(double number)
        : m_value(number) {}
    Variant(int number)
        : m_value(double(number)) {}
    Variant(const QString& text)
        : m_value(text) {}
    Variant(const char* text)
        : m_value(QString::fromUtf8(text)) {}
    Variant(bool boolean)
        : m_value(boolean) {}
    Variant(ErrorValue error)
        : m_value(error) {}
    Variant(DateValue date)
        : m_value(date) {}
    Variant(std::shared_ptr<const VariantArray> array)
        : m_value(std::move(array)) {}

    static Variant fromDateTime(const QDateTime& dt);

    Kind kind() const { return static_cast<Kind>(m_value.index()); }
    bool isEmpty() const { return kind() == Kind::Empty; }
    bool isNumber() const { return kind() == Kind::Number; }
    bool isText() const { return kind() == Kind::Text; }
    bool isBoolean() const { return kind() == Kind::Boolean; }
    bool isError() const { return kind() == Kind::Error; }
    bool isDate() const { return kind() == Kind::Date; }
    bool isArray() const { return kind() == Kind::Array; }

    double number() const { return std::get<double>(m_value); }
    const QString& text() const { return std::get<QString>(m_value); }
    bool boolean() const { return std::get<bool>(m_value); }
    ErrorValue error() const { return std::get<ErrorValue>(m_value); }
    DateValue date() const { return std::get<DateValue>(m_value); }
    const VariantArray& array() const {
        return *std::get<std::shared_ptr<const VariantArray>>(m_value);
    }

    // The date as a calendar date and time (no time zone); invalid unless this is a date.
    QDateTime toDateTime() const;

    // A plain, locale-free text form: numbers with up to 15 significant digits, dates in ISO
    // form, booleans as TRUE/FALSE, errors as their literal. Arrays give an empty text.
    QString toString() const;

    bool operator==(const Variant& other) const;

private:
    std::variant<std::monostate, double, QString, bool, ErrorValue, DateValue,
                 std::shared_ptr<const VariantArray>>
        m_value;
};

// Rows and columns counted from 1, as the spreadsheet's own arrays are.
class VariantArray {
public:
    VariantArray(int rows, int columns);

    int rows() const { return m_rows; }
    int columns() const { return m_columns; }
    const Variant& at(int row, int column) const { return m_cells[index(row, column)]; }
    Variant& at(int row, int column) { return m_cells[index(row, column)]; }
    // All values row by row, and within a row column by column.
    const std::vector<Variant>& values() const { return m_cells; }

private:
    size_t index(int row, int column) const;

    int m_rows;
    int m_columns;
    std::vector<Variant> m_cells;
};

// Formats a number the way a general-format cell shows it: up to 15 significant digits, no
// trailing zeros, scientific notation for very large and very small magnitudes.
QString formatGeneralNumber(double value);

} // namespace excel
