// The result list as tab-separated text.

#include "report/ListText.h"

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
                                      "\"=1+1\"\t1\r\n"
                                      "a=b\t1\r\n\r\n");
}

} // namespace
