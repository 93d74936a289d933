#include "support/TestFiles.h"

#include "excel/CellRef.h"
#include "excel/Error.h"
#include "engines/embedded/xlsx/XlsxReader.h"

#include <QDir>
#include <QProcess>
#include <QFile>
#include <QXmlStreamReader>
#include <gtest/gtest.h>
#include <stdexcept>
#include <zip.h>

namespace testsupport {

ProgramRun runProgram(const QString& program, const QStringList& arguments) {
    QProcess p;
    p.start(program, arguments);
    p.waitForFinished(60000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

QString scratchDir(const QString& name) {
    // Tests run in parallel processes: each test gets folders of its own.
    QString test = QStringLiteral("global");
    if (const auto* info = ::testing::UnitTest::GetInstance()->current_test_info())
        test = QString::fromUtf8(info->test_suite_name()) + QLatin1Char('.') +
               QString::fromUtf8(info->name());
    test.replace(QLatin1Char('/'), QLatin1Char('_'));
    QDir dir(QStringLiteral(TALLYVANE_TEST_OUTPUT "/scratch/") + test + QLatin1Char('/') + name);
    dir.removeRecursively();
    QDir().mkpath(dir.path());
    return dir.path();
}

QString producerWorkbooksDir() {
    return testData(QStringLiteral("workbooks"));
}

QString testData(const QString& path) {
    return QStringLiteral(TALLYVANE_TEST_DATA "/") + path;
}

QString generatedDir(const QString& name) {
    return QStringLiteral(TALLYVANE_TEST_OUTPUT "/") + name;
}

std::map<QString, Entry> entries(const QString& path) {
    std::map<QString, Entry> out;
    int error = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    if (!z)
        return out;
    for (zip_int64_t i = 0; i < zip_get_num_entries(z, 0); ++i) {
        zip_stat_t st;
        zip_stat_index(z, zip_uint64_t(i), 0, &st);
        Entry e;
        e.crc = st.crc;
        e.method = st.comp_method;
        e.compressed.resize(qsizetype(st.comp_size));
        zip_file_t* f = zip_fopen_index(z, zip_uint64_t(i), ZIP_FL_COMPRESSED);
        zip_fread(f, e.compressed.data(), st.comp_size);
        zip_fclose(f);
        out[QString::fromUtf8(st.name)] = e;
    }
    zip_discard(z);
    return out;
}

void writeRawXlsx(const QString& path, const QByteArray& sheetData,
                  const QByteArray& sharedStrings, const QByteArray& afterSheetData,
                  const QByteArray& styles) {
    const QByteArray rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    const QByteArray main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
    const QByteArray relationships =
        "http://schemas.openxmlformats.org/package/2006/relationships";
    QByteArray bookRels = "<Relationships xmlns=\"" + relationships +
                          "\"><Relationship Id=\"rId1\" Type=\"" + rel +
                          "/worksheet\" Target=\"worksheets/sheet1.xml\"/>";
    std::vector<std::pair<QString, QByteArray>> parts = {
        {"[Content_Types].xml",
         "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
         "<Default Extension=\"rels\" "
         "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
         "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
         "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/"
         "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/></Types>"},
        {"_rels/.rels", "<Relationships xmlns=\"" + relationships +
                            "\"><Relationship Id=\"rId1\" Type=\"" + rel +
                            "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
        {"xl/workbook.xml", "<workbook xmlns=\"" + main + "\" xmlns:r=\"" + rel +
                                "\"><sheets><sheet name=\"Data\" sheetId=\"1\" r:id=\"rId1\"/>"
                                "</sheets></workbook>"},
        {"xl/worksheets/sheet1.xml",
         "<worksheet xmlns=\"" + main + "\"><sheetData>" + sheetData + "</sheetData>" +
             afterSheetData + "</worksheet>"}};
    if (!sharedStrings.isNull()) {
        bookRels += "<Relationship Id=\"rId2\" Type=\"" + rel +
                    "/sharedStrings\" Target=\"sharedStrings.xml\"/>";
        parts.emplace_back("xl/sharedStrings.xml",
                           "<sst xmlns=\"" + main + "\">" + sharedStrings + "</sst>");
    }
    if (!styles.isNull()) {
        bookRels += "<Relationship Id=\"rId3\" Type=\"" + rel + "/styles\" Target=\"styles.xml\"/>";
        parts.emplace_back("xl/styles.xml", "<styleSheet xmlns=\"" + main + "\">" + styles +
                                                "</styleSheet>");
    }
    parts.emplace_back("xl/_rels/workbook.xml.rels", bookRels + "</Relationships>");
    writeZip(path, parts);
}

QString reopened(const QString& path) {
    try {
        embedded::readXlsx(path);
    } catch (const excel::Error& e) {
        return e.message();
    }
    return QStringLiteral("ok");
}

QString firstMalformedPart(const QString& path) {
    for (const auto& [name, entry] : entries(path)) {
        if (!name.endsWith(QLatin1String(".xml")) && !name.endsWith(QLatin1String(".rels")))
            continue;
        QXmlStreamReader xml(partText(path, name));
        while (!xml.atEnd())
            xml.readNext();
        if (xml.hasError())
            return name + QStringLiteral(": ") + xml.errorString();
    }
    return entries(path).empty() ? QStringLiteral("not a zip archive") : QString();
}

QByteArray partText(const QString& path, const QString& part) {
    int error = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    zip_stat_t st;
    QByteArray bytes;
    if (z && zip_stat(z, part.toUtf8().constData(), 0, &st) == 0) {
        bytes.resize(qsizetype(st.size));
        zip_file_t* f = zip_fopen(z, part.toUtf8().constData(), 0);
        zip_fread(f, bytes.data(), st.size);
        zip_fclose(f);
    }
    if (z)
        zip_discard(z);
    return bytes;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

void writeZip(const QString& path, const std::vector<std::pair<QString, QByteArray>>& parts) {
    int error = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!z)
        throw std::runtime_error("cannot create zip");
    for (const auto& [name, bytes] : parts) {
        void* copy = malloc(size_t(bytes.size()) + 1);
        memcpy(copy, bytes.constData(), size_t(bytes.size()));
        zip_source_t* src = zip_source_buffer(z, copy, zip_uint64_t(bytes.size()), 1);
        if (zip_file_add(z, name.toUtf8().constData(), src, ZIP_FL_OVERWRITE) < 0)
            throw std::runtime_error("cannot add zip entry");
    }
    if (zip_close(z) != 0)
        throw std::runtime_error("cannot write zip");
}

namespace {

QString escapeXml(QString s) {
    s.replace(QLatin1Char('&'), QLatin1String("&amp;"));
    s.replace(QLatin1Char('<'), QLatin1String("&lt;"));
    s.replace(QLatin1Char('>'), QLatin1String("&gt;"));
    s.replace(QLatin1Char('"'), QLatin1String("&quot;"));
    return s;
}

QString cellXml(const QString& ref, const excel::Variant& v, const QString& formula) {
    const QString f =
        formula.isNull() ? QString() : QStringLiteral("<f>%1</f>").arg(escapeXml(formula));
    switch (v.kind()) {
    case excel::Variant::Kind::Number:
        return QStringLiteral("<c r=\"%1\">%2<v>%3</v></c>")
            .arg(ref, f, QString::number(v.number(), 'g', 17));
    case excel::Variant::Kind::Date:
        return QStringLiteral("<c r=\"%1\" s=\"1\">%2<v>%3</v></c>")
            .arg(ref, f, QString::number(v.date().serial, 'g', 17));
    case excel::Variant::Kind::Text:
        if (!f.isEmpty())
            return QStringLiteral("<c r=\"%1\" t=\"str\">%2<v>%3</v></c>")
                .arg(ref, f, escapeXml(v.text()));
        return QStringLiteral(
                   "<c r=\"%1\" t=\"inlineStr\"><is><t xml:space=\"preserve\">%2</t></is></c>")
            .arg(ref, escapeXml(v.text()));
    case excel::Variant::Kind::Boolean:
        return QStringLiteral("<c r=\"%1\" t=\"b\">%2<v>%3</v></c>")
            .arg(ref, f, v.boolean() ? "1" : "0");
    case excel::Variant::Kind::Error:
        return QStringLiteral("<c r=\"%1\" t=\"e\">%2<v>%3</v></c>")
            .arg(ref, f, excel::errorText(v.error()));
    case excel::Variant::Kind::Empty:
    case excel::Variant::Kind::Array:
        break;
    }
    return QStringLiteral("<c r=\"%1\">%2</c>").arg(ref, f);
}

QByteArray sheetXml(const SheetSpec& sheet) {
    QString data = sheet.sheetDataOverride;
    if (data.isNull()) {
        // Group cells by row, in row order, as producers write them.
        std::vector<std::pair<QString, excel::Variant>> cells = sheet.cells;
        for (const auto& formula : sheet.formulas) {
            const QString& ref = formula.first;
            if (std::none_of(cells.begin(), cells.end(),
                             [&](const auto& c) { return c.first == ref; }))
                cells.push_back({ref, excel::Variant()});
        }
        std::map<int, std::map<int, QString>> rows;
        for (const auto& [ref, value] : cells) {
            const auto parsed = excel::parseReference(ref);
            const excel::CellRect r = parsed->areas.front();
            QString formula;
            for (const auto& [fref, text] : sheet.formulas) {
                if (fref == ref)
                    formula = text;
            }
            rows[r.top][r.left] = cellXml(ref, value, formula);
        }
        for (const auto& [row, columns] : rows) {
            data += QStringLiteral("<row r=\"%1\">").arg(row);
            for (const auto& [column, xml] : columns)
                data += xml;
            data += QStringLiteral("</row>");
        }
    }
    const QString views =
        sheet.beforeSheetData.isNull()
            ? QStringLiteral("<sheetViews><sheetView workbookViewId=\"0\"><selection "
                             "activeCell=\"%1\" sqref=\"%2\"/></sheetView></sheetViews>")
                  .arg(sheet.selection.section(QLatin1Char(' '), 0, 0)
                           .section(QLatin1Char(':'), 0, 0),
                       sheet.selection)
            : sheet.beforeSheetData;
    return QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
               "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
               "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
               "%1<sheetData>%2</sheetData>%3</worksheet>")
        .arg(views, data, sheet.afterSheetData)
        .toUtf8();
}

} // namespace

void writeXlsx(const QString& path, const std::vector<SheetSpec>& sheets, int activeTab,
               bool date1904) {
    const QString ns = QStringLiteral("http://schemas.openxmlformats.org/");
    QString types =
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><Types "
                       "xmlns=\"%1package/2006/content-types\">"
                       "<Default Extension=\"rels\" "
                       "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                       "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                       "<Override PartName=\"/xl/workbook.xml\" "
                       "ContentType=\"application/"
                       "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
                       "<Override PartName=\"/xl/styles.xml\" "
                       "ContentType=\"application/"
                       "vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>")
            .arg(ns);
    QString workbookSheets;
    QString workbookRels =
        QStringLiteral(
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
            "xmlns=\"%1package/2006/relationships\">"
            "<Relationship Id=\"rIdStyles\" Type=\"%1officeDocument/2006/relationships/styles\" "
            "Target=\"styles.xml\"/>")
            .arg(ns);
    std::vector<std::pair<QString, QByteArray>> parts;
    for (size_t i = 0; i < sheets.size(); ++i) {
        const int n = int(i + 1);
        types += QStringLiteral(
                     "<Override PartName=\"/xl/worksheets/sheet%1.xml\" ContentType=\"application/"
                     "vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>")
                     .arg(n);
        workbookSheets +=
            QStringLiteral("<sheet name=\"%1\" sheetId=\"%2\" r:id=\"rId%2\"%3/>")
                .arg(escapeXml(sheets[i].name))
                .arg(n)
                .arg(sheets[i].hidden ? QStringLiteral(" state=\"hidden\"") : QString());
        workbookRels +=
            QStringLiteral("<Relationship Id=\"rId%1\" Type=\"%2officeDocument/2006/"
                           "relationships/worksheet\" Target=\"worksheets/sheet%1.xml\"/>")
                .arg(n)
                .arg(ns);
    }
    types += QStringLiteral("</Types>");
    workbookRels += QStringLiteral("</Relationships>");
    parts.push_back({QStringLiteral("[Content_Types].xml"), types.toUtf8()});
    parts.push_back(
        {QStringLiteral("_rels/.rels"),
         QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
                        "xmlns=\"%1package/2006/relationships\"><Relationship Id=\"rId1\" "
                        "Type=\"%1officeDocument/2006/relationships/officeDocument\" "
                        "Target=\"xl/workbook.xml\"/></Relationships>")
             .arg(ns)
             .toUtf8()});
    parts.push_back(
        {QStringLiteral("xl/workbook.xml"),
         QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><workbook "
                        "xmlns=\"%1spreadsheetml/2006/main\" xmlns:r=\"%1officeDocument/"
                        "2006/relationships\">%4<bookViews><workbookView activeTab=\"%2\"/>"
                        "</bookViews><sheets>%3</sheets></workbook>")
             .arg(ns)
             .arg(activeTab)
             .arg(workbookSheets)
             .arg(date1904 ? QStringLiteral("<workbookPr date1904=\"1\"/>") : QString())
             .toUtf8()});
    parts.push_back({QStringLiteral("xl/_rels/workbook.xml.rels"), workbookRels.toUtf8()});
    parts.push_back(
        {QStringLiteral("xl/styles.xml"),
         QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><styleSheet "
                        "xmlns=\"%1spreadsheetml/2006/main\"><fonts count=\"1\"><font/></fonts>"
                        "<fills count=\"1\"><fill/></fills><borders count=\"1\"><border/>"
                        "</borders><cellXfs count=\"2\"><xf numFmtId=\"0\"/><xf "
                        "numFmtId=\"14\" applyNumberFormat=\"1\"/></cellXfs></styleSheet>")
             .arg(ns)
             .toUtf8()});
    for (size_t i = 0; i < sheets.size(); ++i)
        parts.push_back(
            {QStringLiteral("xl/worksheets/sheet%1.xml").arg(i + 1), sheetXml(sheets[i])});
    writeZip(path, parts);
}

