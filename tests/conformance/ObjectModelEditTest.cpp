// Changing a workbook through the object model, against every backend that can run here: sheets
// added, named and moved; rows deleted with ranges following; text pasted; sorting; names;
// conditional formats.

#include "excel/Application.h"
#include "excel/Clipboard.h"
#include "excel/Error.h"
#include "excel/FormatConditions.h"
#include "excel/ListObjects.h"
#include "excel/RunningApplications.h"
#include "excel/Sort.h"
#include "engines/embedded/EmbeddedApplication.h"
#include "support/AnalysisFixture.h"
#include "support/Backends.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using excel::Variant;

namespace {

class ObjectModelEdits : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        path = testsupport::scratchDir("edits") + "/edits.xlsx";
        testsupport::SheetSpec data = testsupport::sheetSpec("Data", {});
        for (int row = 1; row <= 6; ++row)
            data.cells.emplace_back(QStringLiteral("A%1").arg(row), Variant(row * 10.0));
        testsupport::SheetSpec other = testsupport::sheetSpec("Other", {{"A1", "x"}});
        testsupport::writeXlsx(path, {data, other}, 1);
        app = testsupport::attachBackend(GetParam(), path);
        ASSERT_TRUE(app);
    }
    void TearDown() override { testsupport::releaseBackend(GetParam(), path); }

    QString errorOf(const std::function<void()>& f) {
        try {
            f();
        } catch (const excel::Error& e) {
            return e.member() + ": " + e.message();
        }
        return {};
    }

    bool onOffice() const { return GetParam() == "uno"; }

    QString path;
    std::shared_ptr<excel::Application> app;
};

// Saving through the object model, as the workbook window does: Saved says whether an action
// changed the workbook; SaveAs writes a workbook file that opens again with the change, and the
// workbook is that file from then on; Save writes over it.
TEST_P(ObjectModelEdits, SavesThroughTheObjectModel) {
    auto book = app->ActiveWorkbook();
    EXPECT_TRUE(book->Saved());
    EXPECT_FALSE(book->needsSaveName());
    EXPECT_EQ(QFileInfo(book->proposedSaveName()).canonicalFilePath(),
              QFileInfo(path).canonicalFilePath());
    auto added = app->Worksheets().Add();
    added->Move(app->Sheets()(app->Sheets().Count())); // new sheets go last, as the report's
    added->setName("Saved");
    added->setCellValue(1, 1, Variant("kept"));
    app->completeAction();
    EXPECT_FALSE(book->Saved());

    const QString copy = testsupport::scratchDir("saved-as") + "/copy.xlsx";
    book->SaveAs(copy);
    EXPECT_TRUE(book->Saved());
    EXPECT_EQ(book->Name(), "copy.xlsx");
    EXPECT_EQ(QFileInfo(book->proposedSaveName()).canonicalFilePath(),
              QFileInfo(copy).canonicalFilePath());
    const auto sheetNamed = [](const QString& file, const QString& name) -> Variant {
        for (const auto& sheet : embedded::readWorkbookFile(file).sheets)
            if (sheet.name == name)
                return sheet.cells->value(1, 1);
        return Variant("no such sheet");
    };
    EXPECT_EQ(sheetNamed(copy, "Saved"), Variant("kept"));

    auto again = app->Worksheets().Add();
    again->Move(app->Sheets()(app->Sheets().Count()));
    again->setName("Again");
    again->setCellValue(1, 1, Variant("also"));
    app->completeAction();
    book->Save();
    EXPECT_TRUE(book->Saved());
    EXPECT_EQ(sheetNamed(copy, "Again"), Variant("also"));
    testsupport::releaseBackend(GetParam(), copy);
}

TEST_P(ObjectModelEdits, AddsNamesAndMovesSheets) {
    auto added = app->Worksheets().Add(); // before the active sheet "Other", and active
    EXPECT_EQ(app->Sheets()(2)->Name(), "Sheet1");
    EXPECT_EQ(app->ActiveSheet(), added);
    added->setName("Report");
    added->Move(app->Sheets()(app->Sheets().Count()));
    EXPECT_EQ(app->Sheets()(3)->Name(), "Report");
    EXPECT_EQ(app->ActiveSheet()->Name(), "Report");
    const struct {
        QString name;
        QString why;
    } refused[] = {{"", "a sheet name cannot be empty"},
                   {QString(32, u'x'), "a sheet name has at most 31 characters"},
                   {"a/b", "it holds one of : \\ / ? * [ ]"},
                   {"'quoted", "it starts or ends with an apostrophe"},
                   {"DATA", "another sheet of the workbook has that name"}};
    for (const auto& r : refused)
        EXPECT_EQ(errorOf([&] { added->setName(r.name); }),
                  QStringLiteral("Name: the sheet cannot be named \"%1\": %2").arg(r.name, r.why));
    EXPECT_EQ(added->Name(), "Report");
}

