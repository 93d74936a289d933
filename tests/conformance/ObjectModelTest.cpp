// The object model as callers use it, run against every backend that can run here. Each backend
// attaches to the same workbook file written by the test.

#include "excel/Application.h"
#include "excel/Error.h"
#include "excel/RunningApplications.h"
#include "engines/embedded/EmbeddedHost.h"
#include "support/Backends.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using excel::Variant;

namespace {

QString conformanceWorkbook() {
    static const QString path = [] {
        const QString file = testsupport::scratchDir("conformance") + "/conformance.xlsx";
        testsupport::SheetSpec data;
        data.name = "Data";
        data.cells = {{"A1", "Defect"},
                      {"A2", "Scratch"},
                      {"A3", "Dent"},
                      {"A4", "scratch"},
                      {"A6", "Crack"},
                      {"A7", 1.0},
                      {"A8", "1"},
                      {"A9", excel::ErrorValue::Div0},
                      {"A10", "Dent"},
                      {"B1", "Minutes"},
                      {"B2", 5.0},
                      {"B3", 7.5},
                      {"B5", 3.0},
                      {"B6", excel::ErrorValue::NA},
                      {"C2", Variant(excel::DateValue{45306})}};
        data.formulas = {{"A9", "1/0"}};
        data.selection = "A1:A10";
        testsupport::SheetSpec mine;
        mine.name = "My sheet";
        mine.cells = {{"A1", "x"}};
        testsupport::SheetSpec hidden;
        hidden.name = "Hidden";
        hidden.hidden = true;
        hidden.cells = {{"C3", 5.0}};
        testsupport::writeXlsx(file, {data, mine, hidden}, 0);
        return file;
    }();
    return path;
}

class ObjectModel : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        // A fresh copy per test: members such as Select change the workbook's state.
        copy = testsupport::scratchDir("book") + "/book.xlsx";
        QFile::copy(conformanceWorkbook(), copy);
        app = testsupport::attachBackend(GetParam(), copy);
        ASSERT_TRUE(app);
    }
    void TearDown() override { testsupport::releaseBackend(GetParam(), copy); }

    excel::Range range(const char* ref) { return app->Range(QString::fromUtf8(ref)); }
    bool onOffice() const { return GetParam() == "uno"; }

    QString copy;
    std::shared_ptr<excel::Application> app;
};

TEST_P(ObjectModel, AttachesToTheWorkbookWithItsSelection) {
    EXPECT_EQ(app->ActiveWorkbook()->Name(), "book.xlsx");
    EXPECT_EQ(app->ActiveSheet()->Name(), "Data");
    const auto selection = app->Selection();
    ASSERT_TRUE(selection);
    // The office takes the cell cursor from the file's view, not the block selected around it.
    EXPECT_EQ(selection->Address(true, true, true),
              onOffice() ? "[book.xlsx]Data!$A$1" : "[book.xlsx]Data!$A$1:$A$10");
    EXPECT_EQ(app->Worksheets()("my SHEET")->Name(), "My sheet");
    EXPECT_EQ(app->Worksheets()("My sheet")->Range("A1").Address(true, true, true),
              "'[book.xlsx]My sheet'!$A$1");
    EXPECT_EQ(app->Sheets().Count(), 3);
    EXPECT_EQ(app->Sheets()(3)->Name(), "Hidden");
    EXPECT_EQ(app->Worksheets()("Hidden")->UsedRange().Address(), "$C$3");
    EXPECT_EQ(app->ActiveSheet()->UsedRange().Address(), "$A$1:$C$10");
    try {
        app->Worksheets()("Nope");
        FAIL() << "a missing sheet must raise an error";
    } catch (const excel::Error& e) {
        EXPECT_EQ(e.member(), "Worksheets");
        EXPECT_TRUE(e.message().contains("Nope"));
    }
}