QString dump(const embedded::WorkbookData& book) {
    QString out;
    out += QStringLiteral("active %1\n").arg(book.sheets.at(size_t(book.activeSheet)).name);
    for (const auto& sheet : book.sheets) {
        QStringList selection;
        for (const auto& r : sheet.selection)
            selection << excel::formatRect(r, false, false);
        out += QStringLiteral("sheet %1%2 selection %3 active %4\n")
                   .arg(sheet.name, sheet.hidden ? QStringLiteral(" (hidden)") : QString(),
                        selection.join(QLatin1Char(' ')),
                        excel::formatRect(sheet.activeCell, false, false));
        const auto used = sheet.cells->usedRect();
        sheet.cells->forEachInRect(used, [&](int row, int column, const embedded::Cell& cell) {
            const excel::Variant v = sheet.cells->value(cell);
            QString text = v.toString();
            text.replace(QLatin1Char('\r'), QLatin1String("\\r"))
                .replace(QLatin1Char('\n'), QLatin1String("\\n"));
            static const char* kinds[] = {"empty", "number", "text", "boolean",
                                          "error", "date",   "array"};
            out += QStringLiteral("  %1%2 %3 %4\n")
                       .arg(excel::columnLetters(column))
                       .arg(row)
                       .arg(QLatin1String(kinds[int(v.kind())]), text);
        });
    }
    return out;
}

} // namespace testsupport
