#include "engines/embedded/xlsx/XlsxReader.h"

#include "engines/embedded/FileRefusal.h"
#include "engines/embedded/store/NumberFormats.h"
#include "engines/embedded/xlsx/PackageRelationships.h"
#include "engines/embedded/xlsx/XlsxChartReader.h"
#include "engines/embedded/xlsx/SheetXmlReader.h"
#include "engines/embedded/xlsx/XmlStream.h"
#include "engines/embedded/xlsx/ZipPackage.h"

#include <QFileInfo>
#include <QHash>
#include <cstring>

namespace embedded {

namespace {

// The codes of the built-in number formats a file may name by number alone. The short date
// (14) and date with time (22) follow the user's locale, as the plain text form of dates does.
QString builtInFormatCode(int id) {
    switch (id) {
    case 1: return QStringLiteral("0");
    case 2: return QStringLiteral("0.00");
    case 3: return QStringLiteral("#,##0");
    case 4: return QStringLiteral("#,##0.00");
    case 9: return QStringLiteral("0%");
    case 10: return QStringLiteral("0.00%");
    case 11: return QStringLiteral("0.00E+00");
    case 12: return QStringLiteral("# ?/?");
    case 13: return QStringLiteral("# ?\?/??");
    case 15: return QStringLiteral("d-mmm-yy");
    case 16: return QStringLiteral("d-mmm");
    case 17: return QStringLiteral("mmm-yy");
    case 18: return QStringLiteral("h:mm AM/PM");
    case 19: return QStringLiteral("h:mm:ss AM/PM");
    case 20: return QStringLiteral("h:mm");
    case 21: return QStringLiteral("h:mm:ss");
    case 37: return QStringLiteral("#,##0 ;(#,##0)");
    case 38: return QStringLiteral("#,##0 ;[Red](#,##0)");
    case 39: return QStringLiteral("#,##0.00;(#,##0.00)");
    case 40: return QStringLiteral("#,##0.00;[Red](#,##0.00)");
    case 45: return QStringLiteral("mm:ss");
    case 46: return QStringLiteral("[h]:mm:ss");
    case 47: return QStringLiteral("mmss.0");
    case 48: return QStringLiteral("##0.0E+0");
    case 49: return QStringLiteral("@");
    default: return {};
    }
}

// 0xRRGGBB of a colour element given as rgb="AARRGGBB" or as an index into the default
// palette; -1 for theme colours and what cannot be read.
int colorOf(const pugi::xml_node& color) {
    if (!color)
        return -1;
    if (const pugi::xml_attribute rgb = color.attribute("rgb")) {
        bool ok = false;
        const uint v = QString::fromUtf8(rgb.value()).right(6).toUInt(&ok, 16);
        return ok ? int(v & 0xFFFFFF) : -1;
    }
    if (const pugi::xml_attribute indexed = color.attribute("indexed")) {
        const int i = indexed.as_int(-1);
        if (i >= 0 && i < 8)
            return excel::paletteColor(i + 1);
        return excel::paletteColor(i - 7);
    }
    return -1;
}

bool isOn(const pugi::xml_node& flag) {
    if (!flag)
        return false;
    const QString v = QString::fromUtf8(flag.attribute("val").value()).trimmed().toLower();
    return v != QLatin1String("0") && v != QLatin1String("false");
}

template <typename F>
void forEachNamed(const pugi::xml_node& parent, const char* local, F&& f) {
    for (const pugi::xml_node& node : parent.children()) {
        if (std::strcmp(localName(node.name()), local) == 0)
            f(node);
    }
}

// The cell styles of the file as the object model sees them, its standard font, and which
// styles show numbers as dates (returned).
std::vector<bool> readCellStyles(ZipPackage& package, const QString& partName,
                                 BookContext& context) {
    std::vector<bool> dateStyles;
    if (partName.isEmpty() || !package.contains(partName))
        return dateStyles;
    const pugi::xml_document doc = loadPart(package, partName);
    const pugi::xml_node sheet = childNamed(doc, "styleSheet");
    QHash<int, QString> custom;
    forEachNamed(childNamed(sheet, "numFmts"), "numFmt", [&](const pugi::xml_node& fmt) {
        custom.insert(fmt.attribute("numFmtId").as_int(),
                      QString::fromUtf8(fmt.attribute("formatCode").value()));
    });
    std::vector<excel::CellFormat> fonts; // name, bold and colour of each font
    forEachNamed(childNamed(sheet, "fonts"), "font", [&](const pugi::xml_node& font) {
        excel::CellFormat f;
        f.fontName = QString::fromUtf8(childNamed(font, "name").attribute("val").value());
        f.bold = isOn(childNamed(font, "b"));
        f.fontColor = colorOf(childNamed(font, "color"));
        if (fonts.empty()) {
            context.fontName = f.fontName;
            context.fontSize = childNamed(font, "sz").attribute("val").as_double(0);
        }
        fonts.push_back(f);
    });
    std::vector<int> fills;
    forEachNamed(childNamed(sheet, "fills"), "fill", [&](const pugi::xml_node& fill) {
        const pugi::xml_node pattern = childNamed(fill, "patternFill");
        const bool solid =
            QString::fromUtf8(pattern.attribute("patternType").value()) == QLatin1String("solid");
        fills.push_back(solid ? colorOf(childNamed(pattern, "fgColor")) : -1);
    });
    // A conditional format's fill is the pattern's background colour (its foreground where a
    // producer writes that instead).
    forEachNamed(childNamed(sheet, "dxfs"), "dxf", [&](const pugi::xml_node& dxf) {
        const pugi::xml_node pattern = childNamed(childNamed(dxf, "fill"), "patternFill");
        int rgb = colorOf(childNamed(pattern, "bgColor"));
        if (rgb < 0)
            rgb = colorOf(childNamed(pattern, "fgColor"));
        context.ruleFills.push_back(rgb);
    });
    forEachNamed(childNamed(sheet, "cellXfs"), "xf", [&](const pugi::xml_node& xf) {
        const int id = xf.attribute("numFmtId").as_int();
        const auto it = custom.constFind(id);
        dateStyles.push_back(it != custom.constEnd() ? isDateFormatCode(it.value())
                                                     : isBuiltInDateFormat(id));
        excel::CellFormat f;
        f.numberFormat = it != custom.constEnd() ? it.value() : builtInFormatCode(id);
        const int fontId = xf.attribute("fontId").as_int(-1);
        if (fontId >= 0 && size_t(fontId) < fonts.size()) {
            const excel::CellFormat& font = fonts[size_t(fontId)];
            if (font.fontName != context.fontName)
                f.fontName = font.fontName;
            f.bold = font.bold;
            f.fontColor = font.fontColor;
        }
        const int fillId = xf.attribute("fillId").as_int(-1);
        if (fillId >= 0 && size_t(fillId) < fills.size())
            f.fillColor = fills[size_t(fillId)];
        const QString horizontal =
            QString::fromUtf8(childNamed(xf, "alignment").attribute("horizontal").value());
        if (horizontal == QLatin1String("left") || horizontal == QLatin1String("justify") ||
            horizontal == QLatin1String("distributed") || horizontal == QLatin1String("fill"))
            f.horizontalAlignment = excel::kAlignLeft;
        else if (horizontal == QLatin1String("center") ||
                 horizontal == QLatin1String("centerContinuous"))
            f.horizontalAlignment = excel::kAlignCenter;
        else if (horizontal == QLatin1String("right"))
            f.horizontalAlignment = excel::kAlignRight;
        if (context.styles.size() <= 0xFFFF) // a cell names no style beyond this
            context.styles.push_back(std::move(f));
    });
    return dateStyles;
}

bool isTrue(const pugi::xml_attribute& a) {
    const QString v = QString::fromUtf8(a.value()).trimmed().toLower();
    return v == QLatin1String("1") || v == QLatin1String("true");
}

} // namespace

WorkbookData readXlsx(const QString& path, const ReadLimits& limits) {
    ZipPackage package(path, limits);
    const QString fileName = package.fileName();
    WorkbookData book;
    book.name = fileName;
    book.path = QFileInfo(path).absoluteFilePath();

    QString workbookPart = findByType(readRelationships(package, QString()), "officeDocument");
    if (workbookPart.isEmpty() && package.contains(QStringLiteral("xl/workbook.xml")))
        workbookPart = QStringLiteral("xl/workbook.xml");
    if (workbookPart.isEmpty() || !package.contains(workbookPart))
        refuseFile(fileName,
                   QStringLiteral("it is not a spreadsheet workbook (it has no workbook part)"));

    const pugi::xml_document workbookDoc = loadPart(package, workbookPart);
    const pugi::xml_node workbook = childNamed(workbookDoc, "workbook");
    if (!workbook)
        refuseFile(fileName, QStringLiteral("its part %1 is not a workbook").arg(workbookPart));
    const auto rels = readRelationships(package, workbookPart);
    book.context->date1904 = isTrue(childNamed(workbook, "workbookPr").attribute("date1904"));
    const int activeTab = childNamed(childNamed(workbook, "bookViews"), "workbookView")
                              .attribute("activeTab")
                              .as_int(0);

    if (limits.progress) {
        // The large parts, for the share read so far: shared strings and worksheets.
        qint64 expected = package.declaredSize(findByType(rels, "sharedStrings"));
        for (const Relationship& r : rels) {
            if (r.type == QLatin1String("worksheet"))
                expected += package.declaredSize(r.target);
        }
        package.expectTotal(expected);
    }
    const std::vector<bool> dateStyles =
        readCellStyles(package, findByType(rels, "styles"), *book.context);
    const QString sharedStringsPart = findByType(rels, "sharedStrings");
    std::vector<quint32> sharedStrings;
    if (!sharedStringsPart.isEmpty() && package.contains(sharedStringsPart))
        SharedStringsReader(fileName, sharedStringsPart, book.context->strings, sharedStrings,
                            limits.maxSharedStrings)
            .parse(package);

    qint64 cellBudget = limits.maxCellsPerWorkbook;
    int tab = 0;
    QHash<QString, QString> sheetOfPart; // each part is read once, for one sheet
    for (const pugi::xml_node& entry : childNamed(workbook, "sheets").children()) {
        if (std::strcmp(localName(entry.name()), "sheet") != 0)
            continue;
        if (tab == limits.maxSheets)
            refuseFile(fileName, QStringLiteral("it has more than %1 sheets").arg(limits.maxSheets));
        const int thisTab = tab++;
        const auto rel = rels.constFind(QString::fromUtf8(attributeNamed(entry, "id").value()));
        // Chart sheets and other kinds are not worksheets; they take a tab but hold no cells.
        if (rel == rels.constEnd() || rel->type != QLatin1String("worksheet")) {
            book.otherSheetNames << QString::fromUtf8(entry.attribute("name").value());
            continue;
        }
        SheetData sheet;
        sheet.name = QString::fromUtf8(entry.attribute("name").value());
        const QString state = QString::fromUtf8(entry.attribute("state").value());
        sheet.hidden = state == QLatin1String("hidden") || state == QLatin1String("veryHidden");
        sheet.partName = rel->target;
        // Two sheets on one part would be one sheet under two names, and a save into one would
        // change the other: no producer writes that.
        const QString partKey = sheet.partName.toLower();
        if (const auto other = sheetOfPart.constFind(partKey); other != sheetOfPart.constEnd())
            refuseFile(fileName, QStringLiteral("its sheets \"%1\" and \"%2\" both name the part "
                                                "%3; each sheet needs a part of its own")
                                     .arg(other.value(), sheet.name, sheet.partName));
        sheetOfPart.insert(partKey, sheet.name);
        // The fast plain reader first; a part beyond it is read again, from nothing, by the full
        // parser, which words every refusal.
        const SheetData blank = sheet;
        const qint64 budget = cellBudget;
        // The sheet an analysis is to read from (an active sheet that is no worksheet is not
        // looked for: its stand-in is then read to the end).
        const bool watched = limits.watchesValuesOf(sheet.name, thisTab == activeTab);
        const auto readSheet = [&](bool plain) {
            sheet.cells = std::make_shared<CellStore>(book.context);
            SheetXmlReader reader(fileName, sheet, dateStyles, sharedStrings, limits, cellBudget);
            if (watched)
                reader.watchValues();
            return reader.read(package, plain);
        };
        if (!limits.plainReader || !readSheet(true)) {
            sheet = blank;
            cellBudget = budget;
            readSheet(false);
        }
        if (limits.withCharts) {
            // What the sheet's drawing holds is shown, never a reason to refuse the workbook.
            try {
                sheet.charts = readSheetCharts(package, sheet.partName, sheet.columnWidths);
            } catch (const excel::Error&) {
            }
        }
        if (thisTab <= activeTab)
            book.activeSheet = int(book.sheets.size());
        book.sheets.push_back(std::move(sheet));
    }
    if (book.sheets.empty())
        refuseFile(fileName, QStringLiteral("it has no worksheet"));
    for (const pugi::xml_node& name : childNamed(workbook, "definedNames").children()) {
        if (std::strcmp(localName(name.name()), "definedName") == 0 &&
            !name.attribute("localSheetId"))
            book.definedNames.emplace_back(QString::fromUtf8(name.attribute("name").value()),
                                           QString::fromUtf8(name.text().get()));
    }
    book.packagePath = book.path;
    return book;
}

} // namespace embedded
