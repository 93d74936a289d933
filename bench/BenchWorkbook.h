#pragma once
// The benchmarks' workbook file: the Zipf column of BenchData.h on one sheet "Data" (and four
// more columns where asked), with shared strings, written with libzip.

#include "bench/BenchData.h"

#include <QFile>
#include <QString>
#include <vector>
#include <zip.h>

namespace bench {

inline QString escapeXml(QString s) {
    return s.replace(u'&', QLatin1String("&amp;")).replace(u'<', QLatin1String("&lt;"));
}

// selection, when given, is the sheet's saved selection ("A:A"). With five columns, four more
// stand beside the Zipf column: a number, a short text, a date (a date style), a longer number.
inline void writeWorkbook(const QString& path, const std::vector<int>& column,
                          const QByteArray& selection = {}, int columns = 1) {
    QByteArray strings = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><sst xmlns=\"http://schemas."
                         "openxmlformats.org/spreadsheetml/2006/main\">";
    std::vector<int> stringIndex(kDistinct, -1);
    int next = 0;
    for (int k = 0; k < kDistinct; ++k) {
        const excel::Variant v = categoryValue(k);
        if (v.isText()) {
            stringIndex[size_t(k)] = next++;
            strings += "<si><t>" + escapeXml(v.text()).toUtf8() + "</t></si>";
        }
    }
    const int shortTexts = next; // "L0" to "L3" follow the categories
    for (int l = 0; l < 4; ++l)
        strings += "<si><t>L" + QByteArray::number(l) + "</t></si>";
    strings += "</sst>";
    QByteArray sheet =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><worksheet xmlns=\"http://schemas."
        "openxmlformats.org/spreadsheetml/2006/main\">";
    if (!selection.isEmpty())
        sheet += "<sheetViews><sheetView workbookViewId=\"0\"><selection activeCell=\"A1\" "
                 "sqref=\"" + selection + "\"/></sheetView></sheetViews>";
    sheet += "<sheetData>";
    sheet.reserve(qsizetype(column.size()) * (columns == 1 ? 48 : 200));
    for (size_t r = 0; r < column.size(); ++r) {
        const int k = column[r];
        const QByteArray row = QByteArray::number(qulonglong(r + 1));
        sheet += "<row r=\"" + row + "\">";
        if (stringIndex[size_t(k)] >= 0)
            sheet += "<c r=\"A" + row + "\" t=\"s\"><v>" +
                     QByteArray::number(stringIndex[size_t(k)]) + "</v></c>";
        else
            sheet += "<c r=\"A" + row + "\"><v>" +
                     QByteArray::number(categoryValue(k).number()) + "</v></c>";
        if (columns > 1)
            sheet += "<c r=\"B" + row + "\"><v>" + QByteArray::number(double(r % 977) / 8) +
                     "</v></c><c r=\"C" + row + "\" t=\"s\"><v>" +
                     QByteArray::number(qulonglong(shortTexts) + r % 4) + "</v></c><c r=\"D" +
                     row + "\" s=\"1\"><v>" + QByteArray::number(45000 + qulonglong(r % 365)) +
                     "</v></c><c r=\"E" + row + "\"><v>" +
                     QByteArray::number(double(r) * 1.000731, 'g', 12) + "</v></c>";
        sheet += "</row>";
    }
    sheet += "</sheetData></worksheet>";
    const QByteArray ns = "http://schemas.openxmlformats.org/";
    const std::vector<std::pair<const char*, QByteArray>> parts = {
        {"[Content_Types].xml",
         "<?xml version=\"1.0\"?><Types xmlns=\"" + ns + "package/2006/content-types\"/>"},
        {"_rels/.rels", "<?xml version=\"1.0\"?><Relationships xmlns=\"" + ns +
                            "package/2006/relationships\">"
                            "<Relationship Id=\"rId1\" Type=\"" +
                            ns +
                            "officeDocument/2006/relationships/"
                            "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
        {"xl/workbook.xml", "<?xml version=\"1.0\"?><workbook xmlns=\"" + ns +
                                "spreadsheetml/2006/main\" "
                                "xmlns:r=\"" +
                                ns +
                                "officeDocument/2006/relationships\"><sheets><sheet "
                                "name=\"Data\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
        {"xl/_rels/workbook.xml.rels",
         "<?xml version=\"1.0\"?><Relationships xmlns=\"" + ns +
             "package/2006/relationships\"><Relationship Id=\"rId1\" Type=\"" + ns +
             "officeDocument/2006/relationships/worksheet\" Target=\"worksheets/"
             "sheet1.xml\"/><Relationship Id=\"rId2\" Type=\"" +
             ns +
             "officeDocument/2006/relationships/sharedStrings\" Target=\""
             "sharedStrings.xml\"/><Relationship Id=\"rId3\" Type=\"" + ns +
             "officeDocument/2006/relationships/styles\" Target=\"styles.xml\"/>"
             "</Relationships>"},
        {"xl/styles.xml", "<styleSheet xmlns=\"" + ns + "spreadsheetml/2006/main\"><cellXfs>"
                          "<xf numFmtId=\"0\"/><xf numFmtId=\"14\"/></cellXfs></styleSheet>"},
        {"xl/sharedStrings.xml", strings},
        {"xl/worksheets/sheet1.xml", sheet},
    };
    int error = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    for (const auto& [name, bytes] : parts) {
        zip_source_t* src = zip_source_buffer(z, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        zip_file_add(z, name, src, ZIP_FL_OVERWRITE);
    }
    zip_close(z); // reads the buffers, which live until here
}

} // namespace bench
