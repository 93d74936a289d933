#pragma once
// The criteria of COUNTIF: what a criterion means and whether one cell meets it. This is the
// cell-by-cell rule; the per-range index must give the same counts.

#include "engines/embedded/store/CellStore.h"
#include "excel/Variant.h"

#include <QCollator>
#include <QString>
#include <QVector>
#include <optional>

namespace embedded {

// A cell reduced to what criteria look at. Texts are case-folded: every text rule ignores case.
struct CellKey {
    enum class Kind : quint8 { Blank, Number, Text, Boolean, Error };
    Kind kind = Kind::Blank;
    double number = 0; // numbers and dates (as workbook serials)
    bool boolean = false;
    excel::ErrorValue error = excel::ErrorValue::NA;
    QString folded;

    static CellKey of(const Cell& cell, const StringPool& strings);
    static CellKey blank() { return {}; }
};

QString foldCase(const QString& text);
// A number as criteria read one: optional sign, digits with an optional decimal point, an
// optional exponent and an optional trailing percent sign; blanks around it are allowed.
std::optional<double> parseCriterionNumber(QStringView text);
// A date as the locale writes it, or in ISO (2024-01-15) or US (1/15/2024) form, optionally with
// a time, as a serial of the workbook's date system.
std::optional<double> parseCriterionDate(QStringView text, bool date1904);

class Criterion {
public:
    enum class Op : quint8 { Equal, NotEqual, Less, LessEqual, Greater, GreaterEqual };
    enum class Operand : quint8 { Blank, Number, Boolean, Error, Text };

    static Criterion parse(const excel::Variant& criteria, bool date1904);

    bool matches(const CellKey& cell) const;
    // Equality with this criterion's operand (the criterion read with "=" in place of "<>").
    bool equals(const CellKey& cell) const;
    // For <, <=, >, >=: whether the cell's kind is compared at all and, if so, the comparison.
    bool compares(const CellKey& cell) const;
    bool wildcardMatch(const QString& foldedText) const;

    // Whether a number (or date serial) equals the operand as the spreadsheet compares them:
    // to 15 significant digits, the precision it shows; a date or time written as text, to the
    // millisecond it shows.
    bool numberEquals(double value) const;
    // Numbers further than this from number() never equal it.
    double numberTolerance() const;

    Op op() const { return m_op; }
    Operand operand() const { return m_operand; }
    double number() const { return m_number; }
    bool boolean() const { return m_boolean; }
    excel::ErrorValue error() const { return m_error; }
    // The operand's own text, folded: the literal for text, the written form for the others.
    const QString& literal() const { return m_literal; }
    bool fromText() const { return m_fromText; }
    bool hasWildcards() const { return m_wildcards; }
    bool blankMatchesEmptyText() const { return m_blankMatchesEmptyText; }

private:
    struct Token {
        enum class Type : quint8 { Char, AnyOne, AnyRun } type;
        QChar ch;
    };
    static Criterion parseOperand(const excel::Variant& criteria, bool date1904);
    void readOperand(const QString& rest, bool date1904);
    void compileText(const QString& folded);
    int compareNumbers(double a, double b) const { return a < b ? -1 : (a > b ? 1 : 0); }
    bool compareResult(int cmp) const;

    Op m_op = Op::Equal;
    Operand m_operand = Operand::Blank;
    bool m_fromText = false;
    bool m_wildcards = false;
    bool m_blankMatchesEmptyText = false;
    bool m_boolean = false;
    bool m_date1904 = false;
    bool m_dateText = false; // the operand was a date or time written as text
    double m_number = 0;
    qint64 m_millis = 0;      // for a date written as text: its time in milliseconds
    char m_digits[32] = {};   // the operand to 15 significant digits
    excel::ErrorValue m_error = excel::ErrorValue::NA;
    QString m_literal;
    QVector<Token> m_pattern;
    // Texts are ordered as the user's language orders them (marks and symbols before letters).
    std::optional<QCollator> m_collator;
};

// The count COUNTIF gives over one block, one cell at a time: the reference rule.
qint64 countIfScan(const CellStore& cells, const excel::CellRect& rect, const Criterion& criterion);

} // namespace embedded
