// The result list as tab-separated text and as comma-separated values.

#include "core/report/ListText.h"

#include "core/analysis/ParetoResult.h"

#include "support/AnalysisFixture.h"

#include <QLocale>
#include <cmath>
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
    const struct {
        const char* label;
        const char* csv;
        const char* tsv;
    } cases[] = {
        {"=1+1", "'=1+1", "'=1+1"},
        {"+cmd|' /C calc'!A0", "'+cmd|' /C calc'!A0", "'+cmd|' /C calc'!A0"},
        {"@SUM(1)", "'@SUM(1)", "'@SUM(1)"},
        {"-2+3", "'-2+3", "'-2+3"},
        {"\tlead", "'\tlead", "\"'\tlead\""},
        {"\rcr", "\"'\rcr\"", "\"'\rcr\""},
        {"-7", "-7", "-7"},
        {"+7", "+7", "+7"},
        {"-1.5e3", "-1.5e3", "-1.5e3"},
        {"'quoted", "'quoted", "''quoted"},
        {"plain-", "plain-", "plain-"},
        {"a@b", "a@b", "a@b"},
    };
    analysis::ParetoResult result;
    for (const auto& c : cases)
        result.categories.push_back({c.label, {}, 1, 0.5, 1});
    result.total = 2;
    result.largest = 1;
    const QString csv = report::resultCsv(result);
    const QString tsv = report::resultText(result);
    for (const auto& c : cases) {
        EXPECT_TRUE(csv.contains(QStringLiteral("\r\n%1,1,50.0%,100.0%,*****").arg(c.csv)))
            << c.label;
        EXPECT_TRUE(tsv.contains(QStringLiteral("\r\n%1\t1\t50.0%\t100.0%\t****").arg(c.tsv)))
            << c.label;
    }
    platform::ListViewModel list;
    list.addColumn("Category");
    for (const auto& c : cases)
        list.add(0, {}, c.label);
    QString expected = "Category\t\r\n";
    for (const auto& c : cases)
        expected += QString::fromUtf8(c.tsv) + "\r\n";
    EXPECT_EQ(report::listText(list), expected + "\r\n");
}

// The result's outputs: the same text as the list the analysis filled, comma-separated values of
// the same rows, and JSON of the values themselves.
TEST(ListText, TheResultReadsAsTheListTheAnalysisFilled) {
    testsupport::Analysis analysis({excel::Variant("Scratch"), excel::Variant("Dent"),
                                    excel::Variant("scratch"), excel::Variant(),
                                    excel::Variant(3.0), excel::Variant("Scratch")});
    analysis.analyse();
    const analysis::ParetoResult& result = analysis.table.Result;
    EXPECT_EQ(report::resultText(result), report::listText(analysis.main));
    EXPECT_EQ(report::resultCsv(result), "Category,Count,Count(%),Cum(%),Bar chart of Count(%)\r\n"
                                         "Scratch,3,60.0%,60.0%,******************************\r\n"
                                         "Dent,1,20.0%,80.0%,**********\r\n"
                                         "3,1,20.0%,100.0%,**********\r\n");
    EXPECT_EQ(report::resultJson(result, "Book.xlsx", "Data!A1:A6"),
              "{\n  \"workbook\": \"Book.xlsx\",\n  \"range\": \"Data!A1:A6\",\n  \"total\": 5,\n"
              "  \"categories\": [\n"
              "    {\"label\": \"Scratch\", \"count\": 3, \"share\": 0.6, \"cumulative\": 0.6},\n"
              "    {\"label\": \"Dent\", \"count\": 1, \"share\": 0.2, \"cumulative\": 0.8},\n"
              "    {\"label\": \"3\", \"count\": 1, \"share\": 0.2, \"cumulative\": 1}\n"
              "  ]\n}\n");
}

// Shares are written as the locale writes a number with one decimal, for every locale and size:
// decimal commas, digits other than Latin ones, groups past a thousand, halves rounded away from
// zero, negative and tiny values.
TEST(ListText, SharesReadAsTheLocaleWritesThem) {
    for (const char* name : {"C", "en_US", "de_DE", "fr_FR", "ar_EG", "hi_IN", "fa_IR"}) {
        const QLocale locale(QString::fromLatin1(name));
        for (double share : {0.0, 0.00049, 0.0005, 0.1234, 0.12345, 0.5, 0.9995, 1.0, 9.9999,
                             10.0, 123.456, -0.0004, -0.25, 1e-300}) {
            const double tenths = std::round(share * 1000.0);
            EXPECT_EQ(analysis::formatPercent(share, locale),
                      locale.toString(tenths / 10.0, 'f', 1) + "%")
                << name << " " << share;
        }
    }
}

} // namespace
