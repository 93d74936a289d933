// The report action over workbooks hosted by the embedded engine: the sheet it adds, the table,
// the chart it draws, the clipboard text, and what reaches the file when a step fails.

#include "core/report/ReportAction.h"

#include "core/analysis/SortListView.h"
#include "excel/Clipboard.h"
#include "excel/Error.h"
#include "excel/ListObjects.h"
#include "excel/Workbook.h"
#include "support/AnalysisFixture.h"
#include "support/TestFiles.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace testsupport;

namespace {

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

// A workbook file with the defect column on "Data" (header first) and further empty sheets.
struct ReportBook {
    explicit ReportBook(const QString& test, const QStringList& values,
                        const QStringList& otherSheets = {}, int activeTab = 0) {
        path = scratchDir(test) + QStringLiteral("/Book.xlsx");
        SheetSpec data =
            sheetSpec(QStringLiteral("Data"), {{QStringLiteral("A1"), excel::Variant("Defect")}});
        for (int i = 0; i < values.size(); ++i)
            data.cells.emplace_back(QStringLiteral("A%1").arg(i + 2), excel::Variant(values[i]));
        std::vector<SheetSpec> sheets{data};
        for (const QString& name : otherSheets)
            sheets.push_back(sheetSpec(name, {{QStringLiteral("B2"), excel::Variant(1)}}));
        writeXlsx(path, sheets, activeTab);
        app = embedded::EmbeddedApplication::create();
        app->open(path);
        analysis =
            std::make_unique<Analysis>(app, QStringLiteral("Data!A2:A%1").arg(values.size() + 1));
        analysis->analyse();
    }
    report::ReportResult run(bool chart) {
        return report::runReport(*app, app->ActiveWorkbook(), analysis->main, chart, hooks);
    }
    std::shared_ptr<excel::Worksheet> sheet(const QString& name) {
        return app->ActiveWorkbook()->Worksheets()(name);
    }
    QStringList sheetNames() {
        QStringList names;
        auto book = app->ActiveWorkbook();
        for (int i = 1; i <= book->sheetCount(); ++i)
            names << book->sheetAt(i)->Name();
        return names;
    }
    QStringList column(const QString& sheetName, int column) {
        auto s = sheet(sheetName);
        QStringList out;
        for (int row = 1; row <= s->usedRect().bottom; ++row)
            out << s->Cells(row, column).Text();
        return out;
    }

    QString path;
    std::shared_ptr<embedded::EmbeddedApplication> app;
    std::unique_ptr<Analysis> analysis;
    QStringList busy;
    report::ReportHooks hooks{[this](bool on) { busy << (on ? "shown" : "hidden"); }, {}};
};

const QStringList kDefects = {"Scratch", "Dent", "Scratch", "Crack", "Scratch", "Dent", "Burr"};

} // namespace

struct NameCase {
    QStringList existing;
    QString expected;
};

class ReportSheetName : public ::testing::TestWithParam<NameCase> {};

TEST_P(ReportSheetName, IsTheFirstFreeNumberAndGoesLast) {
    // The defect sheet is active, with the existing sheets after it: the new one still goes last.
    ReportBook book(QStringLiteral("name"), kDefects, GetParam().existing, 0);
    const auto result = book.run(false);
    ASSERT_EQ(result.outcome, report::ReportResult::Outcome::Written)
        << result.message.toStdString();
    EXPECT_EQ(result.sheetName, GetParam().expected);
    EXPECT_EQ(book.sheetNames().back(), GetParam().expected);
    EXPECT_EQ(book.app->ActiveSheet()->Name(), GetParam().expected);
    EXPECT_FALSE(book.app->ActiveSheet()->DisplayRightToLeft());
}

INSTANTIATE_TEST_SUITE_P(Names, ReportSheetName,
                         ::testing::Values(NameCase{{"Tallyvane1", "Tallyvane2", "Tallyvane3"},
                                                    "Tallyvane4"},
                                           NameCase{{"Tallyvane2"}, "Tallyvane1"},
                                           NameCase{{"tallyvane1"}, "Tallyvane2"},
                                           NameCase{{"Tallyvane01", "Tallyvane"}, "Tallyvane1"}));

