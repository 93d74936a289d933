// The result list as tab-separated text and as comma-separated values.

#include "core/report/ListText.h"

#include <gtest/gtest.h>

namespace {

TEST(ListText, HeaderRowsAndAFinalEmptyLine) {
    platform::ListViewModel list;
    for (const char* c : {"Category", "Count", "Count(%)"})
        list.addColumn(c);
    const int row = list.add(0, "K1", "Scratch");
    list.setSubItem(row, 1, "12");
    list.setSubItem(row, 2, "75.0%");
    list.add(0, "K2", "Dent");
    EXPECT_EQ(report::listText(list),
              "Category\tCount\tCount(%)\t\r\nScratch\t12\t75.0%\r\nDent\t\t\r\n\r\n");
}

TEST(ListText, FieldsThatWouldBreakTheTableAreQuoted) {
    platform::ListViewModel list;
    list.addColumn("Category");
    list.addColumn("Count");
    for (const char* label :
         {"tab\there", "two\r\nlines", "\"quoted\"", "say \"hi\"", "=1+1", "a=b"})
        list.setSubItem(list.add(0, {}, label), 1, "1");
    EXPECT_EQ(report::listText(list), "Category\tCount\t\r\n"
                                      "\"tab\there\"\t1\r\n"
                                      "\"two\r\nlines\"\t1\r\n"
                                      "\"\"\"quoted\"\"\"\t1\r\n"
                                      "say \"hi\"\t1\r\n"
                                      "'=1+1\t1\r\n"
                                      "a=b\t1\r\n\r\n");
}

// A label a spreadsheet would run as a formula gets the apostrophe that marks text, in both
// outputs; numbers stay numbers. The tab-separated text also marks a label that starts with an
// apostrophe of its own, which the report's paste takes away again.
TEST(ListText, LabelsThatWouldRunAsFormulasAreMarkedAsText) {
    platform::ListViewModel list;
    list.addColumn("Category");
    list.addColumn("Count");
    for (const char* label : {"=1+1", "+cmd|' /C calc'!A0", "@SUM(1)", "-2+3", "\tlead", "\rcr",
                              "-7", "+7", "-1.5e3", "'quoted", "plain-", "a@b"})
        list.setSubItem(list.add(0, {}, label), 1, "1");
    EXPECT_EQ(report::listCsv(list), "Category,Count\r\n"
                                     "'=1+1,1\r\n"
                                     "'+cmd|' /C calc'!A0,1\r\n"
                                     "'@SUM(1),1\r\n"
                                     "'-2+3,1\r\n"
                                     "'\tlead,1\r\n"
                                     "\"'\rcr\",1\r\n"
                                     "-7,1\r\n"
                                     "+7,1\r\n"
                                     "-1.5e3,1\r\n"
                                     "'quoted,1\r\n"
                                     "plain-,1\r\n"
                                     "a@b,1\r\n");
    EXPECT_EQ(report::listText(list), "Category\tCount\t\r\n"
                                      "'=1+1\t1\r\n"
                                      "'+cmd|' /C calc'!A0\t1\r\n"
                                      "'@SUM(1)\t1\r\n"
                                      "'-2+3\t1\r\n"
                                      "\"'\tlead\"\t1\r\n"
                                      "\"'\rcr\"\t1\r\n"
                                      "-7\t1\r\n"
                                      "+7\t1\r\n"
                                      "-1.5e3\t1\r\n"
                                      "''quoted\t1\r\n"
                                      "plain-\t1\r\n"
                                      "a@b\t1\r\n\r\n");
}

} // namespace
