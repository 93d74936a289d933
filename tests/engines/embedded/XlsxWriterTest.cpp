// Saving hosted workbooks: what the file holds afterwards, and that every part the session did
// not change is the same, byte for byte, compressed data included.

#include "engines/embedded/xlsx/XlsxWriter.h"

#include "core/analysis/CategoryTable.h"
#include "core/analysis/Highlight.h"
#include "excel/Error.h"
#include "excel/FormatConditions.h"
#include "excel/Workbook.h"
#include "engines/embedded/EmbeddedApplication.h"
#include "engines/embedded/xlsx/SheetPartLayout.h"
#include "core/report/ReportAction.h"
#include "support/AnalysisFixture.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <gtest/gtest.h>
#include <map>
#include <zip.h>

using namespace testsupport;

namespace {

// The dump of a workbook's own sheets (the ones it had before the session).
QString dumpFirstSheets(const QString& path, size_t count) {
    embedded::WorkbookData data = embedded::readWorkbookFile(path);
    data.sheets.resize(count);
    return dump(data);
}

QString copyToScratch(const QString& from, const QString& test) {
    const QString to = scratchDir(test) + QLatin1Char('/') + QFileInfo(from).fileName();
    QFile::remove(to);
    QFile::copy(from, to);
    QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                  QFile::ReadOther);
    return to;
}

void highlight(excel::Application& app, const excel::Range& range, const QString& label) {
    ASSERT_TRUE(analysis::runHighlightAction(
                    app, [&] { analysis::HighlightCategory(range, label); }, QStringLiteral("set"))
                    .isEmpty());
}

void clearHighlight(excel::Application& app, const excel::Range& range) {
    ASSERT_TRUE(analysis::runHighlightAction(
                    app, [&] { analysis::ClearHighlight(range); }, QStringLiteral("cleared"))
                    .isEmpty());
}

// Opens the workbook, analyses reference and writes the report; the caller ends the session.
std::shared_ptr<embedded::EmbeddedApplication> reportOn(const QString& path,
                                                        const QString& reference, bool chart) {
    auto app = embedded::EmbeddedApplication::create();
    app->open(path);
    Analysis analysis(app, reference);
    analysis.analyse();
    const auto result = report::runReport(*app, app->ActiveWorkbook(), analysis.main, chart);
    EXPECT_EQ(result.outcome, report::ReportResult::Outcome::Written)
        << result.message.toStdString();
    return app;
}

} // namespace

class ProducerSave : public ::testing::TestWithParam<const char*> {};

TEST_P(ProducerSave, KeepsUntouchedPartsAndAddsTheReportAndHighlight) {
    const QString path =
        copyToScratch(producerWorkbooksDir() + QLatin1Char('/') + GetParam(), GetParam());
    const auto before = entries(path);
    const size_t sheetsBefore = embedded::readWorkbookFile(path).sheets.size();
    const QString dumpBefore = dumpFirstSheets(path, sheetsBefore);

    auto app = embedded::EmbeddedApplication::create();
    auto book = app->open(path);
    const auto sheet = std::static_pointer_cast<embedded::EmbeddedWorksheet>(app->ActiveSheet());
    Analysis analysis(app, sheet->UsedRange().Columns()(1).Address(false, false, true));
    analysis.analyse();
    ASSERT_GT(analysis.main.count(), 0);
    const excel::Range range = *analysis.table.AnalysedRange;
    const QString label = analysis.main.text(0);
    highlight(*app, range, label);
    const auto result = report::runReport(*app, app->ActiveWorkbook(), analysis.main, true);
    ASSERT_EQ(result.outcome, report::ReportResult::Outcome::Written)
        << result.message.toStdString();
    app->endSession();
    ASSERT_EQ(app->savedFiles(), QStringList({QFileInfo(path).canonicalFilePath()}));

    // Parts that may change: the package's lists, the workbook, its styles, the highlighted sheet.
    const QSet<QString> mayChange = {QStringLiteral("[Content_Types].xml"),
                                     QStringLiteral("xl/workbook.xml"),
                                     QStringLiteral("xl/_rels/workbook.xml.rels"),
                                     QStringLiteral("xl/styles.xml"), sheet->partName()};
    const auto after = entries(path);
    for (const auto& [name, entry] : before) {
        ASSERT_TRUE(after.count(name)) << name.toStdString();
        if (mayChange.contains(name))
            continue;
        EXPECT_EQ(after.at(name).compressed, entry.compressed) << name.toStdString();
        EXPECT_EQ(after.at(name).crc, entry.crc) << name.toStdString();
    }
    EXPECT_EQ(after.size(), before.size() + 5); // sheet, its rels, drawing, its rels, chart
    EXPECT_EQ(dumpFirstSheets(path, sheetsBefore), dumpBefore);

    // Read back: the report sheet last with the table, no names left, the highlight in place.
    auto reread = embedded::EmbeddedApplication::create();
    auto saved = reread->open(path);
    ASSERT_EQ(size_t(saved->sheetCount()), sheetsBefore + 1);
    auto report = saved->sheetAt(saved->sheetCount());
    EXPECT_EQ(report->Name(), QStringLiteral("Tallyvane1"));
    EXPECT_EQ(report->cellValue(1, 1), excel::Variant("Category"));
    EXPECT_EQ(report->cellValue(2, 1).toString(), label);
    for (const excel::DefinedName& n : saved->definedNames()) // the user's names stay, ours go
        EXPECT_FALSE(n.name.endsWith(QStringLiteral("Pareto"))) << n.name.toStdString();
    auto rules = saved->Sheets()(sheet->Name())->Range(range.Address()).FormatConditions();
    ASSERT_EQ(rules.Count(), 1);

    // A second report on the saved file is Tallyvane2.
    Analysis again(reread, range.Address(false, false, true));
    again.analyse();
    ASSERT_EQ(report::runReport(*reread, saved, again.main, false).sheetName,
              QStringLiteral("Tallyvane2"));
}