TEST(ReportAction, AllHundredNamesTakenAddsNothingAndSaysSo) {
    QStringList taken;
    for (int n = 1; n <= 100; ++n)
        taken << QStringLiteral("Tallyvane%1").arg(n);
    ReportBook book(QStringLiteral("hundred"), kDefects, taken);
    const auto result = book.run(true);
    EXPECT_EQ(result.outcome, report::ReportResult::Outcome::NoFreeName);
    EXPECT_TRUE(result.message.contains(QStringLiteral("Tallyvane1 to Tallyvane100")));
    EXPECT_EQ(book.sheetNames().size(), 101);
    EXPECT_EQ(book.busy, QStringList({"shown", "hidden"}));
}

TEST(ReportAction, AnEmptyListDoesNothing) {
    ReportBook book(QStringLiteral("empty"), kDefects);
    platform::ListViewModel empty;
    const auto result = report::runReport(*book.app, book.app->ActiveWorkbook(), empty, true);
    EXPECT_EQ(result.outcome, report::ReportResult::Outcome::NothingToReport);
    EXPECT_EQ(book.sheetNames().size(), 1);
}

TEST(ReportAction, WithoutTheChartRowsKeepTheListOrderAndTheTableIsFormatted) {
    ReportBook book(QStringLiteral("nochart"), kDefects);
    platform::ListViewModel& list = book.analysis->main;
    analysis::SortByColumn(list, 1, 0, analysis::TextSort, book.analysis->ui); // by name
    ASSERT_EQ(book.run(false).outcome, report::ReportResult::Outcome::Written);
    EXPECT_EQ(book.column(QStringLiteral("Tallyvane1"), 1),
              QStringList({"Category", "Burr", "Crack", "Dent", "Scratch"}));
    EXPECT_EQ(book.column(QStringLiteral("Tallyvane1"), 3),
              QStringList({"Count(%)", "14.3%", "14.3%", "28.6%", "42.9%"}));
    auto sheet = book.sheet(QStringLiteral("Tallyvane1"));
    // Pasted as numbers with their formats, as the text import reads them.
    EXPECT_EQ(sheet->cellValue(5, 2), excel::Variant(3.0));
    EXPECT_EQ(sheet->cellValue(5, 3), excel::Variant(0.429));
    EXPECT_EQ(sheet->cellFormat(5, 3).numberFormat, QStringLiteral("0.0%"));
    // The style's bands as the table left them; the generated header row is gone.
    EXPECT_EQ(sheet->cellFormat(1, 1).fillColor, excel::kMedium11Band1);
    EXPECT_EQ(sheet->cellFormat(2, 1).fillColor, excel::kMedium11Band2);
    EXPECT_EQ(sheet->cellFormat(1, 1).fontName, QStringLiteral("Calibri"));
    EXPECT_EQ(sheet->cellFormat(9, 9).horizontalAlignment, excel::kAlignLeft);
    EXPECT_GT(sheet->columnWidth(5), sheet->columnWidth(2)); // the bar caption is the widest text
    EXPECT_EQ(book.app->ActiveWorkbook()->Names().Count(), 0);
    EXPECT_EQ(sheet->shapeCount(), 0);
}

