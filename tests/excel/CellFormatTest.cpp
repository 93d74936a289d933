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
