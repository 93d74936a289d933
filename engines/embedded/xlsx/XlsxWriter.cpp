#include "engines/embedded/xlsx/XlsxWriter.h"

#include "engines/embedded/ReplacementFile.h"
#include "engines/embedded/xlsx/SheetPartLayout.h"
#include "engines/embedded/xlsx/XlsxPackage.h"
#include "engines/embedded/xlsx/XlsxParts.h"
#include "engines/embedded/xlsx/XlsxStyles.h"
#include "engines/embedded/FileRefusal.h"
#include "engines/embedded/xlsx/XmlStream.h"
#include "excel/Error.h"

#include <QDir>
#include <QHash>
#include <QFileInfo>
#include <algorithm>
#include <sys/stat.h>

namespace embedded {

namespace {

const char* const kRelNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

void addOverride(RawXml& types, const QString& part, const char* contentType) {
    pugi::xml_node o = types.root().append_child((types.prefix() + "Override").constData());
    o.append_attribute("PartName") = ("/" + part).toUtf8().constData();
    o.append_attribute("ContentType") = contentType;
}

QString freePart(const Package& package, const QString& pattern) {
    for (int n = 1;; ++n) {
        const QString name = pattern.arg(n);
        if (!package.contains(name) && !package.contains(relsOf(name)))
            return name;
    }
}

// The sheet part with its conditional formats as the snapshot has them: stored rules kept,
// trimmed (a new sqref) or cut out; new rules spliced in where the schema wants them. Every other
// byte stays as it was.
void spliceRules(Package& package, const QString& fileName, const SheetSnapshot& sheet,
                 StyleAppender& styles) {
    const QByteArray xml = package.read(sheet.partName);
    const SheetPartLayout layout = scanSheetPart(fileName, sheet.partName, xml);
    if (layout.rules.size() != sheet.storedRules.size())
        failSave(QStringLiteral("the sheet \"%1\" changed in the file while it was open")
                     .arg(sheet.name));
    struct Edit {
        qint64 begin, end;
        QByteArray text;
    };
    std::vector<Edit> edits;
    for (size_t i = 0; i < layout.rules.size(); ++i) {
        const StoredRuleSpan& span = layout.rules[i];
        const auto kept = std::find_if(
            sheet.rules.begin(), sheet.rules.end(),
            [&](const excel::ConditionalFormat& r) { return r.storedIndex == int(i); });
        if (kept == sheet.rules.end()) {
            edits.push_back({span.begin, span.end, {}});
        } else if (kept->ranges != span.ranges) {
            // Only the attribute's value changes, at the place the parser found it.
            QByteArray sqref;
            for (const excel::CellRect& r : kept->ranges)
                sqref +=
                    (sqref.isEmpty() ? "" : " ") + excel::formatRect(r, false, false).toLatin1();
            if (span.sqrefBegin >= 0)
                edits.push_back({span.sqrefBegin, span.sqrefEnd, sqref});
            else
                edits.push_back({span.attributesAt, span.attributesAt, " sqref=\"" + sqref + "\""});
        }
    }
    QByteArray added;
    const auto newRules = std::count_if(
        sheet.rules.begin(), sheet.rules.end(),
        [](const excel::ConditionalFormat& r) { return !r.isStored() && r.fillColor >= 0; });
    const std::vector<int> priorities = freeNumbers(layout.priorities, 1, int(newRules));
    size_t nextPriority = 0;
    for (const excel::ConditionalFormat& rule : sheet.rules) {
        if (!rule.isStored() && rule.fillColor >= 0)
            added += conditionalFormatXml(layout.prefix, rule, styles.fillDxf(rule.fillColor),
                                          priorities[nextPriority++]);
    }
    if (!added.isEmpty())
        edits.push_back({layout.insertAt, layout.insertAt, added});
    std::sort(edits.begin(), edits.end(),
              [](const Edit& a, const Edit& b) { return a.begin < b.begin; });
    QByteArray out;
    out.reserve(xml.size() + added.size());
    qint64 at = 0;
    for (const Edit& e : edits) {
        out.append(xml.constData() + at, e.begin - at);
        out += e.text;
        at = e.end;
    }
    out.append(xml.constData() + at, xml.size() - at);
    package.replace(sheet.partName, out);
}

// Workbook-level names as the snapshot has them; names local to a sheet are left alone.
void editNames(RawXml& workbook, const WorkbookSnapshot& snapshot) {
    const QByteArray p = workbook.prefix();
    pugi::xml_node names = childNamed(workbook.root(), "definedNames");
    // Names compare without regard to case; each wanted name is looked up once.
    QHash<QString, size_t> wantedIndex;
    for (size_t i = 0; i < snapshot.names.size(); ++i)
        wantedIndex.insert(snapshot.names[i].first.toCaseFolded(), i);
    std::vector<bool> stored(snapshot.names.size(), false);
    if (names) {
        for (pugi::xml_node n = names.first_child(); n;) {
            pugi::xml_node next = n.next_sibling();
            if (n.type() == pugi::node_element && !n.attribute("localSheetId")) {
                const QString name = QString::fromUtf8(n.attribute("name").value()).toCaseFolded();
                const auto it = wantedIndex.constFind(name);
                if (it == wantedIndex.constEnd() || stored[it.value()])
                    names.remove_child(n);
                else
                    stored[it.value()] = true; // kept as stored
            }
            n = next;
        }
    }
    std::vector<std::pair<QString, QString>> wanted;
    for (size_t i = 0; i < snapshot.names.size(); ++i) {
        if (!stored[i])
            wanted.push_back(snapshot.names[i]);
    }
    if (!wanted.empty() && !names)
        names = insertChildInOrder(workbook.root(), p, "definedNames",
                                   {"calcPr", "oleSize", "customWorkbookViews", "pivotCaches",
                                    "smartTagPr", "smartTagTypes", "webPublishing",
                                    "fileRecoveryPr", "webPublishObjects", "extLst"});
    for (const auto& [name, formula] : wanted) {
        pugi::xml_node n = names.append_child((p + "definedName").constData());
        n.append_attribute("name") = xmlEscape(name).constData();
        n.append_child(pugi::node_pcdata).set_value(xmlEscape(formula).constData());
    }
    if (names &&
        !names.find_child([](const pugi::xml_node& c) { return c.type() == pugi::node_element; }))
        workbook.root().remove_child(names);
}

QString newSheetParts(Package& package, Rels& workbookRels, RawXml& types, RawXml& workbook,
                      const SheetSnapshot& sheet, StyleAppender& styles,
                      const ReferenceValues& values) {
    const NewSheetContent& content = *sheet.content;
    const QString sheetPart = freePart(package, QStringLiteral("xl/worksheets/sheet%1.xml"));
    QByteArray drawingRel;
    if (!content.charts.empty()) {
        const QString drawingPart = freePart(package, QStringLiteral("xl/drawings/drawing%1.xml"));
        std::vector<QByteArray> chartTargets;
        for (const excel::ChartShapeModel& chart : content.charts) {
            const QString chartPart = freePart(package, QStringLiteral("xl/charts/chart%1.xml"));
            package.add(chartPart, chartXml(chart, values));
            addOverride(types, chartPart,
                        "application/vnd.openxmlformats-officedocument.drawingml.chart+xml");
            chartTargets.push_back(("/" + chartPart).toUtf8());
        }
        package.add(drawingPart, drawingXml(content));
        package.add(relsOf(drawingPart),
                    relationshipsXml(drawingRelationships(content, chartTargets)));
        addOverride(types, drawingPart,
                    "application/vnd.openxmlformats-officedocument.drawing+xml");
        package.add(relsOf(sheetPart), relationshipsXml({{"rId1", kRelTypes + "drawing",
                                                          ("/" + drawingPart).toUtf8()}}));
        drawingRel = "rId1";
    }
    package.add(sheetPart, newSheetXml(content, sheet.rules, styles, drawingRel));
    addOverride(types, sheetPart,
                "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml");
    const QString rel = workbookRels.add("worksheet", QStringLiteral("/") + sheetPart);

    pugi::xml_node sheets = childNamed(workbook.root(), "sheets");
    std::vector<qint64> ids;
    for (const pugi::xml_node& s : sheets.children())
        ids.push_back(s.attribute("sheetId").as_llong());
    pugi::xml_node entry = sheets.append_child((workbook.prefix() + "sheet").constData());
    entry.append_attribute("name") = xmlEscape(sheet.name).constData();
    entry.append_attribute("sheetId") = freeNumbers(ids, 1, 1).front();
    const QByteArray r = workbook.prefixFor(kRelNs, "r");
    entry.append_attribute((r + "id").constData()) = rel.toUtf8().constData();
    return sheetPart;
}

// The values of a reference to a sheet of the snapshot, for chart caches.
std::vector<excel::Variant> valuesOf(const WorkbookSnapshot& snapshot, const QString& reference) {
    const auto parsed = excel::parseReference(reference);
    if (!parsed)
        return {};
    for (const SheetSnapshot& sheet : snapshot.sheets) {
        if (!sheet.content || sheet.name.compare(parsed->sheet, Qt::CaseInsensitive) != 0)
            continue;
        std::vector<excel::Variant> out;
        for (const excel::CellRect& r : parsed->areas) {
            for (int row = r.top; row <= r.bottom && out.size() < 100000; ++row)
                for (int c = r.left; c <= r.right; ++c)
                    out.push_back(sheet.content->cells->value(row, c));
        }
        return out;
    }
    return {};
}

void writeWorkbook(const WorkbookSnapshot& snapshot, const SaveRequest& request);

} // namespace

void saveWorkbook(const WorkbookSnapshot& snapshot, const SaveRequest& request) {
    // What would refuse the file when opening it is, here, why it cannot be saved.
    try {
        writeWorkbook(snapshot, request);
    } catch (const FileRefused& e) {
        failSave(e.reason());
    }
}

namespace {

void writeWorkbook(const WorkbookSnapshot& snapshot, const SaveRequest& request) {
    // A file marked read-only is the user's way of saying it must not change; renaming over it
    // would ignore that (the folder's permissions would allow it).
    struct stat st {};
    if (request.replaceTarget && ::stat(QFile::encodeName(request.target).constData(), &st) == 0 &&
        !(st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)))
        failSave(QStringLiteral("the file is read-only"));
    // What would keep the file from being replaced as it is (other names, another owner) is
    // said before any work is done.
    ReplacementFile output(request.target, request.replaceTarget);
    Package package(request);
    const QString file = request.fileName;
    Rels root(package.read(QStringLiteral("_rels/.rels")), file, QStringLiteral("_rels/.rels"));
    QString workbookPart = root.targetOfType("officeDocument", QString());
    // As the reader does: a package whose root relationship has no usable type is read through
    // its usual workbook part.
    if (workbookPart.isEmpty() && package.contains(QStringLiteral("xl/workbook.xml")))
        workbookPart = QStringLiteral("xl/workbook.xml");
    if (workbookPart.isEmpty())
        failSave(QStringLiteral("the file has no workbook part"));
    RawXml workbook(package.read(workbookPart), file, workbookPart);
    if (workbook.rootNamespace().contains("purl.oclc.org"))
        failSave(QStringLiteral("the workbook is in the strict form of the file format, which "
                                "this program does not write"));
    Rels workbookRels(package.read(relsOf(workbookPart)), file, relsOf(workbookPart));
    RawXml types(package.read(QStringLiteral("[Content_Types].xml")), file,
                 QStringLiteral("[Content_Types].xml"));
    QString stylesPart = workbookRels.targetOfType("styles", workbookPart);
    if (stylesPart.isEmpty()) {
        // A styles part the workbook does not refer to is not its styles: a new one beside it.
        stylesPart = package.contains(QStringLiteral("xl/styles.xml"))
                         ? freePart(package, QStringLiteral("xl/styles%1.xml"))
                         : QStringLiteral("xl/styles.xml");
        package.add(stylesPart, Package(SaveRequest{}).read(QStringLiteral("xl/styles.xml")));
        workbookRels.add("styles", QStringLiteral("/") + stylesPart);
        addOverride(types, stylesPart,
                    "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml");
    }
    RawXml styleXml(package.read(stylesPart), file, stylesPart);
    StyleAppender styles(styleXml);