INSTANTIATE_TEST_SUITE_P(Producers, ProducerSave,
                         ::testing::Values("handmade.xlsx", "libreoffice.xlsx",
                                           "libxlsxwriter.xlsx", "openpyxl.xlsx"));

TEST(HighlightSave, SplicesTheRuleAndKeepsTheUsersOtherRules) {
    const QString path = scratchDir(QStringLiteral("splice")) + QStringLiteral("/Rules.xlsx");
    SheetSpec sheet = sheetSpec(QStringLiteral("Log"), {{"A1", excel::Variant("Defect")},
                                                        {"A2", excel::Variant("abc")},
                                                        {"A3", excel::Variant("xabcx")},
                                                        {"A4", excel::Variant("d")},
                                                        {"D1", excel::Variant(5)}});
    const QString inside = QStringLiteral(
        "<conditionalFormatting sqref=\"A2:A3\"><cfRule type=\"cellIs\" dxfId=\"0\" priority=\"1\" "
        "operator=\"equal\"><formula>\"d\"</formula></cfRule></conditionalFormatting>");
    const QString outside = QStringLiteral(
        "<conditionalFormatting sqref=\"D1:D5\"><cfRule type=\"cellIs\" dxfId=\"0\" priority=\"7\" "
        "operator=\"greaterThan\"><formula>3</formula></cfRule></conditionalFormatting>");
    const QString margins = QStringLiteral("<pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" "
                                           "bottom=\"0.75\" header=\"0.3\" footer=\"0.3\"/>");
    sheet.afterSheetData = inside + outside + margins;
    writeXlsx(path, {sheet});
    const QByteArray original = partText(path, QStringLiteral("xl/worksheets/sheet1.xml"));

    auto app = embedded::EmbeddedApplication::create();
    app->open(path);
    const excel::Range range = app->Range(QStringLiteral("A1:A4"));
    for (const char* label : {"d", "abc"}) // the second replaces the first
        highlight(*app, range, QString::fromLatin1(label));
    EXPECT_EQ(range.FormatConditions().Count(), 1);
    EXPECT_EQ(app->Range(QStringLiteral("D1:D5")).FormatConditions().Count(), 1);
    app->endSession();

    const QByteArray saved = partText(path, QStringLiteral("xl/worksheets/sheet1.xml"));
    const QByteArray ours =
        "<conditionalFormatting sqref=\"A1:A4\"><cfRule type=\"containsText\" dxfId=\"0\" "
        "priority=\"8\" operator=\"containsText\" text=\"abc\"><formula>NOT(ISERROR(SEARCH(&quot;"
        "abc&quot;,A1)))</formula></cfRule></conditionalFormatting>";
    QByteArray expected = original;
    expected.replace(inside.toUtf8(), QByteArray());
    expected.replace(margins.toUtf8(), ours + margins.toUtf8());
    EXPECT_EQ(saved, expected) << saved.toStdString();
    EXPECT_TRUE(partText(path, QStringLiteral("xl/styles.xml"))
                    .contains("<dxf><fill><patternFill><bgColor rgb=\"FFFFFFCC\"/>"));

    // Clearing, in a new session, takes the rule out again; the user's rule outside stays.
    auto second = embedded::EmbeddedApplication::create();
    second->open(path);
    const excel::Range again = second->Range(QStringLiteral("A1:A4"));
    clearHighlight(*second, again);
    second->endSession();
    QByteArray cleared = original;
    cleared.replace(inside.toUtf8(), QByteArray());
    EXPECT_EQ(partText(path, QStringLiteral("xl/worksheets/sheet1.xml")), cleared);
}

