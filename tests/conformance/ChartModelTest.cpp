// The chart members of the object model against every backend that can run here: what a chart
// refuses (in the member's own words) and how a chart object moves and scales on its sheet.

#include "excel/Application.h"
#include "excel/Chart.h"
#include "excel/Error.h"
#include "excel/RunningApplications.h"
#include "support/Backends.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace {

class ChartModel : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        path = testsupport::scratchDir("charts") + "/charts.xlsx";
        testsupport::writeXlsx(path, {testsupport::sheetSpec("Data", {{"A1", "x"}, {"C2", 0.5}})});
        app = testsupport::attachBackend(GetParam(), path);
        ASSERT_TRUE(app);
        app->ActiveSheet()->Cells(1, 7).Select();
    }
    void TearDown() override { testsupport::releaseBackend(GetParam(), path); }
    static QString errorOf(const std::function<void()>& f) {
        try {
            f();
        } catch (const excel::Error& e) {
            return e.member() + ": " + e.message();
        }
        return {};
    }
    QString path;
    std::shared_ptr<excel::Application> app;
};

} // namespace

TEST_P(ChartModel, RefusesWhatAChartOfThisKindCannotDo) {
    auto sheet = app->ActiveSheet();
    EXPECT_EQ(errorOf([&] { sheet->AddChart2(201, 4); }), "AddChart2: chart type 4 is not offered");
    excel::ChartShape shape = sheet->AddChart2(201, excel::kColumnClustered);
    EXPECT_EQ(errorOf([&] { app->ActiveChart(); }), "ActiveChart: no chart is active");
    shape.Select();
    excel::Chart chart = app->ActiveChart();
    EXPECT_EQ(errorOf([&] { chart.FullSeriesCollection(1); }),
              "FullSeriesCollection: there is no series 1; the chart has 0");
    excel::Series s = chart.NewSeries();
    EXPECT_EQ(errorOf([&] { s.setValues("not a reference!"); }),
              "Values: \"not a reference!\" is not a cell reference");
    EXPECT_EQ(errorOf([&] { chart.Axes(excel::kValueAxis, excel::kSecondaryAxis); }),
              "Axes: the chart has no secondary axis: no series is plotted on it");
    EXPECT_EQ(errorOf([&] { s.DataLabels(); }), "DataLabels: series 1 shows no data labels");
    s.ApplyDataLabels();
    EXPECT_EQ(errorOf([&] { s.DataLabels().setPosition(excel::kLabelPositionAbove); }),
              "Position: labels above the point are offered for lines only");
    s.setChartType(excel::kLineMarkers);
    s.DataLabels().setPosition(excel::kLabelPositionAbove);
    EXPECT_EQ(errorOf([&] { chart.SetElement(2); }),
              "SetElement: element 2 is not offered; 0 (no title) is");
    EXPECT_EQ(errorOf([&] { chart.Axes(excel::kCategoryAxis).setMaximumScale(1); }),
              "MaximumScale: a category axis has no maximum");
    EXPECT_EQ(errorOf([&] { s.Fill().ForeColor().setRGB(0x1000000); }),
              "RGB: 16777216 is not a colour");
    EXPECT_EQ(errorOf([&] { shape.ScaleWidth(2, 1, 0); }),
              "ScaleWidth: only a positive factor of the current size, from the top-left corner, "
              "is offered");
}

TEST_P(ChartModel, MovesAndScalesFromItsTopLeftCornerAndStaysOnTheSheet) {
    excel::ChartShape shape = app->ActiveSheet()->AddChart2(201, excel::kColumnClustered);
    const excel::ChartShapeModel& m = shape.model();
    EXPECT_DOUBLE_EQ(m.top, 111.0) << "below the active cell G1";
    EXPECT_DOUBLE_EQ(m.width, 360.0);
    EXPECT_DOUBLE_EQ(m.height, 216.0);
    const double left = m.left;
    shape.IncrementLeft(27);
    shape.IncrementTop(-103.8);
    EXPECT_DOUBLE_EQ(m.left, left + 27);
    EXPECT_NEAR(m.top, 7.2, 1e-9);
    shape.IncrementTop(-100);
    EXPECT_DOUBLE_EQ(m.top, 0) << "a shape cannot leave the sheet at the top";
    shape.ScaleWidth(0.5);
    shape.ScaleHeight(2);
    EXPECT_DOUBLE_EQ(m.width, 180.0);
    EXPECT_DOUBLE_EQ(m.height, 432.0);
    EXPECT_DOUBLE_EQ(m.left, left + 27) << "the top-left corner stays";
    excel::Chart chart = shape.Chart();
    chart.setPlotAreaHeight(1000);
    EXPECT_DOUBLE_EQ(*m.chart.plotAreaHeight, 432.0) << "the plot area stays within the chart";
    excel::TextShape label = chart.AddLabel(1, -5, 2000, 100, 15);
    EXPECT_DOUBLE_EQ(m.chart.shapes[0].left, 0);
    EXPECT_DOUBLE_EQ(m.chart.shapes[0].top, 432.0 - 15);
    chart.Axes(excel::kValueAxis).Select();
    EXPECT_TRUE(chart.selectedAxis().has_value());
    label.Select();
    EXPECT_FALSE(chart.selectedAxis().has_value());
    EXPECT_EQ(chart.selectedShape()->index(), 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, ChartModel,
                         ::testing::Values(testsupport::conformanceBackend()));