TEST_P(ObjectModelEdits, DeletedRowsMoveCellsUpAndRangesFollowThem) {
    auto sheet = app->Worksheets()("Data");
    const excel::Range below = sheet->Range("A5:A6");
    const excel::Range across = sheet->Range("A2:A4");
    const excel::Range gone = sheet->Range("A3");
    sheet->Rows()(3).Delete();
    EXPECT_EQ(sheet->cellValue(3, 1), Variant(40.0));
    EXPECT_EQ(below.Address(), "$A$4:$A$5");
    EXPECT_EQ(across.Address(), "$A$2:$A$3");
    EXPECT_EQ(errorOf([&] { gone.Address(); }), "Range: the cells of the range were deleted");
    sheet->insertRows(1, 2);
    EXPECT_EQ(below.Address(), "$A$6:$A$7");
    EXPECT_EQ(sheet->cellValue(3, 1), Variant(10.0));
    EXPECT_EQ(errorOf([&] { sheet->Range("A1:B2").Delete(); }),
              "Delete: only whole rows can be deleted; $A$1:$B$2 is not");
}

TEST_P(ObjectModelEdits, PastesTextAsTheTextImportReadsIt) {
    auto sheet = app->Worksheets()("Other");
    excel::setClipboardText("Label\tShare\tN\r\n"
                            "\"tab\there\"\t12.5%\t7\r\n"
                            "=1+1\t3%\t1.5\r\n"
                            "\"=2\"\t\"5%\"\t\"two\r\nlines\"\r\n"
                            "'+1\t\"''x\ty\"\t'7\r\n\r\n");
    sheet->Cells(2, 2).Select();
    sheet->PasteSpecial("Text", false, false);
    EXPECT_EQ(sheet->cellValue(3, 2), Variant("tab\there"));
    EXPECT_EQ(sheet->cellValue(3, 3), Variant(0.125));
    EXPECT_EQ(sheet->cellFormat(3, 3).numberFormat, "0.0%");
    EXPECT_EQ(sheet->Cells(3, 3).Text(), "12.5%");
    EXPECT_EQ(sheet->cellValue(4, 3), Variant(0.03));
    EXPECT_EQ(sheet->cellFormat(4, 3).numberFormat, "0%");
    EXPECT_EQ(sheet->cellValue(4, 2), Variant("=1+1")); // not a formula here
    EXPECT_EQ(sheet->cellValue(4, 4), Variant(1.5));
    EXPECT_EQ(sheet->cellValue(5, 2), Variant("=2"));
    EXPECT_EQ(sheet->cellValue(5, 3), Variant("5%")); // quoted: stays text
    // The office keeps a line break in a cell as a line feed alone.
    EXPECT_EQ(sheet->cellValue(5, 4), Variant(onOffice() ? "two\nlines" : "two\r\nlines"));
    // An apostrophe marks text and is taken away, as where the user types.
    EXPECT_EQ(sheet->cellValue(6, 2), Variant("+1"));
    EXPECT_EQ(sheet->cellValue(6, 3), Variant("'x\ty"));
    EXPECT_EQ(sheet->cellValue(6, 4), Variant("7")); // text, not a number
    EXPECT_EQ(sheet->usedRect(), (excel::CellRect{1, 1, 6, 4}));
    excel::clearClipboard();
    EXPECT_EQ(errorOf([&] { sheet->PasteSpecial("Text", false, false); }),
              "PasteSpecial: the clipboard holds no text");
}