TEST(HighlightSave, ARuleReachingIntoTheRangeIsTrimmed) {
    const QString path = scratchDir(QStringLiteral("trim")) + QStringLiteral("/Trim.xlsx");
    SheetSpec sheet = sheetSpec(QStringLiteral("Log"),
                                {{"A1", excel::Variant("x")}, {"A2", excel::Variant("y")}});
    sheet.afterSheetData = QStringLiteral(
        "<conditionalFormatting sqref=\"A1:B4\"><cfRule type=\"expression\" dxfId=\"0\" "
        "priority=\"1\"><formula>TRUE</formula></cfRule></conditionalFormatting>");
    writeXlsx(path, {sheet});
    auto app = embedded::EmbeddedApplication::create();
    app->open(path);
    const excel::Range range = app->Range(QStringLiteral("A1:A2"));
    clearHighlight(*app, range);
    app->endSession();
    EXPECT_TRUE(
        partText(path, QStringLiteral("xl/worksheets/sheet1.xml"))
            .contains("<conditionalFormatting sqref=\"A3:B4 B1:B2\"><cfRule type=\"expression\""));
}

TEST(CsvSave, WritesANewWorkbookBesideAndNeverOverAnExistingFile) {
    const QString dir = scratchDir(QStringLiteral("csv"));
    const QString csv = dir + QStringLiteral("/defects.csv");
    testsupport::writeFile(csv, "Defect\nScratch\nDent\nScratch\n");
    QFile taken(dir + QStringLiteral("/defects.xlsx"));
    ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
    taken.write("not mine");
    taken.close();

    auto app = embedded::EmbeddedApplication::create();
    app->open(csv);
    Analysis analysis(app, QStringLiteral("A2:A4"));
    analysis.analyse();
    ASSERT_EQ(report::runReport(*app, app->ActiveWorkbook(), analysis.main, true).outcome,
              report::ReportResult::Outcome::Written);
    app->endSession();
    EXPECT_EQ(app->savedFiles(), QStringList({dir + QStringLiteral("/defects (2).xlsx")}));
    QFile check(dir + QStringLiteral("/defects.xlsx"));
    check.open(QIODevice::ReadOnly);
    EXPECT_EQ(check.readAll(), QByteArray("not mine"));

    const embedded::WorkbookData saved =
        embedded::readWorkbookFile(dir + QStringLiteral("/defects (2).xlsx"));
    ASSERT_EQ(saved.sheets.size(), 2u);
    EXPECT_EQ(saved.sheets[0].cells->value(3, 1), excel::Variant("Dent"));
    EXPECT_EQ(saved.sheets[1].name, QStringLiteral("Tallyvane1"));
    EXPECT_EQ(saved.sheets[1].cells->value(2, 2), excel::Variant(2.0));
}

