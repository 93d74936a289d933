#include "XlsxReader.h"

#include "FileRefusal.h"
#include "NumberFormats.h"
#include "SheetXmlReader.h"
#include "XmlStream.h"
#include "ZipPackage.h"

#include <QFileInfo>
#include <QHash>
#include <cstring>

namespace embedded {

namespace {

struct Relationship {
    QString type;   // the last segment of the type URI: "worksheet", "sharedStrings", ...
    QString target; // the part name it resolves to, without a leading "/"
};

// "xl/worksheets/../sharedStrings.xml" -> "xl/sharedStrings.xml".
QString normalizePath(const QString& path) {
    QStringList out;
    for (const QString& piece : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (piece == QLatin1String("."))
            continue;
        if (piece == QLatin1String("..")) {
            if (!out.isEmpty())
                out.removeLast();
            continue;
        }
        out.push_back(piece);
    }
    return out.join(QLatin1Char('/'));
}

QString folderOf(const QString& partName) {
    const qsizetype slash = partName.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : partName.left(slash + 1);
}

// The relationships of a part, keyed by id. Targets are resolved against the part's folder;
// absolute targets ("/xl/...") against the package root.
QHash<QString, Relationship> readRelationships(ZipPackage& package, const QString& partName) {
    QHash<QString, Relationship> rels;
    const QString relsName = folderOf(partName) + QStringLiteral("_rels/") +
                             partName.mid(folderOf(partName).size()) + QStringLiteral(".rels");
    if (!package.contains(relsName))
        return rels;
    const pugi::xml_document doc = loadPart(package, relsName);
    const pugi::xml_node root = childNamed(doc, "Relationships");
    for (const pugi::xml_node& rel : root.children()) {
        if (std::strcmp(localName(rel.name()), "Relationship") != 0)
            continue;
        if (QString::fromUtf8(rel.attribute("TargetMode").value()) == QLatin1String("External"))
            continue;
        const QString type = QString::fromUtf8(rel.attribute("Type").value());
        const QString target = QString::fromUtf8(rel.attribute("Target").value());
        const QString resolved = target.startsWith(QLatin1Char('/'))
                                     ? normalizePath(target)
                                     : normalizePath(folderOf(partName) + target);
        rels.insert(QString::fromUtf8(rel.attribute("Id").value()),
                    {type.mid(type.lastIndexOf(QLatin1Char('/')) + 1), resolved});
    }
    return rels;
}

QString findByType(const QHash<QString, Relationship>& rels, const char* type) {
    for (const Relationship& r : rels) {
        if (r.type == QLatin1String(type))
            return r.target;
    }
    return {};
}

// Which cell styles show numbers as dates.
std::vector<bool> readDateStyles(ZipPackage& package, const QString& partName) {
    std::vector<bool> dateStyles;
    if (partName.isEmpty() || !package.contains(partName))
        return dateStyles;
    const pugi::xml_document doc = loadPart(package, partName);
    const pugi::xml_node sheet = childNamed(doc, "styleSheet");
    QHash<int, QString> custom;
    for (const pugi::xml_node& fmt : childNamed(sheet, "numFmts").children()) {
        if (std::strcmp(localName(fmt.name()), "numFmt") == 0)
            custom.insert(fmt.attribute("numFmtId").as_int(),
                          QString::fromUtf8(fmt.attribute("formatCode").value()));
    }
    for (const pugi::xml_node& xf : childNamed(sheet, "cellXfs").children()) {
        if (std::strcmp(localName(xf.name()), "xf") != 0)
            continue;
        const int id = xf.attribute("numFmtId").as_int();
        const auto it = custom.constFind(id);
        dateStyles.push_back(it != custom.constEnd() ? isDateFormatCode(it.value())
                                                     : isBuiltInDateFormat(id));
    }
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
    const std::vector<bool> dateStyles = readDateStyles(package, findByType(rels, "styles"));
    const QString sharedStringsPart = findByType(rels, "sharedStrings");
    if (!sharedStringsPart.isEmpty() && package.contains(sharedStringsPart))
        SharedStringsReader(fileName, sharedStringsPart, book.context->strings).parse(package);
    const quint32 sharedStrings = book.context->strings.size();

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
        sheet.cells = std::make_shared<CellStore>(book.context);
        SheetXmlReader(fileName, sheet, dateStyles, sharedStrings, limits, cellBudget)
            .read(package);
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