TEST(ReportAction, WithTheChartRowsAreSortedByShareAndTheNamesAreGone) {
    ReportBook book(QStringLiteral("chart"), kDefects);
    analysis::SortByColumn(book.analysis->main, 1, 0, analysis::TextSort, book.analysis->ui);
    ASSERT_EQ(book.run(true).outcome, report::ReportResult::Outcome::Written);
    EXPECT_EQ(book.column(QStringLiteral("Tallyvane1"), 1),
              QStringList({"Category", "Scratch", "Dent", "Burr", "Crack"}));
    EXPECT_EQ(book.app->ActiveWorkbook()->Names().Count(), 0);
    EXPECT_TRUE(book.app->ScreenUpdating());
    EXPECT_EQ(book.busy, QStringList({"shown", "hidden"}));

    auto sheet = book.sheet(QStringLiteral("Tallyvane1"));
    ASSERT_EQ(sheet->shapeCount(), 1);
    const excel::ChartShapeModel& shape = sheet->Shapes(1).model();
    const excel::ChartModel& chart = shape.chart;
    ASSERT_EQ(chart.series.size(), 2u);
    EXPECT_FALSE(chart.hasTitle);
    EXPECT_EQ(chart.series[0].name, QStringLiteral("=\"Count(%)\""));
    EXPECT_EQ(chart.series[0].values, QStringLiteral("Tallyvane1!$C$2:$C$5"));
    EXPECT_EQ(chart.series[0].xValues, QStringLiteral("Tallyvane1!$A$2:$A$5"));
    EXPECT_EQ(chart.series[0].fill.rgb, 0x002060);
    EXPECT_EQ(chart.series[0].labelNumberFormat, QStringLiteral("0.0%"));
    EXPECT_EQ(chart.series[1].values, QStringLiteral("Tallyvane1!$D$2:$D$5"));
    EXPECT_EQ(chart.series[1].chartType, excel::kLineMarkers);
    EXPECT_EQ(chart.series[1].axisGroup, excel::kSecondaryAxis);
    EXPECT_TRUE(chart.series[1].smooth);
    EXPECT_EQ(chart.series[1].labelPosition, excel::kLabelPositionAbove);
    EXPECT_EQ(chart.gapWidth, 27);
    EXPECT_EQ(chart.axes.at({2, 2}).maximum, 1.0);
    EXPECT_EQ(chart.axes.at({2, 2}).numberFormat, QStringLiteral("0.0%"));
    EXPECT_EQ(chart.axes.at({2, 1}).numberFormat, QStringLiteral("0.0%"));
    EXPECT_NEAR(shape.width, 360 * 1.8233333333, 1e-6);
    EXPECT_NEAR(shape.height, 216 * 1.8805555556, 1e-6);
    EXPECT_DOUBLE_EQ(*chart.plotAreaHeight, 380.001);
    EXPECT_EQ(shape.shadowType, 21);
    EXPECT_EQ(shape.fill.themeColor, 2);
    ASSERT_EQ(chart.shapes.size(), 1u);
    const excel::TextShapeModel& label = chart.shapes[0];
    EXPECT_EQ(label.text, QStringLiteral("Generated by Tallyvane"));
    EXPECT_EQ(label.textRgb, 0x0070C0);
    EXPECT_FALSE(label.hyperlink.isEmpty());
    // Asked for at 800 points, the label is shown at the chart's lower edge.
    EXPECT_DOUBLE_EQ(label.top, shape.height - 15);
}

TEST(ReportAction, OneCategoryGivesOneBarAndACurveAtAHundredPercent) {
    ReportBook book(QStringLiteral("one"), {"Scratch", "Scratch"});
    ASSERT_EQ(book.run(true).outcome, report::ReportResult::Outcome::Written);
    const auto& chart = book.sheet(QStringLiteral("Tallyvane1"))->Shapes(1).model().chart;
    // One cell's address, as the spreadsheet gives it.
    EXPECT_EQ(chart.series[0].values, QStringLiteral("Tallyvane1!$C$2"));
    EXPECT_EQ(chart.series[1].values, QStringLiteral("Tallyvane1!$D$2"));
    EXPECT_EQ(book.column(QStringLiteral("Tallyvane1"), 4), QStringList({"Cum(%)", "100.0%"}));
}

TEST(ReportAction, TheClipboardHoldsTheTableText) {
    ReportBook book(QStringLiteral("clipboard"), {"Dent", "Scratch", "Dent"});
    ASSERT_EQ(book.run(false).outcome, report::ReportResult::Outcome::Written);
    const QString expected =
        QStringLiteral("Category\tCount\tCount(%)\tCum(%)\tBar chart of Count(%)\t\r\n") +
        QStringLiteral("Dent\t2\t66.7%\t66.7%\t") + QString(30, u'*') +
        QStringLiteral("\r\nScratch\t1\t33.3%\t100.0%\t") + QString(15, u'*') +
        QStringLiteral("\r\n\r\n");
    EXPECT_EQ(excel::clipboardText(), expected);
}

