// Shown texts under the number formats the report writes, and the palette behind ColorIndex.

#include "excel/CellFormat.h"

#include "support/LocaleGuard.h"

#include <gtest/gtest.h>

using excel::shownText;
using excel::Variant;

TEST(CellFormat, ShowsNumbersThroughTheirFormat) {
    const struct {
        double value;
        const char* format;
        const char* shown;
    } cases[] = {
        {0.123, "0.0%", "12.3%"}, {0.1, "0%", "10%"},       {0.12345, "0.00%", "12.35%"},
        {1, "0.0%", "100.0%"},    {-0.05, "0.0%", "-5.0%"}, {1234.5, "#,##0", "1,235"},
        {1234.5, "0", "1235"},    {2.5, "0.00", "2.50"},    {1234567.0, "0.0", "1234567.0"},
        {0.1 + 0.2, "", "0.3"},   {12, "General", "12"},    {3.25, "[Red]0.00", "3.25"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(shownText(Variant(c.value), QString::fromLatin1(c.format)), c.shown)
            << c.value << " " << c.format;
    EXPECT_EQ(shownText(Variant("12%"), "0.0%"), "12%") << "text stays as it is";
    EXPECT_EQ(shownText(Variant(true), "0%"), "True");
}

TEST(CellFormat, ShowsWhatFormatCodesOfWorkbookFilesAsk) {
    // 2026-09-01 06:13:59.7 as an automation date.
    const Variant when(excel::DateValue{46266.0 + (6 * 3600 + 13 * 60 + 59.7) / 86400.0});
    const struct {
        Variant value;
        const char* format;
        const char* shown;
    } cases[] = {
        // Times are rounded to the second (or to the fraction shown), then cut to what is shown.
        {when, "yyyy-mm-dd hh:mm", "2026-09-01 06:14"},
        {when, "yyyy-mm-dd h:mm:ss", "2026-09-01 6:14:00"},
        {when, "d-mmm-yy", "1-Sep-26"},
        {when, "dddd, mmmm d", "Tuesday, September 1"},
        {when, "m/d/yyyy h:mm AM/PM", "9/1/2026 6:14 AM"},
        {when, "hh:mm:ss.0", "06:13:59.7"},
        {when, "[$-409]mmmmm", "S"},
        {when, "dd.mm.yyyy", "01.09.2026"},
        {Variant(1.5), "[h]:mm", "36:00"},
        {Variant(46266.75), "yyyy-mm-dd hh:mm", "2026-09-01 18:00"}, // a number under a date code
        {Variant(-1.0), "yyyy-mm-dd", "-1"},                        // before the calendar
        {Variant(1234.5), "#,##0.00;(#,##0.00)", "1,234.50"},
        {Variant(-1234.5), "#,##0.00;(#,##0.00)", "(1,234.50)"},
        {Variant(0.0), "0.0;-0.0;\"none\"", "none"},
        {Variant(12345.0), "0.00E+00", "1.23E+04"},
        {Variant(0.000123), "0.0E+00", "1.2E-04"},
        {Variant(1234567.0), "#,##0,\"k\"", "1,235k"},
        {Variant(3.5), "\"$\"#,##0.00_);[Red]\\(\"$\"#,##0.00\\)", "$3.50 "},
        {Variant(0.5), "#.##", ".5"},
        {Variant(2.0), "0.##", "2."},
        {Variant(42.0), "[$€-407] 0", "€ 42"},
        {Variant(7.0), "00000", "00007"},
        {Variant(0.75), "# ?/?", "0.75"}, // fractions are left in General
        {Variant(150.0), "[>100]\"big\";0", "150"},
        {Variant(5.0), "\"n=\"General", "n=5"},
        {Variant("abc"), "@", "abc"},
        {Variant("abc"), "0;0;0;\"[\"@\"]\"", "[abc]"},
        {Variant("abc"), "0.00", "abc"},
        {Variant(true), "0.00", "True"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(shownText(c.value, QString::fromUtf8(c.format)), QString::fromUtf8(c.shown))
            << c.format;
}

TEST(CellFormat, FollowsTheUsersDecimalSeparator) {
    testsupport::LocaleGuard german(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(shownText(Variant(0.123), "0.0%"), "12,3%");
    EXPECT_EQ(shownText(Variant(1234.5), "#,##0"), "1.235");
}

TEST(CellFormat, KnowsTheDefaultPalette) {
    EXPECT_EQ(excel::paletteColor(19), 0xFFFFCC);
    EXPECT_EQ(excel::paletteColor(1), 0x000000);
    EXPECT_EQ(excel::paletteColor(56), 0x333333);
    EXPECT_EQ(excel::paletteColor(0), -1);
    EXPECT_EQ(excel::paletteColor(57), -1);
    EXPECT_TRUE(excel::CellFormat().isDefault());
    excel::CellFormat left;
    left.horizontalAlignment = excel::kAlignLeft;
    EXPECT_FALSE(left.isDefault());
}