TEST(Save, AFileThatChangedUnderneathIsNotOverwritten) {
    const QString path = scratchDir(QStringLiteral("changed")) + QStringLiteral("/Book.xlsx");
    SheetSpec sheet = sheetSpec(QStringLiteral("Log"),
                                {{"A1", excel::Variant("x")}, {"A2", excel::Variant("y")}});
    sheet.afterSheetData = QStringLiteral(
        "<conditionalFormatting sqref=\"A1\"><cfRule type=\"expression\" dxfId=\"0\" "
        "priority=\"1\"><formula>TRUE</formula></cfRule></conditionalFormatting>");
    writeXlsx(path, {sheet});
    auto app = embedded::EmbeddedApplication::create();
    app->open(path);
    const excel::Range range = app->Range(QStringLiteral("A1:A2"));
    highlight(*app, range, "x");
    // Someone else saved the file in the meantime, without the rule the session knew of.
    writeXlsx(path, {sheetSpec(QStringLiteral("Log"), {{"A1", excel::Variant("z")}})});
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    const QByteArray theirs = f.readAll();
    f.close();
    try {
        app->endSession();
        FAIL() << "saved over a file that changed";
    } catch (const excel::Error& e) {
        EXPECT_TRUE(e.message().startsWith(
            QStringLiteral("The workbook \"Book.xlsx\" could not be saved: ")))
            << e.message().toStdString();
    }
    f.open(QIODevice::ReadOnly);
    EXPECT_EQ(f.readAll(), theirs);
    EXPECT_TRUE(QDir(QFileInfo(path).absolutePath())
                    .entryList(QDir::Hidden | QDir::Files)
                    .filter(".Book")
                    .isEmpty());
}

TEST(Save, ASecondReportReusesTheStylesTheFirstAdded) {
    const QString path = scratchDir(QStringLiteral("styles")) + QStringLiteral("/Book.xlsx");
    writeXlsx(path, {sheetSpec(QStringLiteral("Log"), {{"A1", excel::Variant("Scratch")},
                                                       {"A2", excel::Variant("Dent")},
                                                       {"A3", excel::Variant("Scratch")}})});
    QByteArray styles[2];
    for (int round = 0; round < 2; ++round) {
        reportOn(path, QStringLiteral("A1:A3"), true)->endSession();
        styles[round] = partText(path, QStringLiteral("xl/styles.xml"));
    }
    EXPECT_EQ(styles[1], styles[0]) << "no copies of the same formats";
    EXPECT_EQ(embedded::readWorkbookFile(path).sheets.back().name, QStringLiteral("Tallyvane2"));
}

TEST(Save, AReadOnlyFileIsNotReplaced) {
    const QString path = scratchDir(QStringLiteral("readonly")) + QStringLiteral("/Book.xlsx");
    writeXlsx(path, {sheetSpec(QStringLiteral("Log"), {{"A1", excel::Variant("Scratch")},
                                                       {"A2", excel::Variant("Dent")}})});
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    const QByteArray before = partText(path, QStringLiteral("xl/workbook.xml"));
    auto app = reportOn(path, QStringLiteral("A1:A2"), false);
    try {
        app->endSession();
        FAIL() << "a read-only file was replaced";
    } catch (const excel::Error& e) {
        EXPECT_EQ(e.message(), QStringLiteral("The workbook \"Book.xlsx\" could not be saved: the "
                                              "file is read-only. The file on disk is as it was."));
    }
    EXPECT_EQ(partText(path, QStringLiteral("xl/workbook.xml")), before);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
}

TEST(Save, CellTextsThatNeedEscapingComeBackAsTheyWere) {
    // Written through a .csv, so that the source sheet itself goes through the writer too.
    const QString dir = scratchDir(QStringLiteral("escaping"));
    const QStringList labels = {QStringLiteral("  padded  "),
                                QStringLiteral("a<b&c>d\"e'"),
                                QStringLiteral("_x0041_ literal"),
                                QStringLiteral("ctl\x01"
                                               "char"),
                                QStringLiteral("tab\there"),
                                QStringLiteral("two\r\nlines"),
                                QString::fromUtf8("emoji \xF0\x9F\x98\x80 \xC3\xA9"),
                                QStringLiteral("=1+1")};
    QByteArray csv = "Defect\n";
    for (const QString& label : labels) {
        QString quoted = label;
        quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
        csv += "\"" + quoted.toUtf8() + "\"\n";
    }
    const QString odd = dir + QStringLiteral("/odd.csv");
    testsupport::writeFile(odd, csv);
    reportOn(odd, QStringLiteral("A2:A%1").arg(labels.size() + 1), false)->endSession();

    const embedded::WorkbookData saved =
        embedded::readWorkbookFile(dir + QStringLiteral("/odd.xlsx"));
    ASSERT_EQ(saved.sheets.size(), 2u);
    QStringList source, report;
    for (int row = 2; row <= labels.size() + 1; ++row) {
        source << saved.sheets[0].cells->value(row, 1).toString();
        report << saved.sheets[1].cells->value(row, 1).toString();
    }
    EXPECT_EQ(source, labels);
    QStringList expected = labels;
    expected.sort();
    report.sort();
    EXPECT_EQ(report, expected);

    // The row of the label in two lines is two lines tall, not drawn over the row above; the bar
    // column holds a bar of 30 stars (7.3 pixels each in the sheet's font).
    const QByteArray part = partText(dir + QStringLiteral("/odd.xlsx"),
                                     QStringLiteral("xl/worksheets/sheet2.xml"));
    EXPECT_EQ(part.count("customHeight=\"1\""), 1);
    EXPECT_TRUE(part.contains("ht=\"30\" customHeight=\"1\""));
    const qsizetype col = part.indexOf("<col min=\"5\" max=\"5\" width=\"");
    ASSERT_GE(col, 0) << part.toStdString();
    EXPECT_GE(part.mid(col + 28, 6).toDouble(), (30 * 7.3 + 7) / 7) << part.mid(col, 60).toStdString();
}