// Labels that break tab-separated text, and those that the text marks with an apostrophe
// (formulas, a leading apostrophe or tab of their own), reach the report sheet as they are.
TEST(ReportAction, LabelsWithTabsLineBreaksAndALeadingEqualsArriveUnchanged) {
    const QStringList odd = {"a\tb", "two\r\nlines", "=1+1", "\"quoted\"", "lone\rCR", "x\ny",
                             "+cmd|' /C calc'!A0", "@SUM(1)", "-2+3", "'apostrophe", "''two",
                             "\tlead"};
    ReportBook book(QStringLiteral("odd"), odd);
    ASSERT_EQ(book.run(true).outcome, report::ReportResult::Outcome::Written);
    QStringList listed;
    for (int row = 0; row < book.analysis->main.count(); ++row)
        listed << book.analysis->main.text(row);
    QStringList cells = book.column(QStringLiteral("Tallyvane1"), 1).mid(1);
    listed.sort();
    cells.sort();
    EXPECT_EQ(cells, listed);
    EXPECT_EQ(book.column(QStringLiteral("Tallyvane1"), 2).mid(1),
              QStringList(odd.size(), "1"));
}

// A step that does its work and then fails, as when the spreadsheet refuses the call after it.
class FailingSteps : public report::ReportSteps {
public:
    FailingSteps(excel::Application& app, std::shared_ptr<excel::Workbook> book, QString step)
        : ReportSteps(app, std::move(book))
        , m_step(std::move(step)) {}
    bool CreateNewSheet() override {
        return ReportSteps::CreateNewSheet() && check("CreateNewSheet");
    }
    void PasteTable() override {
        ReportSteps::PasteTable();
        check("PasteTable");
    }
    void FormatMe() override {
        ReportSteps::FormatMe();
        check("FormatMe");
    }
    void NameIt() override {
        ReportSteps::NameIt();
        check("NameIt");
    }
    void SortRange() override {
        ReportSteps::SortRange();
        check("SortRange");
    }
    void DrawChart() override {
        ReportSteps::DrawChart();
        check("DrawChart");
    }
    void DeleteNames() override {
        ReportSteps::DeleteNames();
        check("DeleteNames");
    }

private:
    bool check(const char* step) {
        if (m_step == QLatin1String(step))
            throw excel::Error(QStringLiteral("Injected"), QStringLiteral("refused by the test"));
        return true;
    }
    QString m_step;
};

class ReportFailure : public ::testing::TestWithParam<const char*> {};

TEST_P(ReportFailure, LeavesTheFileAsItWasAndTheWindowUsable) {
    ReportBook book(QStringLiteral("fail_%1").arg(GetParam()), kDefects);
    const QByteArray before = fileBytes(book.path);
    FailingSteps steps(*book.app, book.app->ActiveWorkbook(), QString::fromLatin1(GetParam()));
    const auto result = report::runReport(*book.app, steps, book.analysis->main, true, book.hooks);
    ASSERT_EQ(result.outcome, report::ReportResult::Outcome::Failed);
    EXPECT_TRUE(result.message.startsWith(QStringLiteral("The report could not be finished: ")))
        << result.message.toStdString();
    EXPECT_TRUE(result.message.contains(QStringLiteral("Injected: refused by the test")));
    EXPECT_TRUE(book.app->ScreenUpdating());
    EXPECT_EQ(book.busy.back(), QStringLiteral("hidden"));
    // The unfinished sheet and names are dropped; a later completed action does not carry them
    // into the file either.
    EXPECT_EQ(book.sheetNames(), QStringList({"Data"}));
    book.app->endSession();
    EXPECT_EQ(fileBytes(book.path), before);
    EXPECT_TRUE(book.app->savedFiles().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(EachStep, ReportFailure,
                         ::testing::Values("CreateNewSheet", "PasteTable", "FormatMe", "NameIt",
                                           "SortRange", "DrawChart", "DeleteNames"));

TEST(ReportAction, AFailedReportIsNotSavedWithALaterAction) {
    ReportBook book(QStringLiteral("later"), kDefects);
    FailingSteps steps(*book.app, book.app->ActiveWorkbook(), QStringLiteral("DrawChart"));
    ASSERT_EQ(report::runReport(*book.app, steps, book.analysis->main, true).outcome,
              report::ReportResult::Outcome::Failed);
    ASSERT_EQ(book.run(false).outcome, report::ReportResult::Outcome::Written);
    book.app->endSession();
    auto reread = embedded::EmbeddedApplication::create();
    reread->open(book.path);
    auto saved = reread->ActiveWorkbook();
    ASSERT_EQ(saved->sheetCount(), 2);
    EXPECT_EQ(saved->sheetAt(2)->Name(), QStringLiteral("Tallyvane1"));
    EXPECT_EQ(saved->sheetAt(2)->shapeCount(), 0);
}
