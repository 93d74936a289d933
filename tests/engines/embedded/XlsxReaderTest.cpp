// Workbook files from four producers read back as a second reader sees them, and the odd or broken
// files the reader must refuse with a reason.

#include "engines/embedded/xlsx/XlsxReader.h"

#include "excel/Error.h"
#include "support/TestFiles.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

QString refusal(const QString& path, const embedded::ReadLimits& limits = {}) {
    try {
        embedded::readXlsx(path, limits);
    } catch (const excel::Error& e) {
        return e.message();
    }
    return QString();
}

class ProducerWorkbook : public ::testing::Test {
protected:
    QString dumpOf(const char* name) {
        return testsupport::dump(
            embedded::readXlsx(testsupport::producerWorkbooksDir() + "/" + name));
    }
};

// Rich runs joined without their phonetic runs, _x000D__x000A_ decoded, the selection of the
// active (bottom-left) pane, the hidden sheet whose claimed dimension is the whole sheet.
TEST_F(ProducerWorkbook, Handmade) {
    EXPECT_EQ(dumpOf("handmade.xlsx"), R"(active Defects & Causes
sheet Data selection B3:C5 E7 active B3
  A1 text Category
  A2 text Rich bold tail
  A3 text   padded  
  A4 text line1\r\nline2
  A5 text 漢字
  A6 text Other
  A7 text Misc & <tags>
  A8 text Scratch
  A9 text Dent
  A10 text 
  A12 text Other
  B1 text Count
  B2 number 42
  B3 number 3.14159
  B4 number -1.5E-10
  B5 number 12
  B6 number 7
  B7 number 1
  B8 number 2
  B9 number 4
  B12 number 1E+300
  C1 text Date
  C2 date 2024-01-01
  C3 date 2024-01-01 12:00:00
  C4 date 1899-12-30 18:00:00
  C5 date 2023-03-15
  C7 date 2024-03-01 12:00:00
  C8 number 3
  D1 text Flag
  D2 boolean TRUE
  D3 boolean FALSE
  D4 boolean TRUE
  E1 text Formula
  E2 number 84
  E3 text hello
  E4 number 6
  E5 number 18
  E6 number 13
  F1 text Other
  F2 error #N/A
  F3 error #DIV/0!
  F4 number 0.1234
  F5 number 1234
  F6 text Other
sheet Defects & Causes selection B4 active B4
  A1 text Cause
  A2 text Scratch
  A3 text Dent
  A4 text Crack
  A5 text Stain
  A6 text Warp
  A7 text Other
  B1 text Count
  B2 number 12
  B3 number 31
  B4 number 5
  B5 number 18
  B6 number 3
  B7 number 2
sheet Hidden (hidden) selection A1 active A1
  C3 number 5
  XFD1048576 text corner
)");
}

// Booleans written as formulas with cached values; a date in General format is a number.
TEST_F(ProducerWorkbook, LibreOffice) {
    EXPECT_EQ(dumpOf("libreoffice.xlsx"), R"(active Defects & Causes
sheet Data selection A1 active A1
  A1 text Category
  A2 text Rich bold tail
  A3 text   padded  
  A4 text line1\nline2
  A5 text 漢字
  A6 text Other
  A7 text Misc & <tags>
  A8 text Scratch
  A9 text Dent
  A12 text Other
  B1 text Count
  B2 number 42
  B3 number 3.14159
  B4 number -1.5E-10
  B5 number 12
  B6 number 7
  B7 number 1
  B8 number 2
  B9 number 4
  B12 number 1E+300
  C1 text Date
  C2 date 2024-01-01
  C3 date 2024-01-01 12:00:00
  C4 date 1899-12-30 18:00:00
  C5 date 2023-03-15
  C7 number 45352.5
  C8 number 3
  D1 text Flag
  D2 boolean TRUE
  D3 boolean FALSE
  D4 boolean TRUE
  E1 text Formula
  E2 number 84
  E3 text hello
  E4 number 5.99999999985
  E5 number 18
  E6 number 13
  F1 text Other
  F2 error #N/A
  F3 error #DIV/0!
  F4 number 0.1234
  F5 number 1234
  F6 text Other
sheet Defects & Causes selection A1 active A1
  A1 text Cause
  A2 text Scratch
  A3 text Dent
  A4 text Crack
  A5 text Stain
  A6 text Warp
  A7 text Other
  B1 text Count
  B2 number 12
  B3 number 31
  B4 number 5
  B5 number 18
  B6 number 3
  B7 number 2
sheet Hidden (hidden) selection A1 active A1
  C3 number 5
  XFD1048576 text corner
)");
}

