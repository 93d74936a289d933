// References as users type them and addresses as the spreadsheet writes them.

#include "excel/CellRef.h"

#include <gtest/gtest.h>

using namespace excel;

namespace {

TEST(CellRef, ParsesWhatTheRangeBoxAccepts) {
    struct Case {
        const char* text;
        const char* sheet;
        const char* book;
        QVector<CellRect> areas;
    };
    const std::vector<Case> cases = {
        {"A1:A500", "", "", {{1, 1, 500, 1}}},
        {"B:B", "", "", {{1, 2, kMaxRows, 2}}},
        {"$b$2:$B$90", "", "", {{2, 2, 90, 2}}},
        {"Sheet1!$B$2:$B$90", "Sheet1", "", {{2, 2, 90, 2}}},
        {"'My sheet'!B2:B9", "My sheet", "", {{2, 2, 9, 2}}},
        {"'It''s'!C3", "It's", "", {{3, 3, 3, 3}}},
        {"[Book.xlsx]Data!A1", "Data", "Book.xlsx", {{1, 1, 1, 1}}},
        {"'[My book.xlsx]Defects & Causes'!$A$1:$B$7",
         "Defects & Causes",
         "My book.xlsx",
         {{1, 1, 7, 2}}},
        {"A9:A1", "", "", {{1, 1, 9, 1}}},
        {"2:5", "", "", {{2, 1, 5, kMaxColumns}}},
        {"A1:A3,C1", "", "", {{1, 1, 3, 1}, {1, 3, 1, 3}}},
        {" =XFD1048576 ", "", "", {{kMaxRows, kMaxColumns, kMaxRows, kMaxColumns}}},
    };
    for (const Case& c : cases) {
        const auto parsed = parseReference(QString::fromUtf8(c.text));
        ASSERT_TRUE(parsed) << c.text;
        EXPECT_EQ(parsed->sheet, QString::fromUtf8(c.sheet)) << c.text;
        EXPECT_EQ(parsed->book, QString::fromUtf8(c.book)) << c.text;
        EXPECT_EQ(parsed->areas, c.areas) << c.text;
    }
}

TEST(CellRef, RefusesWhatIsNoReference) {
    for (const char* text : {"", "A", "1A", "A0", "XFE1", "A1048577", "A1:", "My sheet!A1",
                             "'Open!A1", "A1 B2", "Sheet1!", "$", "A1:B", "R1C1x",
                             // sheet names no sheet can have (found by fuzzing: "[][" read as
                             // an empty book and a sheet "[")
                             "[][\x7f!A:A", "'a:b'!A1", "'[B.xlsx]x]y'!A1", "'a*'!A1"}) {
        EXPECT_FALSE(parseReference(QString::fromUtf8(text))) << text;
    }
}

TEST(CellRef, FormatsAddressesAsTheSpreadsheetDoes) {
    EXPECT_EQ(formatRect({1, 1, 1, 1}), "$A$1");
    EXPECT_EQ(formatRect({1, 1, 9, 1}), "$A$1:$A$9");
    EXPECT_EQ(formatRect({1, 2, kMaxRows, 3}), "$B:$C");
    EXPECT_EQ(formatRect({4, 1, 4, kMaxColumns}), "$4:$4");
    EXPECT_EQ(formatRect({1, 1, kMaxRows, kMaxColumns}), "$1:$1048576");
    EXPECT_EQ(formatRect({2, 27, 3, 28}, false, false), "AA2:AB3");
    EXPECT_EQ(columnLetters(kMaxColumns), "XFD");
    EXPECT_EQ(columnFromLetters(u"xfd"), kMaxColumns);
    EXPECT_EQ(columnFromLetters(u"XFE"), 0);
}

TEST(CellRef, QuotesSheetNamesWhereTheSpreadsheetDoes) {
    for (const char* plain : {"Sheet1", "Data", "Données", "_x", "a.b", "漢字"})
        EXPECT_FALSE(sheetNameNeedsQuotes(QString::fromUtf8(plain))) << plain;
    for (const char* quoted : {"My sheet", "Defects & Causes", "2024", "A1", "xfd1", "R1C1", "R",
                               "C12", "rc", "a-b", "It's", ".x"})
        EXPECT_TRUE(sheetNameNeedsQuotes(QString::fromUtf8(quoted))) << quoted;
    EXPECT_EQ(quotedSheetName("It's"), "'It''s'");
    EXPECT_EQ(externalSheetPrefix("Book.xlsx", "Sheet1"), "[Book.xlsx]Sheet1");
    EXPECT_EQ(externalSheetPrefix("Book.xlsx", "My sheet"), "'[Book.xlsx]My sheet'");
    EXPECT_EQ(externalSheetPrefix("My book.xlsx", "Data"), "'[My book.xlsx]Data'");
}

} // namespace
