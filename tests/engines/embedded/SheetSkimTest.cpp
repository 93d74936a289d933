// Sheets read by the fast path (the plain reader, with rows and cells of the common shapes taken
// straight from the bytes) against the full parser alone: every sheet reads to the same cells,
// styles, formulas, used range and extent, or to the same refusal, whether the whole sheet is
// read or one column, and wherever the unpacker's pieces cut a row or a cell.

#include "engines/embedded/xlsx/XlsxReader.h"

#include "support/TestFiles.h"
#include "support/WorkbookDump.h"

#include <QDir>
#include <QDirIterator>
#include <gtest/gtest.h>

namespace {

const char* const kTypes =
    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
    "<Default Extension=\"xml\" ContentType=\"application/xml\"/></Types>";
const char* const kRootRels =
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"r\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
    "relationships/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>";
const char* const kWorkbook =
    "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
    "<sheets><sheet name=\"Data\" sheetId=\"1\" r:id=\"s\"/></sheets></workbook>";
const char* const kWorkbookRels =
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"s\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
    "relationships/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
    "<Relationship Id=\"t\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
    "relationships/sharedStrings\" Target=\"sharedStrings.xml\"/>"
    "<Relationship Id=\"u\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
    "relationships/styles\" Target=\"styles.xml\"/></Relationships>";
const char* const kStyles =
    "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
    "<cellXfs count=\"2\"><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/></cellXfs></styleSheet>";
const char* const kStrings =
    "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
    "<si><t>Dent</t></si><si><t>Scratch</t></si><si><t>dent</t></si></sst>";

QString bookOf(const QString& name, const QByteArray& sheetData, const QByteArray& before = {}) {
    const QString path = testsupport::scratchDir("skim") + "/" + name;
    testsupport::writeZip(
        path, {{"[Content_Types].xml", kTypes},
               {"_rels/.rels", kRootRels},
               {"xl/workbook.xml", kWorkbook},
               {"xl/_rels/workbook.xml.rels", kWorkbookRels},
               {"xl/styles.xml", kStyles},
               {"xl/sharedStrings.xml", kStrings},
               {"xl/worksheets/sheet1.xml",
                "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                "xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">" +
                    before + "<sheetData>" + sheetData + "</sheetData></worksheet>"}});
    return path;
}

// The fast path's reading and the full parser's, for the whole sheet and for column B alone
// (with an analysis's early end past two different texts there).
void expectSameReading(const QString& path, const std::string& what) {
    embedded::ReadLimits whole;
    embedded::ReadLimits columnB;
    columnB.firstColumn = columnB.lastColumn = 2;
    columnB.mostValues = 2;
    columnB.valueArea = {1, 2, excel::kMaxRows, 2};
    for (embedded::ReadLimits limits : {whole, columnB}) {
        const std::string fast =
            testsupport::readAndDump([&] { return embedded::readXlsx(path, limits); });
        limits.plainReader = false;
        const std::string full =
            testsupport::readAndDump([&] { return embedded::readXlsx(path, limits); });
        EXPECT_EQ(fast, full) << what << (limits.keepsEveryColumn() ? "" : " (column B)");
    }
}

TEST(SheetSkim, ReadsEveryShapeOfRowAndCellAsTheFullParser) {
    const QByteArray cases[] = {
        // The shapes taken straight from the bytes.
        "<row r=\"1\" spans=\"1:3\" x14ac:dyDescent=\"0.25\"><c r=\"A1\" s=\"1\"><v>45000</v></c>"
        "<c r=\"B1\" t=\"s\"><v>1</v></c><c r=\"C1\" t=\"str\"><f>A1&amp;\"x\"</f><v>x</v></c>"
        "</row><row r=\"3\"><c r=\"B3\" t=\"s\"><v>0</v></c><c r=\"C3\"/><c r=\"D3\" s=\"1\"/>"
        "</row>",
        "<row><c><v>1</v></c><c><f>SUM(A1)</f><v>2</v></c><c t=\"b\"><v>1</v></c>"
        "<c t=\"e\"><v>#N/A</v></c><c><v></v></c><c><v> </v></c></row><row/><row r='9'>"
        "<c r='B9' t='s'><v>2</v></c></row>",
        // Blanks between tokens, single quotes, attributes of other names and prefixes.
        "\n  <row r=\"2\">\n    <c r=\"B2\" t=\"s\" cm=\"1\"><v>1</v></c>\n  </row>\n",
        "<row x:r=\"4\" r=\"5\"><c r=\"B5\" t='s'><v>0</v></c></row>",
        "<x:row r=\"6\"><x:c r=\"B6\" t=\"s\"><x:v>1</x:v></x:c></x:row>",
        // What the skim leaves to the token reader: entities, inline texts, formulas with
        // attributes, text beyond ASCII, values in any order, numbers with blanks.
        "<row r=\"1\"><c r=\"B1\" t=\"str\"><v>a &amp; b</v></c><c r=\"C1\" t=\"inlineStr\">"
        "<is><t>caf\xC3\xA9</t></is></c><c r=\"D1\"><f t=\"shared\" ref=\"D1:D2\" si=\"0\">A1"
        "</f><v>3</v></c></row><row r=\"2\"><c r=\"B2\" t=\"str\"><v>\xE2\x82\xAC</v></c>"
        "<c r=\"D2\"><v>4</v><f>A2</f></c><c r=\"E2\"><v> 5 </v></c></row>",
        // Refusals, which must read word for word as the full parser's.
        "<row r=\"1\"><c r=\"XFE1\"><v>1</v></c></row>",
        "<row r=\"1\"><c r=\"B1\"><v>12abc</v></c></row>",
        "<row r=\"1\"><c r=\"B1\" t=\"s\"><v>7</v></c></row>",
        "<row r=\"1\"><c r=\"B1\" t=\"q\"><v>1</v></c></row>",
        "<row r=\"0\"><c r=\"B1\"><v>1</v></c></row>",
        "<row r=\"two\"/>",
        "<row r=\"99999999999999999999999999999999999\"/>",
        "<row r=\"1048576\"><c><v>1</v></c></row><row><c><v>2</v></c></row>",
        "<row r=\"1\"><c r=\"B1\" r=\"C1\"><v>1</v></c></row>",
        "<row r=\"1\"><c r=\"B1\"><v>1</v></c>",
        "<row r=\"1\"><c r=\"B1\"><v>1</v></row>",
        "<row r=\"1\"><c r=\"B1\"><v>1</v></c></row></row>",
        "<row r=\"1\"><c r=\"B1\"><v>1</v></c><c r=\"B1\"><v>2</v></c></row>",
        "<row r=\"1\"><c r=\"B1\"><v>1\x01</v></c></row>",
        "<row r=\"1\"><c r=\"B1\"><v>1</v></c>text</row>",
        "<row r=\"1\"><c r=\"B1\" t=\"s\"><v>0</v></c><c r=\"B2\" t=\"s\"><v>1</v></c>"
        "<c r=\"B3\" t=\"s\"><v>2</v></c><c r=\"B4\"><v>9</v></c></row>",
    };
    int n = 0;
    for (const QByteArray& sheetData : cases) {
        const QString path = bookOf(QString("case%1.xlsx").arg(++n), sheetData);
        expectSameReading(path, sheetData.toStdString());
    }
}

// A sheet larger than the unpacker's pieces, of cells of every shape in turn, so that the pieces
// end within every kind of token; with an extent the store is sized from, a false one, and none.
TEST(SheetSkim, ReadsAcrossPiecesAsTheFullParser) {
    QByteArray rows;
    for (int r = 1; r <= 12000; ++r) {
        const QByteArray n = QByteArray::number(r);
        rows += "<row r=\"" + n + "\" spans=\"1:4\">";
        switch (r % 5) {
        case 0:
            rows += "<c r=\"A" + n + "\"><v>" + n + ".5</v></c><c r=\"B" + n +
                    "\" t=\"s\"><v>" + QByteArray::number(r % 3) + "</v></c>";
            break;
        case 1:
            rows += "<c r=\"B" + n + "\" s=\"1\"><f>A" + n + "*2</f><v>" + n + "</v></c>";
            break;
        case 2:
            rows += "<c r=\"B" + n + "\" t=\"inlineStr\"><is><t>T" + QByteArray::number(r % 7) +
                    "</t></is></c><c r=\"C" + n + "\"/>";
            break;
        case 3:
            rows += "\n <c r=\"B" + n + "\" t=\"str\"><v>a&amp;b</v></c>";
            break;
        default:
            rows += "<c><v>1</v></c><c t=\"s\"><v>2</v></c><c t=\"b\"><v>0</v></c>";
            break;
        }
        rows += "</row>";
    }
    ASSERT_GT(rows.size(), 3 * 256 * 1024);
    for (const QByteArray& before : {QByteArray(), QByteArray("<dimension ref=\"A1:D12000\"/>"),
                                     QByteArray("<dimension ref=\"A1:XFD1048576\"/>")}) {
        const QString path = bookOf("pieces.xlsx", rows, before);
        expectSameReading(path, "12,000 rows after " + before.toStdString());
    }
}

// The sheets of real workbooks (four producers, the sample) read as the full parser reads them.
TEST(SheetSkim, ReadsRealProducersSheetsAsTheFullParser) {
    QStringList books = {QStringLiteral(TALLYVANE_SAMPLE)};
    QDirIterator it(testsupport::producerWorkbooksDir(), {"*.xlsx"}, QDir::Files);
    while (it.hasNext())
        books << it.next();
    for (const QString& path : books)
        expectSameReading(path, path.toStdString());
    EXPECT_GE(books.size(), 5);
}

} // namespace
