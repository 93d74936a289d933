// tallyvane-batch --office against the office started for the tests: the sample open in it
// (hidden), analysed as the file is, and the highlight and report written into the document,
// which the office then stores for a second reader. The file itself is never touched.

#include "support/OfficeDocuments.h"
#include "support/OtherReaders.h"
#include "support/TestFiles.h"

#include <QCryptographicHash>
#include <QFile>
#include <gtest/gtest.h>

namespace {

testsupport::ProgramRun batch(const QStringList& args) {
    return testsupport::runProgram(QStringLiteral(TALLYVANE_BATCH), args);
}

QByteArray digest(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

class OfficeBatch : public ::testing::Test {
protected:
    void SetUp() override {
        dir = testsupport::scratchDir("office");
        book = dir + "/defects.xlsx";
        ASSERT_TRUE(QFile::copy(TALLYVANE_SAMPLE, book));
        QFile::setPermissions(book, QFile::ReadOwner | QFile::WriteOwner);
        testsupport::office::loadHidden(book);
    }
    void TearDown() override { testsupport::office::close(book); }

    QString dir;
    QString book;
};

TEST_F(OfficeBatch, CountsTheOpenDocumentAsTheFileIsCounted) {
    const auto fromFile = batch({book, "--range", "C:C", "--include-blank"});
    ASSERT_EQ(fromFile.code, 0) << fromFile.err.toStdString();
    const auto fromOffice =
        batch({"--office", "--document", "defects.xlsx", "--range", "C:C", "--include-blank"});
    ASSERT_EQ(fromOffice.code, 0) << fromOffice.err.toStdString();
    EXPECT_EQ(fromOffice.out, fromFile.out);
    EXPECT_EQ(fromOffice.err, "");
    // By path too, and in JSON, which names the document and the range.
    const auto json = batch({"--office", "--document", book, "--range", "C:C", "--format", "json"});
    ASSERT_EQ(json.code, 0) << json.err.toStdString();
    EXPECT_TRUE(json.out.contains("\"workbook\": \"defects.xlsx\"")) << json.out.toStdString();
}

TEST_F(OfficeBatch, WritesTheHighlightAndReportIntoTheDocumentAndLeavesTheFile) {
    const QByteArray before = digest(book);
    const auto run = batch({"--office", "--document", "defects.xlsx", "--range", "C:C",
                            "--highlight", "Scratch", "--report", "--chart"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("wrote the report sheet Tallyvane1")) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains("saved")) << run.err.toStdString();
    EXPECT_EQ(digest(book), before);

    const QString stored = dir + "/stored.xlsx";
    testsupport::office::storeAs(book, stored);
    const testsupport::OtherReaders readers{TALLYVANE_PYTHON, TALLYVANE_CHECK_REPORT, {}};
    if (!readers.hasOpenpyxl())
        GTEST_SKIP() << "python3-openpyxl is not installed";
    EXPECT_EQ(readers.check(stored, {"Tallyvane1", "Defect log", "Scratch"}), "ok\n");
    // The report's names serve its sort and chart and are taken away at its end: the document
    // keeps none of them, as a workbook file does not.
    const auto names = testsupport::runProgram(
        QStringLiteral(TALLYVANE_PYTHON),
        {"-c", "import sys, openpyxl\n"
               "wb = openpyxl.load_workbook(sys.argv[1])\n"
               "d = wb.defined_names\n"
               "items = d.definedName if hasattr(d, 'definedName') else d.values()\n"
               "print(sorted((n.name, n.attr_text) for n in items))",
         stored});
    EXPECT_EQ(names.out.trimmed(), "[]") << names.err.toStdString();
}

TEST_F(OfficeBatch, SaysWhatIsMissingInWordsTheUserCanActOn) {
    const auto none = batch({"--office", "--document", "nope.xlsx"});
    EXPECT_EQ(none.code, 1);
    EXPECT_TRUE(none.err.contains("LibreOffice has no spreadsheet \"nope.xlsx\" open; it has "))
        << none.err.toStdString();
    EXPECT_TRUE(none.err.contains("\"defects.xlsx\"")) << none.err.toStdString();
    const auto both = batch({"--office", book});
    EXPECT_EQ(both.code, 2);
    EXPECT_TRUE(both.err.contains("name it with --document")) << both.err.toStdString();
    EXPECT_EQ(batch({book, "--document", "x"}).code, 2);
    qputenv("TALLYVANE_UNO_CONNECT", "pipe,name=tallyvane-nobody-listens");
    const auto nobody = batch({"--office"});
    qunsetenv("TALLYVANE_UNO_CONNECT");
    EXPECT_EQ(nobody.code, 1);
    EXPECT_TRUE(nobody.err.contains("No LibreOffice is listening at "
                                    "\"pipe,name=tallyvane-nobody-listens\""))
        << nobody.err.toStdString();
}

} // namespace