TEST_P(ObjectModelEdits, SortsNumbersTextLogicalErrorsThenBlanks) {
    auto sheet = app->Worksheets()("Other");
    const Variant values[] = {
        Variant("b"), Variant(2.0), Variant(), Variant(true), Variant(excel::ErrorValue::NA),
        Variant("A"), Variant(-1.0)};
    sheet->setCellValue(1, 1, "Head");
    for (int i = 0; i < 7; ++i) {
        sheet->setCellValue(i + 2, 1, values[i]);
        sheet->setCellValue(i + 2, 2, Variant(double(i)));
    }
    excel::Sort& sort = sheet->Sort();
    sort.clearSortFields();
    sort.addSortField(sheet->Range("A2:A8"), 0, 1, 0);
    sort.SetRange(sheet->Range("A1:B8"));
    sort.setHeader(1);
    sort.Apply();
    QStringList order;
    for (int row = 1; row <= 8; ++row)
        order << sheet->cellValue(row, 1).toString() + "/" + sheet->cellValue(row, 2).toString();
    // The office has no logical values: TRUE is the number 1 shown as TRUE, and sorts as 1.
    if (onOffice())
        EXPECT_EQ(order, QStringList({"Head/", "-1/6", "1/3", "2/1", "A/5", "b/0", "#N/A/4", "/2"}));
    else
        EXPECT_EQ(order,
                  QStringList({"Head/", "-1/6", "2/1", "A/5", "b/0", "TRUE/3", "#N/A/4", "/2"}));
    sort.clearSortFields();
    sort.addSortField(sheet->Range("A2:A8"), 0, 2, 0);
    sort.Apply();
    EXPECT_EQ(sheet->cellValue(2, 1), Variant(excel::ErrorValue::NA));
    EXPECT_EQ(sheet->cellValue(8, 1), Variant()); // blanks stay last
}

TEST_P(ObjectModelEdits, NamesReferToRangesAndAreCheckedLikeTheSpreadsheet) {
    auto book = app->ActiveWorkbook();
    auto names = book->Names();
    names.Add("Y1_Pareto", app->Worksheets()("Data")->Range("A2:A4"));
    EXPECT_EQ(app->Range("y1_pareto").Address(true, true, true), "[edits.xlsx]Data!$A$2:$A$4");
    for (const char* bad : {"A1", "R1C1", "R", "1abc", "a b", ""})
        EXPECT_EQ(errorOf([&] { names.Add(bad, app->Range("Data!A1")); }),
                  QStringLiteral("Names.Add: \"%1\" is not a valid name").arg(bad));
    names("Y1_PARETO").Delete();
    EXPECT_EQ(names.Count(), 0);
    EXPECT_EQ(errorOf([&] { names("Y1_Pareto").Delete(); }),
              "Names: there is no name \"Y1_Pareto\" in edits.xlsx");
}

TEST_P(ObjectModelEdits, ConditionalFormatsAreTrimmedByDeleteAndAddedFirst) {
    auto sheet = app->Worksheets()("Data");
    const excel::Range wide = sheet->Range("A1:C6");
    wide.FormatConditions().Add(excel::kTextString, "x", excel::kContains);
    const excel::Range column = sheet->Range("A2:A6");
    column.FormatConditions().Delete();
    auto& rules = sheet->conditionalFormats();
    ASSERT_EQ(rules.size(), 1u);
    EXPECT_EQ(rules[0]->ranges, (QVector<excel::CellRect>{{1, 1, 1, 3}, {2, 2, 6, 3}}));
    column.FormatConditions().Add(excel::kTextString, "1", excel::kContains);
    column.FormatConditions()(1).setInteriorColorIndex(19);
    EXPECT_EQ(rules.front()->text, "1");
    EXPECT_EQ(rules.front()->fillColor, 0xFFFFCC);
    EXPECT_EQ(column.FormatConditions().Count(), 1);
    EXPECT_EQ(wide.FormatConditions().Count(), 2);
    EXPECT_EQ(errorOf([&] { column.FormatConditions()(1).setInteriorColorIndex(57); }),
              "Interior.ColorIndex: 57 is not a colour of the palette (1 to 56)");
}