TEST(Save, NamesAreAddedAndDeletedWithTheirSheetsQuoted) {
    const QString dir = scratchDir(QStringLiteral("names"));
    const QString spaced = dir + QStringLiteral("/my data.csv");
    testsupport::writeFile(spaced, "Defect\nScratch\nDent\n");
    {
        auto app = embedded::EmbeddedApplication::create();
        app->open(spaced);
        app->ActiveWorkbook()->Names().Add(QStringLiteral("Kept"),
                                           app->Range(QStringLiteral("A2:A3")));
        app->completeAction();
        app->endSession();
    }
    const QString book = dir + QStringLiteral("/my data.xlsx");
    using Names = std::vector<std::pair<QString, QString>>;
    EXPECT_EQ(embedded::readWorkbookFile(book).definedNames,
              (Names{{"Kept", "'my data'!$A$2:$A$3"}}));
    {
        auto app = embedded::EmbeddedApplication::create();
        app->open(book);
        auto names = app->ActiveWorkbook()->Names();
        names(QStringLiteral("kept")).Delete();
        names.Add(QStringLiteral("Other"), app->Range(QStringLiteral("A3")));
        app->completeAction();
        app->endSession();
    }
    EXPECT_EQ(embedded::readWorkbookFile(book).definedNames, (Names{{"Other", "'my data'!$A$3"}}));
}

TEST(HighlightSave, APrefixedSheetWithoutStylesGetsAPrefixedRuleAndAStylesPart) {
    const QString path = scratchDir(QStringLiteral("prefixed")) + QStringLiteral("/Prefixed.xlsx");
    const QByteArray decl = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
    const QByteArray main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
    const QByteArray rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    writeZip(
        path,
        {{QStringLiteral("[Content_Types].xml"),
          decl + "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                 "<Default Extension=\"rels\" "
                 "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                 "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                 "<Override PartName=\"/xl/workbook.xml\" "
                 "ContentType=\"application/"
                 "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
                 "<Override PartName=\"/xl/worksheets/sheet1.xml\" "
                 "ContentType=\"application/"
                 "vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
                 "</Types>"},
         {QStringLiteral("_rels/.rels"),
          decl +
              "<Relationships "
              "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
              "<Relationship Id=\"rId1\" Type=\"" +
              rel +
              "/officeDocument\" Target=\"xl/workbook.xml\"/>"
              "</Relationships>"},
         {QStringLiteral("xl/workbook.xml"),
          decl + "<x:workbook xmlns:x=\"" + main + "\" xmlns:r=\"" + rel +
              "\"><x:sheets>"
              "<x:sheet name=\"Log\" sheetId=\"1\" r:id=\"rId1\"/></x:sheets></x:workbook>"},
         {QStringLiteral("xl/_rels/workbook.xml.rels"),
          decl +
              "<Relationships "
              "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
              "<Relationship Id=\"rId1\" Type=\"" +
              rel +
              "/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
              "</Relationships>"},
         {QStringLiteral("xl/worksheets/sheet1.xml"),
          decl + "<x:worksheet xmlns:x=\"" + main +
              "\"><x:sheetData>"
              "<x:row r=\"1\"><x:c r=\"A1\" "
              "t=\"inlineStr\"><x:is><x:t>Scratch</x:t></x:is></x:c></x:row>"
              "<x:row r=\"2\"><x:c r=\"A2\" "
              "t=\"inlineStr\"><x:is><x:t>Dent</x:t></x:is></x:c></x:row>"
              "</x:sheetData><x:pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" "
              "bottom=\"0.75\" "
              "header=\"0.3\" footer=\"0.3\"/></x:worksheet>"}});
    auto app = embedded::EmbeddedApplication::create();
    app->open(path);
    highlight(*app, app->Range(QStringLiteral("A1:A2")), QStringLiteral("Dent"));
    app->endSession();

    const QByteArray sheet = partText(path, QStringLiteral("xl/worksheets/sheet1.xml"));
    EXPECT_TRUE(sheet.contains("</x:sheetData><x:conditionalFormatting sqref=\"A1:A2\"><x:cfRule "
                               "type=\"containsText\" dxfId=\"0\""))
        << sheet.toStdString();
    EXPECT_TRUE(
        partText(path, QStringLiteral("xl/styles.xml")).contains("<dxfs count=\"1\"><dxf>"));
    EXPECT_TRUE(partText(path, QStringLiteral("[Content_Types].xml")).contains("/xl/styles.xml"));
    auto reread = embedded::EmbeddedApplication::create();
    reread->open(path);
    EXPECT_EQ(reread->Range(QStringLiteral("A1:A2")).FormatConditions().Count(), 1);
}

