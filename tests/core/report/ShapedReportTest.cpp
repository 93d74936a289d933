// The report of a shaped result (the Pareto options): its table in the result's order with the
// columns the options add and "Other" last, its chart with the header's title, the vital few set
// apart and the cut-off line; saved and read back from the file.

#include "core/analysis/ParetoOptions.h"
#include "core/report/ReportAction.h"
#include "engines/embedded/xlsx/XlsxReader.h"
#include "excel/Worksheet.h"
#include "support/AnalysisFixture.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace {

QVector<excel::Variant> column() {
    QVector<excel::Variant> values;
    for (const char* label : {"Dent", "Scratch", "Dent", "Crack", "Dent", "Scratch", "Dent",
                              "Burr", "Scratch", "Dent"})
        values.push_back(excel::Variant(QString::fromLatin1(label)));
    return values;
}

} // namespace

TEST(ShapedReport, WritesTheTableInItsOrderAndChartsTheClasses) {
    testsupport::Analysis a(column());
    a.analyse();
    analysis::ParetoOptions options;
    options.top = 3;
    options.classes = {80};
    analysis::ParetoResult shaped = analysis::shapeResult(a.table.Result, options);
    shaped.header = QStringLiteral("Defect");
    const auto book = a.app->ActiveWorkbook();
    const auto written = report::runReport(*a.app, book, shaped, true);
    ASSERT_EQ(written.outcome, report::ReportResult::Outcome::Written) << written.message.toStdString();
    const QString path = testsupport::scratchDir("shaped-report") + "/book.xlsx";
    a.app->save(*a.app->workbooks().front(), path);

    // Read back: Dent 5, Scratch 3, Crack 1 (before Burr, its equal, as first seen), then
    // Other 1; A while less than 80 % lies before, the rest B.
    const embedded::WorkbookData read = embedded::readXlsx(path);
    ASSERT_EQ(read.sheets.size(), 2u);
    const embedded::SheetData& sheet = read.sheets[1];
    ASSERT_EQ(sheet.name, "Tallyvane1");
    const auto cell = [&](int row, int col) { return sheet.cells->value(row + 1, col + 1); };
    const QStringList captions{"Category", "Count", "Count(%)", "Cum(%)", "Bar chart of Count(%)",
                               "Class", "Cut-off(%)"};
    for (int c = 0; c < 7; ++c)
        EXPECT_EQ(cell(0, c).toString(), captions[c]);
    const char* labels[] = {"Dent", "Scratch", "Crack", "Other"};
    const double counts[] = {5, 3, 1, 1};
    const char* classes[] = {"A", "A", "B", "B"};
    for (int r = 0; r < 4; ++r) {
        EXPECT_EQ(cell(r + 1, 0).toString(), labels[r]);
        EXPECT_EQ(cell(r + 1, 1).number(), counts[r]);
        EXPECT_EQ(cell(r + 1, 5).toString(), classes[r]);
        EXPECT_NEAR(cell(r + 1, 6).number(), 0.8, 1e-12);
    }
    EXPECT_NEAR(cell(4, 3).number(), 1.0, 1e-12) << "Other's cumulative share";

    ASSERT_EQ(sheet.charts.size(), 1u);
    const excel::ChartModel& chart = sheet.charts.front().chart;
    EXPECT_TRUE(chart.hasTitle);
    EXPECT_EQ(chart.title, "Pareto chart of Defect");
    ASSERT_EQ(chart.series.size(), 3u);
    const auto& bars = chart.series[0];
    EXPECT_EQ(bars.fill.rgb, 0x002060);
    EXPECT_EQ(bars.pointFills.size(), 2u);
    for (int point : {2, 3}) {
        ASSERT_TRUE(bars.pointFills.count(point)) << point;
        EXPECT_EQ(bars.pointFills.at(point).rgb, 0x8FAADC);
    }
    const auto& cut = chart.series[2];
    EXPECT_EQ(excel::seriesTitle(cut.name), "Cut-off 80%");
    EXPECT_EQ(cut.axisGroup, excel::kSecondaryAxis);
    EXPECT_FALSE(cut.markers);
    EXPECT_EQ(cut.fill.rgb, 0xC00000);
    EXPECT_TRUE(cut.values.contains("$G$2:$G$5")) << cut.values.toStdString();
}