// Dates with times; the second sheet active.
TEST_F(ProducerWorkbook, Libxlsxwriter) {
    EXPECT_EQ(dumpOf("libxlsxwriter.xlsx"), R"(active Notes
sheet Defects selection B3:C5 active B3
  A1 text Cause
  A2 text Scratch
  A3 text Dent
  A4 text Crack
  A5 text Stain
  A6 text Warp
  A7 text Other
  B1 text Count
  B2 number 12
  B3 number 31
  B4 number 5
  B5 number 18
  B6 number 3
  B7 number 2
  B8 number 71
  C1 text Seen
  C2 date 2024-01-01 08:30:00
  C3 date 2024-01-02 08:30:00
  C4 date 2024-01-03 08:30:00
  C5 date 2024-01-04 08:30:00
  C6 date 2024-01-05 08:30:00
  C7 date 2024-01-06 08:30:00
  C8 boolean TRUE
sheet Notes selection A1 active A1
  A1 text plain red
  A2 text Other notes
)");
}

// Absolute relationship targets; a formula without a cached value reads as empty.
TEST_F(ProducerWorkbook, Openpyxl) {
    EXPECT_EQ(dumpOf("openpyxl.xlsx"), R"(active Second
sheet Causes selection A1 active A1
  A1 text Cause
  A2 text Scratch
  A3 text Dent
  A4 text Crack
  A5 text Stain
  A6 text Other
  B1 text Count
  B2 number 12
  B3 number 31
  B4 number 5
  B5 number 18
  B6 number 3
  C1 text When
  C2 date 2024-01-01
  C3 date 2024-01-02
  C4 date 2024-01-03
  C5 date 2024-01-04
  C6 date 2024-01-05
  D2 empty 
  E2 boolean TRUE
sheet Second selection A1 active A1
  A1 text x
)");
}

} // namespace