// New ids and priorities go above those in use, and into the gaps when the largest int is taken.
TEST(Save, FreeNumbersNeverPassTheLargestInt) {
    EXPECT_EQ(embedded::freeNumbers({}, 164, 2), (std::vector<int>{164, 165}));
    EXPECT_EQ(embedded::freeNumbers({3, 7}, 1, 1), (std::vector<int>{8}));
    EXPECT_EQ(embedded::freeNumbers({2147483646}, 1, 2), (std::vector<int>{1, 2}));
    EXPECT_EQ(embedded::freeNumbers({2147483647, 164, 165, 167}, 164, 2),
              (std::vector<int>{166, 168}));
    EXPECT_EQ(embedded::freeNumbers({99999999999, 1}, 1, 1), (std::vector<int>{2}));
}

// Where the reader takes a workbook, the writer saves it: a root relationship without a type is
// read through xl/workbook.xml, and a styles part the workbook does not refer to is left alone
// beside the new styles part the report needs.
TEST(Save, WhatTheReaderTookTheWriterSaves) {
    const QString path = scratchDir(QStringLiteral("lenient")) + QStringLiteral("/lenient.xlsx");
    const QByteArray unreferencedStyles =
        "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
        "<cellXfs count=\"1\"><xf numFmtId=\"0\"/></cellXfs></styleSheet>";
    testsupport::writeZip(
        path,
        {{"[Content_Types].xml",
          "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
          "<Default Extension=\"rels\" "
          "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
          "<Default Extension=\"xml\" ContentType=\"application/xml\"/></Types>"},
         {"_rels/.rels",
          "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
          "<Relationship Id=\"rId1\" Target=\"xl/workbook.xml\"/></Relationships>"},
         {"xl/workbook.xml",
          "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
          "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
          "<sheets><sheet name=\"Data\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
         {"xl/_rels/workbook.xml.rels",
          "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
          "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/"
          "2006/relationships/worksheet\" Target=\"worksheets/sheet1.xml\"/></Relationships>"},
         {"xl/styles.xml", unreferencedStyles},
         {"xl/worksheets/sheet1.xml",
          "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
          "<sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>Defect</t></is></c></row>"
          "<row r=\"2\"><c r=\"A2\" t=\"inlineStr\"><is><t>Dent</t></is></c></row>"
          "<row r=\"3\"><c r=\"A3\" t=\"inlineStr\"><is><t>Dent</t></is></c></row>"
          "</sheetData></worksheet>"}});
    auto app = reportOn(path, QStringLiteral("A1:A3"), true);
    app->endSession();
    EXPECT_EQ(app->savedFiles(), QStringList{path});
    const embedded::WorkbookData saved = embedded::readWorkbookFile(path);
    ASSERT_EQ(saved.sheets.size(), 2u);
    EXPECT_EQ(saved.sheets[1].name, QStringLiteral("Tallyvane1"));
    EXPECT_EQ(partText(path, QStringLiteral("xl/styles.xml")), unreferencedStyles);
    EXPECT_TRUE(partText(path, QStringLiteral("xl/_rels/workbook.xml.rels"))
                    .contains("Target=\"/xl/styles1.xml\""));
}
