// One workbook written by openpyxl and written again by LibreOffice: the reader must get the same
// values, types, active sheet and selections from both producers' dialects.

#include "engines/embedded/xlsx/XlsxReader.h"
#include "support/TestFiles.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

QString producerFile(const char* relative) {
    return testsupport::generatedDir("producers") + "/" + relative;
}

// What openpyxl was asked to write, as the reader must see it.
const char* const kAuthored = R"(active Notes & more
sheet Defects selection A2:A11 active A2
  A1 text Defect
  A2 text Scratch
  A3 text Dent
  A4 text scratch
  A6 text Ärger
  A7 text 漢字
  A8 number 12
  A9 text   padded 
  A10 text line1\nline2
  A11 text Misc & <tags>
  B1 text Minutes
  B2 number 5
  B3 number 7.5
  B4 number -2
  B5 number 1E-07
  B6 number 123456789.125
  B7 number 12
  B8 text 12
  B9 number 1E+300
  B10 number -0.5
  B11 number 3
  B12 error #N/A
  C1 text Found
  C2 date 2024-01-15
  C3 date 2024-01-16 08:30:00
  C4 date 2023-12-31
  C6 date 1900-03-01
  C8 date 2024-02-29 23:59:59
  D1 text Passed
  D2 boolean TRUE
  D3 boolean FALSE
  D4 boolean TRUE
  D6 boolean FALSE
  D7 boolean TRUE
sheet Notes & more selection B2:C3 active C3
  A1 text x
  C3 number 3
)";

TEST(Producers, OpenpyxlFileReadsAsAuthored) {
    const QString path = producerFile("openpyxl.xlsx");
    ASSERT_TRUE(QFileInfo::exists(path)) << "the fixture script did not run";
    EXPECT_EQ(testsupport::dump(embedded::readXlsx(path)), kAuthored);
}

TEST(Producers, LibreOfficeFileReadsTheSameAsOpenpyxlFile) {
    const QString path = producerFile("libreoffice/openpyxl.xlsx");
    if (!QFileInfo::exists(path))
        GTEST_SKIP() << "LibreOffice is not installed here";
    // LibreOffice's headless conversion does not carry the saved selections over: it writes A1
    // as the selection of every sheet, and that is what must be read. Values, types and the
    // active sheet must be the same.
    QString expected = kAuthored;
    expected.replace(QRegularExpression(R"(selection [^\n]* active \S+)"),
                     "selection A1 active A1");
    EXPECT_EQ(testsupport::dump(embedded::readXlsx(path)), expected);
}

} // namespace
