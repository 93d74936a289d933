// Cell values: their plain text form and dates.

#include "excel/Variant.h"

#include <gtest/gtest.h>

using namespace excel;

namespace {

TEST(Variant, TextFormOfNumbersKeepsFifteenDigits) {
    EXPECT_EQ(formatGeneralNumber(42), "42");
    EXPECT_EQ(formatGeneralNumber(-1.5), "-1.5");
    EXPECT_EQ(formatGeneralNumber(0.1 + 0.2), "0.3");
    EXPECT_EQ(formatGeneralNumber(3.14159), "3.14159");
    EXPECT_EQ(formatGeneralNumber(1e300), "1E+300");
    EXPECT_EQ(formatGeneralNumber(-1.5e-10), "-1.5E-10");
    EXPECT_EQ(formatGeneralNumber(123456789012345678.0), "1.23456789012346E+17");
    EXPECT_EQ(Variant(true).toString(), "TRUE");
    EXPECT_EQ(Variant(ErrorValue::Div0).toString(), "#DIV/0!");
}

TEST(Variant, DatesConvertBothWays) {
    const Variant d(DateValue{45306.5});
    EXPECT_EQ(d.toDateTime(), QDateTime(QDate(2024, 1, 15), QTime(12, 0)));
    EXPECT_EQ(Variant::fromDateTime(QDateTime(QDate(2024, 1, 15), QTime(12, 0))), d);
    EXPECT_EQ(d.toString(), "2024-01-15 12:00:00");
    EXPECT_EQ(Variant(DateValue{45306}).toString(), "2024-01-15");
    EXPECT_EQ(errorFromText(u"#name?"), ErrorValue::Name);
    EXPECT_FALSE(errorFromText(u"#NAME"));
}

} // namespace