TEST_P(ObjectModelEdits, SortsBySeveralKeysWithOrWithoutCaseAndHeader) {
    auto sheet = app->Worksheets()("Other");
    const char* const rows[][2] = {{"b", "2"}, {"B", "1"}, {"a", "2"}, {"A", "1"}};
    for (int i = 0; i < 4; ++i) {
        sheet->setCellValue(i + 1, 1, QString::fromLatin1(rows[i][0]));
        sheet->setCellValue(i + 1, 2, QString::fromLatin1(rows[i][1]).toDouble());
    }
    excel::Sort& sort = sheet->Sort();
    sort.clearSortFields();
    sort.addSortField(sheet->Range("A1:A4"), 0, 1, 0);
    sort.addSortField(sheet->Range("B1:B4"), 0, 2, 0);
    sort.SetRange(sheet->Range("A1:B4"));
    sort.setHeader(2); // no header: every row takes part
    sort.Apply();
    const auto order = [&] {
        QStringList out;
        for (int row = 1; row <= 4; ++row)
            out << sheet->cellValue(row, 1).toString() + sheet->cellValue(row, 2).toString();
        return out;
    };
    EXPECT_EQ(order(), QStringList({"a2", "A1", "b2", "B1"}))
        << "case ignored; the second key decides";
    EXPECT_EQ(errorOf([&] { sort.addSortField(sheet->Range("A1:A4"), 1, 1, 0); }),
              "SortFields.Add: only sorting on values is offered");
    sort.clearSortFields();
    sort.addSortField(sheet->Range("D1:D4"), 0, 1, 0);
    EXPECT_EQ(errorOf([&] { sort.Apply(); }),
              "Sort.Apply: the sort key $D$1:$D$4 lies outside the range to sort");
}

TEST_P(ObjectModelEdits, TablesTakeAGeneratedHeaderAndLeaveTheStylesFormattingWhenUnlisted) {
    auto sheet = app->Worksheets()("Data");
    const excel::Range data = sheet->Range("A1:A6");
    excel::ListObject table = sheet->ListObjects().Add(1, data, 2);
    EXPECT_EQ(table.Name(), "Table1");
    EXPECT_EQ(sheet->cellValue(1, 1), Variant("Column1"));
    EXPECT_EQ(data.Address(), "$A$2:$A$7") << "the data moved down a row, the range with it";
    app->ActiveWorkbook()->Names().Add("Taken", sheet->Range("C1"));
    EXPECT_EQ(errorOf([&] { table.setName("taken"); }),
              "ListObject.Name: the name \"taken\" is already taken in the workbook");
    EXPECT_EQ(errorOf([&] { table.setTableStyle("TableStyleLight1"); }),
              "TableStyle: the table style \"TableStyleLight1\" is not offered");
    EXPECT_EQ(errorOf([&] { sheet->ListObjects().Add(1, sheet->Range("A3:A4"), 1); }),
              "ListObjects.Add: a table cannot overlap another table");
    table.setTableStyle("TableStyleMedium11");
    table.Unlist();
    EXPECT_EQ(sheet->ListObjects().Count(), 0);
    EXPECT_EQ(sheet->cellFormat(1, 1).fillColor, excel::kMedium11Header);
    EXPECT_TRUE(sheet->cellFormat(1, 1).bold);
    EXPECT_EQ(sheet->cellFormat(2, 1).fillColor, excel::kMedium11Band1);
    EXPECT_EQ(sheet->cellFormat(3, 1).fillColor, excel::kMedium11Band2);
    EXPECT_EQ(sheet->cellFormat(2, 2).fillColor, -1) << "only the table's cells";
}

INSTANTIATE_TEST_SUITE_P(Backends, ObjectModelEdits,
                         ::testing::Values(testsupport::conformanceBackend()));

#ifndef TALLYVANE_CONFORMANCE_UNO

// A sheet's Sort holds its key and range without holding the sheet: once nothing else does, the
// sheet and its workbook are freed (they used to own each other through the Sort).
TEST(SortObject, KeepsNeitherItsSheetNorItsWorkbookAlive) {
    std::weak_ptr<excel::Worksheet> sheetLeft;
    std::weak_ptr<excel::Workbook> bookLeft;
    {
        auto app = testsupport::hostColumn({"b", "a", "c"});
        auto sheet = app->Worksheets()("Data");
        excel::Sort& sort = sheet->Sort();
        sort.addSortField(sheet->Range("A1:A3"), 0, 1, 0);
        sort.SetRange(sheet->Range("A1:A3"));
        sort.Apply();
        EXPECT_EQ(sheet->cellValue(1, 1), Variant("a"));
        sheetLeft = sheet;
        bookLeft = app->ActiveWorkbook();
    }
    EXPECT_TRUE(sheetLeft.expired());
    EXPECT_TRUE(bookLeft.expired());
}

#endif

} // namespace