TEST_P(ObjectModel, ReadsValuesAsSingleValuesOrArrays) {
    EXPECT_EQ(range("A2").Value(), Variant("Scratch"));
    EXPECT_TRUE(range("A5").Value().isEmpty());
    EXPECT_TRUE(range("C2").Value().isDate());
    EXPECT_EQ(range("C2").Value().toDateTime().date(), QDate(2024, 1, 15));
    EXPECT_EQ(range("A9").Value(), Variant(excel::ErrorValue::Div0));
    const Variant block = range("A1:B3").Value();
    ASSERT_TRUE(block.isArray());
    EXPECT_EQ(block.array().rows(), 3);
    EXPECT_EQ(block.array().columns(), 2);
    EXPECT_EQ(block.array().at(1, 2), Variant("Minutes"));
    EXPECT_EQ(block.array().at(3, 2), Variant(7.5));
    // A whole column reads up to the sheet's last row; its used part is what callers take.
    const auto used = app->Intersect(range("A:A"), app->ActiveSheet()->UsedRange());
    ASSERT_TRUE(used);
    EXPECT_EQ(used->Address(), "$A$1:$A$10");
}

TEST_P(ObjectModel, WorksOutGeometryLikeTheSpreadsheet) {
    const excel::Range r = range("A1:B3");
    EXPECT_EQ(r.Count(), 6);
    EXPECT_EQ(r.Rows().Count(), 3);
    EXPECT_EQ(r.Columns().Count(), 2);
    EXPECT_EQ(r.Rows()(2).Address(), "$A$2:$B$2");
    EXPECT_EQ(r.Columns()(2).Address(), "$B$1:$B$3");
    EXPECT_EQ(r.Cells(4, 3).Address(), "$C$4");
    EXPECT_EQ(r.Offset(1, 0).Resize(9, 1).Address(), "$A$2:$A$10");
    EXPECT_EQ(r.Worksheet()->Name(), "Data");
    const excel::Range two = range("A1:A3,C1");
    EXPECT_EQ(two.Areas().Count(), 2);
    EXPECT_EQ(two.Areas()(2).Address(), "$C$1");
    EXPECT_EQ(two.Count(), 4);
    EXPECT_EQ(two.Address(false, false), "A1:A3,C1");
    EXPECT_THROW(r.Offset(-1, 0), excel::Error);
    EXPECT_THROW(r.Resize(0, 1), excel::Error);
    EXPECT_THROW(two.Areas()(3), excel::Error);
    EXPECT_FALSE(app->Intersect(range("A1:A3"), range("B1:B3")));
    EXPECT_EQ(app->Intersect(two, range("A2:C3,C1"))->Address(), "$A$2:$A$3,$C$1");
    EXPECT_THROW(app->Intersect(r, app->Worksheets()("My sheet")->Range("A1")), excel::Error);
    // The application's Cells and Rows are the active sheet's.
    EXPECT_EQ(app->Cells(4, 3).Address(true, true, true), "[book.xlsx]Data!$C$4");
    EXPECT_EQ(app->Cells().Count(), app->ActiveSheet()->Cells().Count());
    EXPECT_EQ(app->Rows()(2).Address(), app->ActiveSheet()->Rows()(2).Address());
}

TEST_P(ObjectModel, FindsBlankAndErrorFormulaCells) {
    EXPECT_EQ(range("A1:A10").SpecialCells(4).Address(), "$A$5");
    EXPECT_EQ(range("A1:B10").SpecialCells(4).Count(), 6);
    EXPECT_EQ(range("A1:A10").SpecialCells(-4123, 16).Address(), "$A$9");
    // B6 holds an error value without a formula; the office keeps every error value as the
    // result of a formula.
    if (onOffice()) {
        EXPECT_EQ(range("B1:B6").SpecialCells(-4123, 16).Address(), "$B$6");
    } else {
        try {
            range("B1:B6").SpecialCells(-4123, 16);
            FAIL() << "no qualifying cell must raise an error";
        } catch (const excel::Error& e) {
            EXPECT_EQ(e.message(), "No cells were found.");
        }
    }
    try {
        range("A1:A8").SpecialCells(-4123, 16);
        FAIL() << "no qualifying cell must raise an error";
    } catch (const excel::Error& e) {
        EXPECT_EQ(e.message(), "No cells were found.");
    }
    // Blank cells are looked for inside the used range only.
    EXPECT_EQ(range("A:A").SpecialCells(4).Address(), "$A$5");
}

