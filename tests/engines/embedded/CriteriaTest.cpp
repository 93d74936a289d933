// COUNTIF criteria: every rule on one column of telling cells, and the per-range index against
// the cell-by-cell rule on many random ranges and criteria.

#include "engines/embedded/CountIfIndex.h"
#include "engines/embedded/Criterion.h"
#include "support/LocaleGuard.h"

#include <gtest/gtest.h>
#include <random>

using embedded::CellStore;
using embedded::CountIfIndex;
using embedded::Criterion;
using excel::CellRect;
using excel::Variant;

namespace {

// Column A, rows 1..30; rows 18, 29 and 30 are truly empty.
std::shared_ptr<CellStore> tellingColumn() {
    auto cells = std::make_shared<CellStore>(std::make_shared<embedded::BookContext>());
    const std::vector<Variant> values = {
        1.0,                              // 1
        "1",                              // 2
        true,                             // 3
        5.0,                              // 4
        10.0,                             // 5
        Variant(excel::DateValue{45306}), // 6: 2024-01-15
        "apple",
        "Apple",
        "APPLE",
        "apples", // 7-10
        "pineapple",
        "a*b",
        "a?b",
        "axb",
        "a~b", // 11-15
    };
    for (size_t i = 0; i < values.size(); ++i)
        cells->setValue(int(i + 1), 1, values[i]);
    cells->setValue(16, 1, Variant(""), true); // a formula showing nothing
    cells->setValue(17, 1, excel::ErrorValue::Div0);
    cells->setValue(19, 1, " 5");
    cells->setValue(20, 1, "2024-01-15");
    cells->setValue(21, 1, "1234567890123456789");
    cells->setValue(22, 1, "1234567890123456780");
    cells->setValue(23, 1, QString(300, QLatin1Char('x')));
    cells->setValue(24, 1, "abc");
    cells->setValue(25, 1, false);
    cells->setValue(26, 1, 0.5);
    cells->setValue(27, 1, excel::ErrorValue::NA);
    cells->setValue(28, 1, Variant(), true); // a formula whose value is not known
    return cells;
}

struct Case {
    Variant criterion;
    qint64 expected;
    const char* why;
};

TEST(Criteria, EveryRuleOnTellingCells) {
    const auto cells = tellingColumn();
    const CellRect rect{1, 1, 30, 1};
    const CountIfIndex index(*cells, rect);
    const std::vector<Case> cases = {
        {1.0, 2, "a number meets the number and text that reads as it"},
        {"1", 2, "numeric text meets the number and the same text; TRUE stays apart"},
        {"=1", 2, "a leading = changes nothing for a value"},
        {"=", 3, "= alone counts truly empty cells"},
        {"", 5, "the empty criterion adds formulas that show nothing"},
        {Variant(), 5, "an empty criterion value is the empty text"},
        {"<>", 27, "<> alone counts every cell that is not truly empty"},
        {"<>1", 28, "<> counts everything else, empty cells included"},
        {">5", 2, "comparison with a number looks at numbers and dates only"},
        {"<=5", 3, "logical values are not numbers"},
        {"<0", 0, "no negative numbers"},
        {"apple", 3, "text ignores letter case"},
        {"=apple", 3, "= with text is the same as the text"},
        {"<>apple", 27, "<> text counts all other cells"},
        {"A*", 9, "* matches any run, case ignored"},
        {"*apple*", 5, "* on both sides finds the text anywhere"},
        {"a?b", 4, "? matches one character"},
        {"a~*b", 1, "~* is a literal asterisk"},
        {"a~?b", 1, "~? is a literal question mark"},
        {"a~~b", 1, "~~ is a literal tilde"},
        {"*", 18, "* counts text cells, the empty-looking ones included, not numbers"},
        {"?*", 16, "?* needs at least one character"},
        {">apple", 4, "text comparison ignores case and orders as the language does"},
        {"<apple", 11, "symbols, blanks and digits come before letters; empty-looking text too"},
        {"<=b", 16, "up to b"},
        {"2024-01-15", 2, "a date criterion meets the date and the same text"},
        {">=2024-01-01", 1, "date comparison looks at numbers only"},
        {Variant(excel::DateValue{45306}), 1, "a date value meets the date"},
        {"#DIV/0!", 1, "an error literal meets that error"},
        {excel::ErrorValue::NA, 1, "an error value meets that error"},
        {"<>#N/A", 29, "<> an error counts all other cells"},
        {"5", 1, "numeric text meets text by its letters: \" 5\" is not \"5\""},
        {5.0, 2, "a number meets text that reads as that number"},
        {"1234567890123456789", 1, "long digit strings stay apart"},
        {QString(300, QLatin1Char('x')), 1, "no limit on the criterion's length"},
        {true, 1, "TRUE meets the logical TRUE only"},
        {"true", 1, "the text TRUE is the logical value"},
        {"FALSE", 1, "and FALSE"},
        {"0.5", 1, "decimals"},
        {"50%", 1, "a percentage is a number"},
        {"1e0", 1, "an exponent; the text \"1\" is not the text \"1e0\""},
    };
    for (const Case& c : cases) {
        const Criterion criterion = Criterion::parse(c.criterion, false);
        EXPECT_EQ(embedded::countIfScan(*cells, rect, criterion), c.expected)
            << c.criterion.toString().toStdString() << ": " << c.why;
        EXPECT_EQ(index.count(criterion), c.expected)
            << "index, " << c.criterion.toString().toStdString() << ": " << c.why;
    }
}

TEST(Criteria, DatesFollowTheWorkbookDateSystem) {
    auto context = std::make_shared<embedded::BookContext>();
    context->date1904 = true;
    CellStore cells(context);
    cells.setValue(1, 1, Variant(excel::DateValue{45306})); // 2024-01-15 whatever the system
    const CellRect rect{1, 1, 1, 1};
    EXPECT_EQ(embedded::countIfScan(cells, rect, Criterion::parse("2024-01-15", true)), 1);
    EXPECT_EQ(embedded::countIfScan(cells, rect, Criterion::parse(45306.0 - 1462, true)), 1);
    EXPECT_EQ(embedded::countIfScan(cells, rect, Criterion::parse(45306.0, true)), 0);
}

TEST(Criteria, NumbersAndDatesAreReadInTheUsersLocale) {
    auto cells = std::make_shared<CellStore>(std::make_shared<embedded::BookContext>());
    cells->setValue(1, 1, 1.5);
    cells->setValue(2, 1, "1,5");
    cells->setValue(3, 1, Variant(excel::DateValue{45306}));
    const CellRect rect{1, 1, 3, 1};
    const auto count = [&](const char* criterion) {
        return embedded::countIfScan(*cells, rect,
                                     Criterion::parse(QString::fromUtf8(criterion), false));
    };
    EXPECT_EQ(count("1,5"), 1) << "in English the comma is no decimal separator";
    EXPECT_EQ(count("1/15/2024"), 1);
    testsupport::LocaleGuard german(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(count("1,5"), 2) << "the number 1.5 and the text 1,5";
    EXPECT_EQ(count("1.5"), 1);
    EXPECT_EQ(count("15.01.2024"), 1);
    EXPECT_EQ(count(">1,2"), 2) << "the number and the date";
}

TEST(Criteria, EscapedLabelsCountExactlyTheirOwnCells) {
    auto cells = std::make_shared<CellStore>(std::make_shared<embedded::BookContext>());
    const QStringList labels = {"A*", "Apple", "?", "x", "~x", ">5", "=3", "6", "3"};
    for (int i = 0; i < labels.size(); ++i)
        cells->setValue(i + 1, 1, labels[i]);
    const CellRect rect{1, 1, int(labels.size()), 1};
    for (const QString& label : labels) {
        // A "~" before each wildcard character and "=" before a label that begins with an operator.
        QString escaped;
        for (QChar c : label)
            escaped += (c == u'*' || c == u'?' || c == u'~') ? QStringLiteral("~") + c : QString(c);
        if (escaped.startsWith(QLatin1Char('=')) || escaped.startsWith(QLatin1Char('<')) ||
            escaped.startsWith(QLatin1Char('>')))
            escaped.prepend(QLatin1Char('='));
        EXPECT_EQ(CountIfIndex(*cells, rect).count(Criterion::parse(escaped, false)), 1)
            << label.toStdString();
    }
}

// Random cells from a small vocabulary, so that criteria hit often.
std::shared_ptr<CellStore> randomSheet(std::mt19937& rng) {
    static const std::vector<Variant> vocabulary = {
        1.0,
        2.0,
        5.0,
        -3.0,
        0.0,
        0.5,
        1e15,
        "1",
        "2",
        " 5",
        "05",
        "1.0",
        "apple",
        "Apple",
        "APPLE",
        "apples",
        "a*b",
        "a?b",
        "a~b",
        "",
        "abc",
        "ABC d",
        "true",
        "#N/A",
        "2024-01-15",
        "Ärger",
        "ärger",
        "ß",
        "SS",
        true,
        false,
        excel::ErrorValue::NA,
        excel::ErrorValue::Div0,
        Variant(excel::DateValue{45306}),
        Variant(excel::DateValue{45306.5}),
    };
    auto cells = std::make_shared<CellStore>(std::make_shared<embedded::BookContext>());
    std::uniform_int_distribution<int> row(1, 40), column(1, 6),
        word(0, int(vocabulary.size()) - 1);
    std::uniform_int_distribution<int> coin(0, 9);
    for (int i = 0; i < 150; ++i) {
        const bool formula = coin(rng) == 0;
        cells->setValue(row(rng), column(rng),
                        coin(rng) == 1 ? Variant() : vocabulary[size_t(word(rng))], formula);
    }
    return cells;
}

Variant randomCriterion(std::mt19937& rng) {
    static const QStringList operators = {"", "", "", "=", "<>", "<", "<=", ">", ">="};
    static const QStringList operands = {
        "",           "1",         "2",     "5",  "-3",  "0",    "0.5",   "1e15", "05",
        " 5",         "apple",     "APPLE", "a*", "*p*", "a?b",  "a~*b",  "a~?b", "a~~b",
        "*",          "?",         "?*",    "~",  "abc", "true", "FALSE", "#N/A", "#DIV/0!",
        "2024-01-15", "1/15/2024", "ärger", "ss", "50%", "b",    "z",
    };
    std::uniform_int_distribution<int> kind(0, 5);
    std::uniform_int_distribution<int> op(0, int(operators.size()) - 1);
    std::uniform_int_distribution<int> operand(0, int(operands.size()) - 1);
    switch (kind(rng)) {
    case 0:
        return Variant(double(std::uniform_int_distribution<int>(-3, 5)(rng)));
    case 1:
        return Variant(kind(rng) % 2 == 0);
    default:
        return Variant(operators[op(rng)] + operands[operand(rng)]);
    }
}

TEST(Criteria, IndexEqualsCellByCellOnRandomRangesAndCriteria) {
    std::mt19937 rng(20261206);
    int compared = 0;
    for (int sheet = 0; sheet < 40; ++sheet) {
        const auto cells = randomSheet(rng);
        for (int range = 0; range < 25; ++range) {
            std::uniform_int_distribution<int> rowPick(1, 45), columnPick(1, 8);
            int top = rowPick(rng), bottom = rowPick(rng), left = columnPick(rng),
                right = columnPick(rng);
            const CellRect rect{std::min(top, bottom), std::min(left, right), std::max(top, bottom),
                                std::max(left, right)};
            const CountIfIndex index(*cells, rect);
            for (int k = 0; k < 12; ++k) {
                const Variant v = randomCriterion(rng);
                const Criterion criterion = Criterion::parse(v, false);
                ASSERT_EQ(index.count(criterion), embedded::countIfScan(*cells, rect, criterion))
                    << "criterion \"" << v.toString().toStdString() << "\" on "
                    << excel::formatRect(rect).toStdString();
                ++compared;
            }
        }
    }
    EXPECT_GE(compared, 10000);
}

} // namespace
