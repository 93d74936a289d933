// tallyvane-batch run as a program: what it prints for a workbook, and how it refuses bad input.

#include "support/OtherReaders.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

using BatchRun = testsupport::ProgramRun;

BatchRun batch(const QStringList& args) {
    return testsupport::runProgram(QStringLiteral(TALLYVANE_BATCH), args);
}

QString defectBook() {
    testsupport::SheetSpec sheet;
    sheet.name = "Defect log";
    sheet.cells = {{"A1", "Defect"}, {"A2", "Scratch"}, {"A3", "dent"},    {"A4", "Dent"},
                   {"A6", "A*"},     {"A7", "Scratch"}, {"A8", "scratch"}, {"A9", 404.0},
                   {"A10", "404"},   {"B1", "Minutes"}, {"B2", 5.0}};
    sheet.selection = "A1:A10";
    const QString path = testsupport::scratchDir("batch") + "/defects.xlsx";
    testsupport::writeXlsx(path, {sheet});
    return path;
}

TEST(Batch, PrintsTheRankedCategoriesAsTabSeparatedText) {
    const QString book = defectBook();
    const BatchRun run = batch({book});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "Category\tCount\tCount(%)\tCum(%)\tBar chart of Count(%)\t\r\n"
                       "Scratch\t3\t33.3%\t33.3%\t******************************\r\n"
                       "dent\t2\t22.2%\t55.6%\t********************\r\n"
                       "404\t2\t22.2%\t77.8%\t********************\r\n"
                       "Defect\t1\t11.1%\t88.9%\t**********\r\n"
                       "A*\t1\t11.1%\t100.0%\t**********\r\n"
                       "\r\n");
    const BatchRun some = batch({book, "--range", "'Defect log'!A:A", "--include-blank",
                                 "--exclude", "Defect", "--exclude", "404"});
    EXPECT_EQ(some.code, 0) << some.err.toStdString();
    EXPECT_EQ(some.out, "Category\tCount\tCount(%)\tCum(%)\tBar chart of Count(%)\t\r\n"
                        "Scratch\t3\t42.9%\t42.9%\t******************************\r\n"
                        "dent\t2\t28.6%\t71.4%\t********************\r\n"
                        "<blank>\t1\t14.3%\t85.7%\t**********\r\n"
                        "A*\t1\t14.3%\t100.0%\t**********\r\n"
                        "\r\n");
}

// With --range only the range's columns are read: the output is the same as with every cell read
// (blanks down to the last row any column uses), and a .csv to be saved keeps all its columns.
TEST(Batch, ReadsOnlyTheRangesColumnsWithoutChangingWhatItAnswers) {
    testsupport::SheetSpec sheet;
    sheet.name = "Log";
    sheet.cells = {{"A1", "Defect"}, {"A2", "Dent"}, {"A3", "Dent"}, {"A4", "Crack"},
                   {"B1", "Minutes"}, {"B2", 5.0},   {"B9", 7.0},    {"C12", "note"}};
    const QString book = testsupport::scratchDir("columns") + "/log.xlsx";
    testsupport::writeXlsx(book, {sheet});
    const BatchRun run = batch({book, "--range", "A:A", "--include-blank"});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "Category\tCount\tCount(%)\tCum(%)\tBar chart of Count(%)\t\r\n"
                       "<blank>\t8\t66.7%\t66.7%\t******************************\r\n"
                       "Dent\t2\t16.7%\t83.3%\t*******\r\n"
                       "Defect\t1\t8.3%\t91.7%\t***\r\n"
                       "Crack\t1\t8.3%\t100.0%\t***\r\n"
                       "\r\n")
        << "A1:A12: the used range reaches row 12 through a column not read";

    const QString csv = testsupport::scratchDir("columns-csv") + "/log.csv";
    testsupport::writeFile(csv, "Defect,Minutes\nDent,5\nDent,6\nCrack,7\n");
    const BatchRun saved = batch({csv, "--range", "A2:A4", "--report"});
    ASSERT_EQ(saved.code, 0) << saved.err.toStdString();
    const QString xml = QString::fromUtf8(testsupport::partText(
        QFileInfo(csv).absolutePath() + "/log.xlsx", "xl/worksheets/sheet1.xml"));
    EXPECT_TRUE(xml.contains("<v>7</v>")) << "the column not analysed is saved too";
}

