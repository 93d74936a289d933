// Comma-separated files opened as one-sheet workbooks.

#include "engines/embedded/csv/CsvReader.h"
#include "engines/embedded/FileRefusal.h"

#include "excel/Error.h"
#include "excel/TextForm.h"
#include "support/TestFiles.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

QString writeFile(const QString& name, const QByteArray& bytes) {
    const QString path = testsupport::scratchDir("csv") + "/" + name;
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

TEST(CsvReader, ReadsQuotedFieldsNumbersAndText) {
    const QString path = writeFile("defects.csv", "\xEF\xBB\xBF"
                                                  "Defect,Minutes\r\n"
                                                  "Scratch,5\r\n"
                                                  "\"Dent, deep\",7.5\r\n"
                                                  "\"say \"\"hi\"\"\",-1e3\n"
                                                  "\"two\nlines\",\r\n"
                                                  ",0012\n"
                                                  "\" 5\",1,000\n"
                                                  "Ärger,\"12\"");
    const embedded::WorkbookData book = embedded::readCsv(path);
    EXPECT_EQ(book.name, "defects.csv");
    ASSERT_EQ(book.sheets.size(), 1u);
    EXPECT_EQ(testsupport::dump(book), "active defects\n"
                                       "sheet defects selection A1 active A1\n"
                                       "  A1 text Defect\n"
                                       "  A2 text Scratch\n"
                                       "  A3 text Dent, deep\n"
                                       "  A4 text say \"hi\"\n"
                                       "  A5 text two\\nlines\n"
                                       "  A7 text  5\n"
                                       "  A8 text Ärger\n"
                                       "  B1 text Minutes\n"
                                       "  B2 number 5\n"
                                       "  B3 number 7.5\n"
                                       "  B4 number -1000\n"
                                       "  B6 number 12\n"
                                       "  B7 number 1\n"
                                       "  B8 number 12\n"
                                       "  C7 number 0\n");
}

TEST(CsvReader, RefusesWhatIsNotUtf8TextOrIsCutOff) {
    const auto refusal = [](const QString& path) {
        try {
            embedded::readCsv(path);
        } catch (const excel::Error& e) {
            return e.message();
        }
        return QString();
    };
    EXPECT_EQ(refusal(writeFile("latin1.csv", "Caf\xE9,1\n")),
              "The workbook \"latin1.csv\" cannot be opened: it is not UTF-8 text; save it as "
              "\"CSV UTF-8\" and try again.");
    EXPECT_EQ(
        refusal(writeFile("open.csv", "a,b\n\"never closed,1\n2,3\n")),
        "The workbook \"open.csv\" cannot be opened: the quoted field that opens on line 2 is "
        "never closed.");
    embedded::ReadLimits tight;
    tight.maxCellsPerSheet = 3;
    try {
        embedded::readCsv(writeFile("big.csv", "1,2\n3,4\n"), tight);
        FAIL() << "the cell cap must hold";
    } catch (const excel::Error& e) {
        EXPECT_EQ(e.message(),
                  "The workbook \"big.csv\" cannot be opened: it holds more than 3 cells.");
    }
}

TEST(CsvReader, AFullSheetMayEndWithALineBreakButNotRunPastIt) {
    QByteArray lines;
    lines.reserve(2 * excel::kMaxRows + 4);
    for (int i = 0; i < excel::kMaxRows; ++i)
        lines += "x\n";
    EXPECT_EQ(embedded::readCsv(writeFile("full.csv", lines)).sheets[0].cells->cellCount(),
              excel::kMaxRows);
    try {
        embedded::readCsv(writeFile("over.csv", lines + "y"));
        FAIL() << "a line past the last row must be refused";
    } catch (const excel::Error& e) {
        EXPECT_EQ(e.message(), "The workbook \"over.csv\" cannot be opened: it has more than "
                               "1048576 lines, the most a sheet can hold.");
    }
}

TEST(CsvReader, TellsNumbersFromText) {
    double v = 0;
    for (const char* number : {"0", "-1", "+2", "3.5", ".5", "5.", "1e3", "1E-3", "007"})
        EXPECT_TRUE(excel::parsePlainNumber(QString::fromUtf8(number), v)) << number;
    for (const char* text :
         {"", " 1", "1 ", "1,000", "1e", "e3", "-", ".", "inf", "nan", "0x1F", "1.2.3", "1e999"})
        EXPECT_FALSE(excel::parsePlainNumber(QString::fromUtf8(text), v)) << text;
}

} // namespace

namespace {

// What a read for an analysis of A:A (at most three different values) ends with.
QString analysisRead(const QString& path, const excel::CellRect& area, const QString& sheet = {}) {
    embedded::ReadLimits limits;
    limits.mostValues = 3;
    limits.valueArea = area;
    limits.valueSheet = sheet;
    try {
        embedded::readCsv(path, limits);
    } catch (const embedded::TooManyValues&) {
        return "too many";
    } catch (const excel::Error& e) {
        return e.message();
    }
    return "read";
}

// Texts told apart without regard to case, as the analysis counts them; numbers, blanks and
// cells outside the range do not count; once one too many is met nothing more is read (the
// quoted field left open at the end would refuse the file).
TEST(CsvReader, EndsAnAnalysisReadAtOneValueTooMany) {
    const excel::CellRect columnA{1, 1, excel::kMaxRows, 1};
    const QString three = writeFile("three.csv", "a,x\nA,y\nb,z\n1,w\n2\n,v\nB\nc\n");
    EXPECT_EQ(analysisRead(three, columnA), "read");
    const QString four = writeFile("four.csv", "a,x\nA,y\nb,z\nc\nd\n\"open\n");
    EXPECT_EQ(analysisRead(four, columnA), "too many");
    EXPECT_EQ(analysisRead(four, columnA, "FOUR"), "too many") << "sheet names ignore case";
    EXPECT_TRUE(analysisRead(four, columnA, "Other").endsWith("is never closed."));
    EXPECT_TRUE(analysisRead(four, {1, 1, 3, 1}).endsWith("is never closed."));
    EXPECT_TRUE(analysisRead(four, {1, 2, excel::kMaxRows, 2}).endsWith("is never closed."));
}

} // namespace