TEST_P(ObjectModel, SelectsAndActivates) {
    range("A2:A4").Select();
    EXPECT_EQ(app->Selection()->Address(), "$A$2:$A$4");
    EXPECT_THROW(app->Worksheets()("My sheet")->Range("A1").Select(), excel::Error);
    app->Worksheets()("My sheet")->Activate();
    EXPECT_EQ(app->ActiveSheet()->Name(), "My sheet");
    EXPECT_EQ(app->Selection()->Address(), "$A$1");
    app->ActiveWorkbook()->Activate();
    EXPECT_EQ(app->ActiveWorkbook()->ActiveSheet()->Name(), "My sheet");
}

TEST_P(ObjectModel, EvaluatesWorksheetFunctions) {
    const excel::Range column = range("A1:A10");
    EXPECT_EQ(app->CountA(column), 9);
    EXPECT_EQ(app->CountIf(column, "scratch"), 2);
    EXPECT_EQ(app->CountIf(column, "1"), 2);
    EXPECT_EQ(app->CountIf(column, "<>dent"), 8);
    EXPECT_EQ(app->CountIf(range("A1:A3,A10"), "dent"), 2);
    EXPECT_EQ(app->Max(range("B1:B5")), 7.5);
    EXPECT_THROW(app->Max(range("B1:B6")), excel::Error);
    EXPECT_EQ(app->Max(QVector<Variant>{3.0, "12", 7.0, Variant()}), 7.0);
    EXPECT_EQ(app->Max(QVector<Variant>{}), 0.0);
}

TEST_P(ObjectModel, AsksForARangeThroughTheHostsInputBox) {
    EXPECT_THROW(app->InputBox("Select a range"), excel::Error);
    QString askedWith;
    app->setRangeInputHandler([&](excel::Application& a, const QString& prompt, const QString&) {
        askedWith = prompt;
        return std::optional(a.Range("B2:B5"));
    });
    const auto answer = app->InputBox("Select a range in one column, header is first cell");
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->Address(), "$B$2:$B$5");
    EXPECT_EQ(askedWith, "Select a range in one column, header is first cell");
    EXPECT_THROW(app->InputBox("Number?", {}, 1), excel::Error);
    app->setRangeInputHandler([](excel::Application&, const QString&, const QString&) {
        return std::optional<excel::Range>(); // cancelled
    });
    EXPECT_FALSE(app->InputBox("Select"));
}

INSTANTIATE_TEST_SUITE_P(Backends, ObjectModel,
                         ::testing::Values(testsupport::conformanceBackend()));

#ifndef TALLYVANE_CONFORMANCE_UNO

TEST(RunningApplications, TheArgumentNamesTheWorkbookOrNothing) {
    embedded::registerEmbeddedProvider();
    EXPECT_FALSE(excel::activeApplication(""));
    EXPECT_FALSE(excel::activeApplication("/1002"));
    EXPECT_FALSE(excel::activeApplication("  "));
    const QString path = conformanceWorkbook();
    const auto first = excel::activeApplication("\"" + path + "\"");
    ASSERT_TRUE(first);
    // The host already running for that file is the one found again.
    EXPECT_EQ(excel::activeApplication(path), first);
    try {
        excel::activeApplication("/no/such/book.xlsx");
        FAIL() << "a missing workbook must be reported";
    } catch (const excel::Error& e) {
        EXPECT_EQ(e.message(), "There is no workbook file \"/no/such/book.xlsx\".");
    }
    const QString text = testsupport::scratchDir("notes") + "/notes.txt";
    testsupport::writeFile(text, "hello");
    try {
        excel::activeApplication(text);
        FAIL() << "a file of another kind must be refused";
    } catch (const excel::Error& e) {
        EXPECT_EQ(e.message(), "The workbook \"notes.txt\" cannot be opened: only workbook files "
                               "(.xlsx) and comma-separated files (.csv) can be opened; save it in "
                               "one of those formats and try again.");
    }
}

#endif

} // namespace