TEST(Batch, RefusesBadInputWithAReasonAndPrintsNothing) {
    const QString book = defectBook();
    const struct {
        QStringList args;
        int code;
        QString message;
    } cases[] = {
        {{}, 2, "Name the workbook to analyse."},
        {{book, "--range"}, 2, "--range needs a value."},
        {{book, "--colour", "red"}, 2, "Unknown option --colour."},
        {{book, book}, 2, "Name the range to analyse in every workbook with --range."},
        {{book, "--exclude", "Nope"},
         2,
         "There is no category \"Nope\" in '[defects.xlsx]Defect log'!A1:A10."},
        {{book, "--range", "Q1:Q9"}, 1, "The range Q1:Q9 holds no values."},
        {{book, "--range", "A1:A3,A6:A9"},
         1,
         "The range '[defects.xlsx]Defect log'!A1:A3,A6:A9 is made of several blocks; give one "
         "block of one column."},
        {{book, "--range", "nonsense!!"}, 1, "\"nonsense!!\" is not a cell reference"},
        {{"/no/such.xlsx"}, 1, "There is no workbook file \"/no/such.xlsx\"."},
        {{book, "--chart"}, 2, "--chart goes with --report."},
        {{book, "--highlight", "Scrat"},
         2,
         "There is no category \"Scrat\" to highlight in '[defects.xlsx]Defect log'!A1:A10."},
    };
    for (const auto& c : cases) {
        const BatchRun run = batch(c.args);
        EXPECT_EQ(run.code, c.code) << c.args.join(' ').toStdString();
        EXPECT_TRUE(run.err.endsWith("tallyvane-batch: " + c.message + "\n"))
            << run.err.toStdString();
        EXPECT_EQ(run.out, "") << c.args.join(' ').toStdString();
    }
}

// A range with more different values than an analysis can list is refused as soon as the reader
// has met one too many: the broken line at the end of the file is never reached.
TEST(Batch, RefusesARangeOfTooManyValuesWithoutReadingOn) {
    QByteArray text = "Code,Note\n";
    for (int i = 0; i < 40000; ++i)
        text += "X-" + QByteArray::number(i) + ",n\n";
    const QString path = testsupport::scratchDir("distinct") + "/codes.csv";
    testsupport::writeFile(path, text + "\"never closed\n");
    const BatchRun run = batch({path, "--range", "A:A"});
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.contains(QRegularExpression(
        "tallyvane-batch: The range holds more than 32.?767 different values, more than one "
        "analysis can list. Choose a smaller range.\n$")))
        << run.err.toStdString();
    EXPECT_EQ(run.out, "");
    // The same file read to its end for another column: the broken line is found.
    const BatchRun other = batch({path, "--range", "B:B"});
    EXPECT_EQ(other.code, 1);
    EXPECT_TRUE(other.err.contains("the quoted field that opens on line 40002 is never closed"))
        << other.err.toStdString();
}

TEST(Batch, SaysWhenItCannotSaveAndPrintsNothing) {
    const QString book = defectBook();
    QFile::setPermissions(book, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    const BatchRun run = batch({book, "--highlight", "Scratch"});
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.endsWith("tallyvane-batch: The workbook \"defects.xlsx\" could not be "
                                 "saved: the file is read-only. The file on disk is as it was.\n"))
        << run.err.toStdString();
    EXPECT_EQ(run.out, "");

    const QString csv = testsupport::scratchDir("csv") + "/defects.csv";
    testsupport::writeFile(csv, "Defect\nScratch\nDent\nScratch\n");
    const BatchRun saved = batch({csv, "--range", "A2:A4", "--report"});
    EXPECT_EQ(saved.code, 0) << saved.err.toStdString();
    EXPECT_TRUE(saved.err.endsWith("saved " + QFileInfo(csv).absolutePath() + "/defects.xlsx\n"))
        << saved.err.toStdString();
}

// The sample with the report and a highlight, opened by two other readers: openpyxl reads the
// file itself; LibreOffice loads it and saves it again, and openpyxl reads what LibreOffice kept.
TEST(Batch, WritesAReportThatOtherReadersOpen) {
    const QString dir = testsupport::scratchDir("e2e");
    const QString book = dir + "/defects.xlsx";
    ASSERT_TRUE(QFile::copy(TALLYVANE_SAMPLE, book));
    QFile::setPermissions(book, QFile::ReadOwner | QFile::WriteOwner);
    const BatchRun run = batch({book, "--report", "--chart", "--highlight", "Scratch"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("wrote the report sheet Tallyvane1")) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith("Category\tCount"));

    const testsupport::OtherReaders readers{TALLYVANE_PYTHON, TALLYVANE_CHECK_REPORT,
                                            TALLYVANE_SOFFICE};
    if (!readers.hasOpenpyxl())
        GTEST_SKIP() << "python3-openpyxl is not installed";
    const QStringList what = {"Tallyvane1", "Defect log", "Scratch"};
    for (const QString& found : readers.checkEach(book, dir, what))
        EXPECT_EQ(found, "ok\n");

    // A second report on the same file.
    const BatchRun again = batch({book, "--report"});
    ASSERT_EQ(again.code, 0) << again.err.toStdString();
    EXPECT_TRUE(again.err.contains("wrote the report sheet Tallyvane2")) << again.err.toStdString();
}

} // namespace