    bool seenNew = false;
    for (const SheetSnapshot& sheet : snapshot.sheets) {
        if (sheet.content)
            seenNew = true;
        else if (seenNew)
            failSave(QStringLiteral("the sheets added in this session must come after the "
                                    "workbook's own sheets"));
    }
    const ReferenceValues values = [&](const QString& ref) { return valuesOf(snapshot, ref); };
    for (const SheetSnapshot& sheet : snapshot.sheets) {
        if (sheet.content)
            newSheetParts(package, workbookRels, types, workbook, sheet, styles, values);
        else if (sheet.rulesChanged)
            spliceRules(package, file, sheet, styles);
    }
    editNames(workbook, snapshot);

    package.replace(workbookPart, workbook.serialize());
    package.replace(relsOf(workbookPart), workbookRels.xml.serialize());
    package.replace(QStringLiteral("[Content_Types].xml"), types.serialize());
    if (styles.changed())
        package.replace(stylesPart, styleXml.serialize());

    package.write(output);
    output.commit();
}

} // namespace

QString xlsxBeside(const QString& path) {
    const QFileInfo info(path);
    const QString base = info.absolutePath() + QLatin1Char('/') + info.completeBaseName();
    QString candidate = base + QStringLiteral(".xlsx");
    // A name is taken when anything has it, a link to nothing among them.
    for (int n = 2; nameTaken(candidate); ++n)
        candidate = base + QStringLiteral(" (%1).xlsx").arg(n);
    return candidate;
}

} // namespace embedded