namespace {

QString bookWithSheetData(const QString& name, const QString& sheetData) {
    testsupport::SheetSpec sheet;
    sheet.name = "Data";
    sheet.sheetDataOverride = sheetData;
    const QString path = testsupport::scratchDir("odd") + "/" + name;
    testsupport::writeXlsx(path, {sheet});
    return path;
}

TEST(XlsxReader, RefusesCellsItCannotReadWithTheCellNamed) {
    const struct {
        const char* file;
        const char* sheetData;
        const char* reason;
    } cases[] = {
        {"beyond.xlsx", "<row r=\"1\"><c r=\"XFE1\"><v>1</v></c></row>",
         "the sheet \"Data\" has a cell reference \"XFE1\" that is not a cell within "
         "A1:XFD1048576"},
        {"deep.xlsx", "<row r=\"1048577\"><c><v>1</v></c></row>",
         "the sheet \"Data\" has a row number 1048577 beyond the last row 1048576"},
        {"number.xlsx", "<row r=\"2\"><c r=\"B2\"><v>12abc</v></c></row>",
         "the sheet \"Data\" has a cell B2 whose number \"12abc\" cannot be read"},
        {"infinite.xlsx", "<row r=\"2\"><c r=\"B2\"><v>inf</v></c></row>",
         "the sheet \"Data\" has a cell B2 whose number \"inf\" cannot be read"},
        {"type.xlsx", "<row r=\"1\"><c r=\"A1\" t=\"q\"><v>1</v></c></row>",
         "the sheet \"Data\" has a cell A1 of unknown type \"q\""},
        {"shared.xlsx", "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>3</v></c></row>",
         "the sheet \"Data\" has a cell A1 that refers to shared string \"3\", but the workbook "
         "has 0"},
        {"broken.xlsx", "<row r=\"1\"><c r=\"A1\"><v>1</v></row>",
         "its part xl/worksheets/sheet1.xml is not well-formed XML (line 2: mismatched tag)"},
        {"rowincell.xlsx", "<row r=\"1\"><c r=\"B1\"><row/><v>1</v></c></row>",
         "the sheet \"Data\" has a row that opens inside its cell B1"},
        {"cellincell.xlsx", "<row><c><c r=\"A1\"/><v>1</v></c></row>",
         "the sheet \"Data\" has a cell that opens inside its cell A1"},
        {"rowzero.xlsx", "<row r=\"0\"><c><v>1</v></c></row>",
         "the sheet \"Data\" has a row numbered 0; rows are numbered from 1 to 1048576"},
        {"rowword.xlsx", "<row r=\"two\"><c><v>1</v></c></row>",
         "the sheet \"Data\" has a row number \"two\" that is not a number"},
        {"rowhuge.xlsx", "<row r=\"99999999999\"><c><v>1</v></c></row>",
         "the sheet \"Data\" has a row number 99999999999 beyond the last row 1048576"},
        {"implicit.xlsx", "<row r=\"1048576\"><c><v>1</v></c></row><row><c><v>2</v></c></row>",
         "the sheet \"Data\" has more rows than the last row 1048576"},
    };
    for (const auto& c : cases) {
        const QString path = bookWithSheetData(c.file, c.sheetData);
        EXPECT_EQ(refusal(path),
                  QString("The workbook \"%1\" cannot be opened: %2.").arg(c.file, c.reason))
            << c.file;
    }
}

// What other producers write and other readers take: a shared-string cell without a value is
// empty; ISO times alone and fractions of a second are dates; a date-formatted number outside the
// calendar stays a number.
TEST(XlsxReader, ReadsWhatOtherReadersTake) {
    testsupport::SheetSpec sheet;
    sheet.name = "Data";
    sheet.sheetDataOverride =
        "<row r=\"1\"><c r=\"A1\" t=\"s\"/><c r=\"B1\" t=\"s\"><f>X()</f></c></row>"
        "<row r=\"2\"><c r=\"A2\" t=\"d\"><v>10:10:10</v></c>"
        "<c r=\"B2\" t=\"d\"><v>2021-07-22T23:44:51.894</v></c>"
        "<c r=\"C2\" t=\"d\"><v>2021-07-22 06:30</v></c>"
        "<c r=\"D2\" t=\"d\"><v>2021-07-22T23:44:51.5+02:00</v></c></row>"
        "<row r=\"3\"><c r=\"A3\" s=\"1\"><v>1e20</v></c><c r=\"B3\" s=\"1\"><v>-1</v></c>"
        "<c r=\"C3\" s=\"1\"><v>2958465.5</v></c></row>";
    const QString path = testsupport::scratchDir("odd") + "/others.xlsx";
    testsupport::writeXlsx(path, {sheet});
    EXPECT_EQ(testsupport::dump(embedded::readXlsx(path)),
              "active Data\n"
              "sheet Data selection A1 active A1\n"
              "  A2 date 1899-12-30 10:10:10\n"
              "  A3 number 1E+20\n"
              "  B1 empty \n"
              "  B2 date 2021-07-22 23:44:51\n"
              "  B3 number -1\n"
              "  C2 date 2021-07-22 06:30:00\n"
              "  C3 date 9999-12-31 12:00:00\n"
              "  D2 date 2021-07-22 23:44:51\n");
    for (const char* bad : {"25:00:00", "2021-02-30", "10:10:10Tx"}) {
        sheet.sheetDataOverride = QString("<row r=\"1\"><c r=\"A1\" t=\"d\"><v>%1</v></c></row>")
                                      .arg(bad);
        testsupport::writeXlsx(path, {sheet});
        EXPECT_EQ(refusal(path), QString("The workbook \"others.xlsx\" cannot be opened: the sheet "
                                         "\"Data\" has a cell A1 whose date \"%1\" cannot be "
                                         "read.")
                                     .arg(bad));
    }
}

// Each sheet part is read once: a list that names one part for two sheets, or more sheets than
// the cap, is refused before the parts are read again and again.
TEST(XlsxReader, RefusesSheetListsThatRepeatAPartOrRunPastTheCap) {
    const QString dir = testsupport::scratchDir("sheets");
    testsupport::writeZip(
        dir + "/twice.xlsx",
        {{"[Content_Types].xml",
          "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
          "<Default Extension=\"xml\" ContentType=\"application/xml\"/></Types>"},
         {"_rels/.rels",
          "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
          "<Relationship Id=\"r\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
          "relationships/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
         {"xl/workbook.xml",
          "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
          "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
          "<sheets><sheet name=\"One\" sheetId=\"1\" r:id=\"s\"/><sheet name=\"Two\" "
          "sheetId=\"2\" r:id=\"s\"/></sheets></workbook>"},
         {"xl/_rels/workbook.xml.rels",
          "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
          "<Relationship Id=\"s\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
          "relationships/worksheet\" Target=\"worksheets/sheet1.xml\"/></Relationships>"},
         {"xl/worksheets/sheet1.xml",
          "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
          "<sheetData/></worksheet>"}});
    EXPECT_EQ(refusal(dir + "/twice.xlsx"),
              "The workbook \"twice.xlsx\" cannot be opened: its sheets \"One\" and \"Two\" both "
              "name the part xl/worksheets/sheet1.xml; each sheet needs a part of its own.");

    std::vector<testsupport::SheetSpec> sheets;
    for (const char* name : {"A", "B", "C"})
        sheets.push_back(testsupport::sheetSpec(name));
    testsupport::writeXlsx(dir + "/three.xlsx", sheets);
    embedded::ReadLimits limits;
    limits.maxSheets = 2;
    EXPECT_EQ(refusal(dir + "/three.xlsx", limits),
              "The workbook \"three.xlsx\" cannot be opened: it has more than 2 sheets.");
    limits.maxSheets = 3;
    EXPECT_EQ(refusal(dir + "/three.xlsx", limits), "");
}

TEST(XlsxReader, TellsProtectedAndOldWorkbooksFromDamagedOnes) {
    const QString path = testsupport::scratchDir("cfb") + "/protected.xlsx";
    testsupport::writeFile(path,
                           QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(504, '\0'));
    EXPECT_EQ(refusal(path), "The workbook \"protected.xlsx\" cannot be opened: it is protected "
                             "with a password, or it is in the old .xls format; save it without a "
                             "password as an .xlsx workbook and try again.");
}

TEST(XlsxReader, CountsCellsAgainstTheCaps) {
    QString rows;
    for (int r = 1; r <= 10; ++r)
        rows += QString("<row r=\"%1\"><c r=\"A%1\"><v>%1</v></c></row>").arg(r);
    const QString path = bookWithSheetData("ten.xlsx", rows);
    embedded::ReadLimits limits;
    limits.maxCellsPerSheet = 9;
    EXPECT_EQ(
        refusal(path, limits),
        "The workbook \"ten.xlsx\" cannot be opened: the sheet \"Data\" holds more than 9 cells.");
    limits.maxCellsPerSheet = 10;
    EXPECT_EQ(refusal(path, limits), "");
}

// Shared strings are kept once each, however often the part repeats them (a part of millions of
// empty ones once took gigabytes), cells find their text by the shared string's number, and a
// part of more entries than the cap is refused.
TEST(XlsxReader, KeepsEachSharedStringOnceAndCapsTheirNumber) {
    QByteArray rows;
    for (int r = 1; r <= 7; ++r)
        rows += "<row r=\"" + QByteArray::number(r) + "\"><c r=\"A" + QByteArray::number(r) +
                "\" t=\"s\"><v>" + QByteArray::number(r - 1) + "</v></c></row>";
    const QString path = testsupport::scratchDir("shared") + "/shared.xlsx";
    testsupport::writeRawXlsx(path, rows,
                              "<si><t>x</t></si><si><t>y</t></si><si><t>x</t></si><si/>"
                              "<si><t>y</t></si><si><r><t>x</t></r></si><si/>");
    const embedded::WorkbookData book = embedded::readXlsx(path);
    QStringList texts;
    for (int r = 1; r <= 7; ++r)
        texts << book.sheets[0].cells->value(r, 1).toString();
    EXPECT_EQ(texts, QStringList({"x", "y", "x", "", "y", "x", ""}));
    EXPECT_EQ(book.context->strings.size(), 3u) << "x, y and the empty text";

    embedded::ReadLimits limits;
    limits.maxSharedStrings = 6;
    EXPECT_EQ(refusal(path, limits), "The workbook \"shared.xlsx\" cannot be opened: it has more "
                                     "than 6 shared strings.");
    limits.maxSharedStrings = 7;
    EXPECT_EQ(refusal(path, limits), "");
}

// The sheet's conditional formats come with it, in the file's order: a "text contains" rule as
// spreadsheets write it (type containsText, or the SEARCH expression that stands for it, its
// escapes undone) with the fill of its differential format; other rules only as cells; the rules
// of an extension are the extension's.
TEST(XlsxReader, ReadsTheConditionalFormatsItCanDraw) {
    const QString path = testsupport::scratchDir("rules") + "/rules.xlsx";
    testsupport::writeRawXlsx(
        path, "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>Dent</t></is></c></row>", {},
        "<conditionalFormatting sqref=\"A1:A9\"><cfRule type=\"containsText\" dxfId=\"1\" "
        "priority=\"1\" operator=\"containsText\" text=\"a_x0001_b &amp; c\"><formula>x</formula>"
        "</cfRule></conditionalFormatting>"
        "<conditionalFormatting sqref=\"B1:B3 D4\"><cfRule type=\"cellIs\" dxfId=\"0\" "
        "priority=\"2\" operator=\"equal\"><formula>3</formula></cfRule></conditionalFormatting>"
        "<conditionalFormatting sqref=\"C1:C5\"><cfRule type=\"expression\" dxfId=\"0\" "
        "priority=\"3\"><formula>NOT(ISERROR(SEARCH(\"~*x\"\"y\",C1)))</formula></cfRule>"
        "</conditionalFormatting>"
        "<extLst><ext uri=\"{78C0D931-6437-407d-A8EE-F0AAD7539E65}\"><x14:conditionalFormattings "
        "xmlns:x14=\"urn:x14\"><x14:conditionalFormatting><x14:cfRule type=\"dataBar\"/>"
        "</x14:conditionalFormatting></x14:conditionalFormattings></ext></extLst>",
        "<dxfs count=\"2\"><dxf><fill><patternFill><bgColor rgb=\"FFFFFFCC\"/></patternFill></fill>"
        "</dxf><dxf><fill><patternFill patternType=\"solid\"><fgColor rgb=\"FFC6EFCE\"/>"
        "</patternFill></fill></dxf></dxfs>");
    const embedded::WorkbookData book = embedded::readXlsx(path);
    EXPECT_EQ(book.context->ruleFills, (std::vector<int>{0xFFFFCC, 0xC6EFCE}));
    const auto& rules = book.sheets[0].storedRules;
    ASSERT_EQ(rules.size(), 3u);
    EXPECT_TRUE(rules[0].contains);
    EXPECT_EQ(rules[0].containsText, QStringLiteral("a\x01" "b & c"));
    EXPECT_EQ(rules[0].dxfId, 1);
    EXPECT_FALSE(rules[1].contains);
    EXPECT_EQ(rules[1].ranges, (QVector<excel::CellRect>{{1, 2, 3, 2}, {4, 4, 4, 4}}));
    EXPECT_TRUE(rules[2].contains);
    EXPECT_EQ(rules[2].containsText, QStringLiteral("*x\"y"));
    EXPECT_EQ(rules[2].dxfId, 0);
}

// A read for an analysis of column B of the active sheet ends at the fourth different text
// (without regard to case; shared, inline and formula texts alike), before the broken cell at the
// end, by either XML reader (a comment sends the part to the full parser).
TEST(XlsxReader, EndsAnAnalysisReadAtOneValueTooMany) {
    for (const QString lead : {"", "<!-- by hand -->"}) {
        testsupport::SheetSpec other = testsupport::sheetSpec(
            "Other", {{"B1", "p"}, {"B2", "q"}, {"B3", "r"}, {"B4", "s"}});
        testsupport::SheetSpec data;
        data.name = "Data";
        data.sheetDataOverride =
            lead +
            "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>x1</t></is></c>"
            "<c r=\"B1\" t=\"inlineStr\"><is><t>a</t></is></c></row>"
            "<row r=\"2\"><c r=\"A2\" t=\"inlineStr\"><is><t>x2</t></is></c>"
            "<c r=\"B2\" t=\"inlineStr\"><is><t>A</t></is></c></row>"
            "<row r=\"3\"><c r=\"B3\" t=\"str\"><f>\"b\"</f><v>b</v></c></row>"
            "<row r=\"4\"><c r=\"B4\"><v>4</v></c></row>"
            "<row r=\"5\"><c r=\"B5\" t=\"inlineStr\"><is><t>C</t></is></c></row>"
            "<row r=\"6\"><c r=\"B6\" t=\"inlineStr\"><is><t>d</t></is></c></row>"
            "<row r=\"7\"><c r=\"B7\"><v>not a number</v></c></row>";
        const QString path = testsupport::scratchDir("values") + "/values.xlsx";
        testsupport::writeXlsx(path, {other, data}, 1);
        embedded::ReadLimits limits;
        limits.mostValues = 3;
        limits.valueArea = {1, 2, excel::kMaxRows, 2};
        const QString tooMany = "The range to analyse in \"values.xlsx\" holds more than 3 "
                                "different values.";
        const QString broken = "The workbook \"values.xlsx\" cannot be opened: the sheet \"Data\" "
                               "has a cell B7 whose number \"not a number\" cannot be read.";
        EXPECT_EQ(refusal(path, limits), tooMany) << lead.toStdString();
        limits.valueArea = {1, 1, 5, 2}; // a, b, C and x1, x2: five
        EXPECT_EQ(refusal(path, limits), tooMany) << lead.toStdString();
        limits.valueArea = {1, 2, 5, 2}; // a, b, C
        EXPECT_EQ(refusal(path, limits), broken) << lead.toStdString();
        limits.valueArea = {1, 2, excel::kMaxRows, 2};
        limits.mostValues = 4;
        EXPECT_EQ(refusal(path, limits), broken) << lead.toStdString();
        limits.mostValues = 3;
        limits.valueSheet = "other"; // p, q, r, s, on the sheet before
        EXPECT_EQ(refusal(path, limits), tooMany) << "sheet names ignore case";
        limits.valueSheet = "Nowhere";
        EXPECT_EQ(refusal(path, limits), broken) << lead.toStdString();
    }
}

TEST(XlsxReader, ReadsDatesInBothDateSystemsAndKeepsSelections) {
    testsupport::SheetSpec sheet;
    sheet.name = "Dates";
    sheet.sheetDataOverride =
        "<row r=\"1\"><c r=\"A1\" s=\"1\"><v>0</v></c><c r=\"B1\" s=\"1\"><v>45306.5</v></c>"
        "<c r=\"C1\" t=\"d\"><v>2024-01-15T06:00:00Z</v></c><c "
        "r=\"D1\"><f>NOW()</f><v></v></c></row>";
    sheet.beforeSheetData =
        "<sheetViews><sheetView workbookViewId=\"0\"><pane ySplit=\"1\" topLeftCell=\"A2\" "
        "activePane=\"bottomLeft\" state=\"frozen\"/><selection activeCell=\"A1\" sqref=\"A1\"/>"
        "<selection pane=\"bottomLeft\" activeCell=\"C4\" sqref=\"B3:C5 "
        "E7\"/></sheetView></sheetViews>";
    const QString path = testsupport::scratchDir("dates") + "/dates1904.xlsx";
    testsupport::writeXlsx(path, {sheet}, 0, true);
    EXPECT_EQ(testsupport::dump(embedded::readXlsx(path)),
              "active Dates\n"
              "sheet Dates selection B3:C5 E7 active C4\n"
              "  A1 date 1904-01-01\n"
              "  B1 date 2028-01-16 12:00:00\n"
              "  C1 date 2024-01-15 06:00:00\n"
              "  D1 empty \n");
}

} // namespace
