// Structure-aware: the input is the text of a worksheet part (and, after a line "--strings--",
// of the shared strings), packed into a valid workbook file around it, so that mutations reach
// the XML readers instead of stopping at the zip directory. What is read is then saved with a
// highlight and a new sheet, and the saved file must read again. It is also read for one column
// only, as the batch reads it for a range (ending at the third different text there). Both reads
// must come out as the full parser alone reads the part: the fast path may not differ from it.
#include "FuzzSupport.h"
#include "support/WorkbookDump.h"
#include "excel/FormatConditions.h"
#include "engines/embedded/EmbeddedApplication.h"
#include "engines/embedded/xlsx/XlsxReader.h"
#include "excel/Workbook.h"
#include "excel/Worksheet.h"

#include <cstdio>
#include <zip.h>

namespace {

const char* const kTypes =
    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
    "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
    "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
    "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
    "<Override PartName=\"/xl/worksheets/sheet1.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
    "</Types>";
const char* const kRootRels =
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" Target=\"xl/workbook.xml\"/>"
    "</Relationships>";
const char* const kWorkbook =
    "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
    "<sheets><sheet name=\"Data\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>";
const char* const kWorkbookRels =
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
    "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings\" Target=\"sharedStrings.xml\"/>"
    "<Relationship Id=\"rId3\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" Target=\"styles.xml\"/>"
    "</Relationships>";
const char* const kStyles =
    "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
    "<numFmts count=\"1\"><numFmt numFmtId=\"164\" formatCode=\"yyyy-mm-dd hh:mm\"/></numFmts>"
    "<cellXfs count=\"3\"><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/><xf numFmtId=\"164\"/></cellXfs>"
    "</styleSheet>";

void pack(const QString& path, const QByteArray& sheet, const QByteArray& strings) {
    int error = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!z)
        abort();
    std::vector<QByteArray> keep = {kTypes, kRootRels, kWorkbook, kWorkbookRels, kStyles, sheet,
                                    strings};
    const char* names[] = {"[Content_Types].xml", "_rels/.rels", "xl/workbook.xml",
                           "xl/_rels/workbook.xml.rels", "xl/styles.xml",
                           "xl/worksheets/sheet1.xml", "xl/sharedStrings.xml"};
    for (size_t i = 0; i < keep.size(); ++i) {
        zip_source_t* src =
            zip_source_buffer(z, keep[i].constData(), zip_uint64_t(keep[i].size()), 0);
        zip_file_add(z, names[i], src, ZIP_FL_OVERWRITE);
    }
    if (zip_close(z) < 0)
        abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype cut = input.indexOf("\n--strings--\n");
    const QByteArray sheet = cut < 0 ? input : input.left(cut);
    const QByteArray strings =
        cut < 0 ? QByteArray("<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/"
                             "main\"><si><t>Dent</t></si><si><t>Scratch</t></si></sst>")
                : input.mid(cut + 13);
    const QString path = fuzz::writeScratch(".xlsx", nullptr, 0);
    pack(path, sheet, strings);
    // Read for one column only, as the batch with a range does (other cells skipped), and whole.
    embedded::ReadLimits oneColumn;
    oneColumn.firstColumn = oneColumn.lastColumn = 1;
    oneColumn.mostValues = 2; // and ended early past two different texts in it
    oneColumn.valueArea = {1, 1, excel::kMaxRows, 1};
    for (embedded::ReadLimits limits : {oneColumn, embedded::ReadLimits()}) {
        limits.withCharts = false;
        const std::string fast =
            testsupport::readAndDump([&] { return embedded::readXlsx(path, limits); });
        if (fast.rfind("refused: ", 0) == 0 && fast.size() == 9)
            abort(); // a refusal without a reason
        limits.plainReader = false;
        const std::string full =
            testsupport::readAndDump([&] { return embedded::readXlsx(path, limits); });
        if (fast != full) {
            std::fprintf(stderr, "fast path:\n%s\nfull parser:\n%s\n", fast.c_str(), full.c_str());
            abort();
        }
    }
    bool opened = false;
    fuzz::refusalIsAnAnswer([&] {
        auto app = embedded::EmbeddedApplication::create();
        app->open(path);
        opened = true;
        auto ws = app->ActiveWorkbook()->Worksheets()(1);
        const excel::Range used = ws->UsedRange();
        used.FormatConditions().Delete();
        used.FormatConditions().Add(excel::kTextString, QStringLiteral("e"), excel::kContains);
        used.FormatConditions()(1).setInteriorColorIndex(19);
        app->ActiveWorkbook()->Worksheets().Add();
        app->completeAction();
        app->endSession();
    });
    // A file that was read and saved reads again.
    if (opened)
        fuzz::refusalIsAnAnswer([&] { embedded::readXlsx(path); });
    return 0;
}
