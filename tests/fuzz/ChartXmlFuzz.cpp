// The chart reader on a sheet's drawing and its chart part: the input is the drawing's XML, the
// line "--chart--" and the chart part's XML (without the line, the whole input is the chart part
// under a drawing of one chart frame). They are packed into a workbook of one sheet whose drawing
// names the chart under every relationship id a producer uses; a chart reads or is left out, and
// what is read has a finite place and size.
#include "FuzzSupport.h"
#include "engines/embedded/ReadLimits.h"
#include "engines/embedded/xlsx/XlsxChartReader.h"
#include "engines/embedded/xlsx/ZipPackage.h"

#include <cmath>
#include <cstring>
#include <string>
#include <zip.h>

namespace {

const char* const kDrawing =
    "<xdr:wsDr xmlns:xdr=\"http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing\" "
    "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
    "xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
    "<xdr:twoCellAnchor><xdr:from><xdr:col>6</xdr:col><xdr:colOff>0</xdr:colOff><xdr:row>0</xdr:row>"
    "<xdr:rowOff>0</xdr:rowOff></xdr:from><xdr:to><xdr:col>15</xdr:col><xdr:colOff>0</xdr:colOff>"
    "<xdr:row>20</xdr:row><xdr:rowOff>0</xdr:rowOff></xdr:to><xdr:graphicFrame macro=\"\">"
    "<xdr:nvGraphicFramePr><xdr:cNvPr id=\"2\" name=\"Chart 1\"/><xdr:cNvGraphicFramePr/>"
    "</xdr:nvGraphicFramePr><xdr:xfrm/><a:graphic><a:graphicData "
    "uri=\"http://schemas.openxmlformats.org/drawingml/2006/chart\"><c:chart r:id=\"rId1\"/>"
    "</a:graphicData></a:graphic></xdr:graphicFrame><xdr:clientData/></xdr:twoCellAnchor>"
    "</xdr:wsDr>";

const char* const kSheetRels =
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
    "relationships/drawing\" Target=\"../drawings/drawing1.xml\"/></Relationships>";

std::string drawingRels() {
    std::string x =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    for (int id = 1; id <= 4; ++id)
        x += "<Relationship Id=\"rId" + std::to_string(id) +
             "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
             "chart\" Target=\"../charts/chart1.xml\"/>";
    return x + "</Relationships>";
}

void add(zip_t* archive, const char* name, const std::string& content) {
    // libzip reads the buffer when the archive is closed: the strings outlive zip_close.
    zip_source_t* source = zip_source_buffer(archive, content.data(), content.size(), 0);
    if (!source || zip_file_add(archive, name, source, ZIP_FL_OVERWRITE) < 0)
        abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string separator = "\n--chart--\n";
    const size_t at = input.find(separator);
    const std::string drawing = at == std::string::npos ? kDrawing : input.substr(0, at);
    const std::string chart = at == std::string::npos ? input : input.substr(at + separator.size());

    const QString path = fuzz::writeScratch(".xlsx", nullptr, 0);
    int error = 0;
    zip_t* archive = zip_open(path.toLocal8Bit().constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        abort();
    const std::string sheet = "<worksheet/>", sheetRels = kSheetRels, chartRels = drawingRels();
    add(archive, "xl/worksheets/sheet1.xml", sheet);
    add(archive, "xl/worksheets/_rels/sheet1.xml.rels", sheetRels);
    add(archive, "xl/drawings/drawing1.xml", drawing);
    add(archive, "xl/drawings/_rels/drawing1.xml.rels", chartRels);
    add(archive, "xl/charts/chart1.xml", chart);
    if (zip_close(archive) < 0)
        abort();

    fuzz::refusalIsAnAnswer([&] {
        embedded::ZipPackage package(path, embedded::ReadLimits{});
        for (const excel::ChartShapeModel& shape :
             embedded::readSheetCharts(package, QStringLiteral("xl/worksheets/sheet1.xml"), {})) {
            if (!std::isfinite(shape.left) || !std::isfinite(shape.top) ||
                !std::isfinite(shape.width) || !std::isfinite(shape.height))
                abort();
        }
    });
    return 0;
}
