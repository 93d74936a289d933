// The chart widget at any size: a Pareto chart of 12 categories with long labels and one of
// 32,767 categories drawn on the offscreen platform (pictures of both are left in the test's
// folder), and a chart of a kind it does not draw.

#include "ui/sheetview/ChartWidget.h"

#include "support/TestFiles.h"

#include <QAbstractBarSeries>
#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>
#include <QValueAxis>
#include <QXYSeries>
#include <gtest/gtest.h>
#include <numeric>

namespace {

// The report's Pareto chart over categories with these counts (largest first): shares as
// columns on the primary axis, the cumulative share as a smoothed line on the secondary one,
// both labelled "0.0%".
struct Pareto {
    explicit Pareto(const std::vector<double>& counts, const QStringList& labels) {
        const double total = std::accumulate(counts.begin(), counts.end(), 0.0);
        double running = 0;
        for (size_t i = 0; i < counts.size(); ++i) {
            running += counts[i];
            shares.emplace_back(counts[i] / total);
            cumulative.emplace_back(running / total);
            names.emplace_back(labels.value(qsizetype(i), QStringLiteral("Code %1").arg(i + 1)));
        }
        excel::SeriesModel columns;
        columns.name = "=\"Count(%)\"";
        columns.values = "R!C";
        columns.xValues = "R!A";
        columns.dataLabels = true;
        columns.labelNumberFormat = "0.0%";
        columns.fill.rgb = 0x002060;
        excel::SeriesModel line = columns;
        line.name = "=\"Pareto curve\"";
        line.values = "R!D";
        line.chartType = excel::kLineMarkers;
        line.axisGroup = excel::kSecondaryAxis;
        line.smooth = true;
        line.fill = {};
        line.labelPosition = excel::kLabelPositionAbove;
        shape.chart.series = {columns, line};
        shape.chart.gapWidth = 27;
        shape.chart.hasTitle = false;
        shape.chart.axes[{excel::kValueAxis, excel::kPrimaryAxis}].numberFormat = "0.0%";
        shape.chart.axes[{excel::kValueAxis, excel::kSecondaryAxis}].numberFormat = "0.0%";
        shape.chart.axes[{excel::kValueAxis, excel::kSecondaryAxis}].maximum = 1;
        shape.width = 540;
        shape.height = 324;
    }
    sheetview::ChartWidget::ValuesOf values() const {
        return [this](const QString& reference) {
            if (reference == "R!C")
                return shares;
            if (reference == "R!D")
                return cumulative;
            return names;
        };
    }
    std::vector<excel::Variant> shares, cumulative, names;
    excel::ChartShapeModel shape;
};

void drawn(sheetview::ChartWidget& chart, const QString& picture) {
    chart.resize(int(chart.shape().width * 4 / 3), int(chart.shape().height * 4 / 3));
    chart.show();
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
    chart.grab().save(testsupport::scratchDir("chart") + "/" + picture);
}

// Where the shown data labels are, on the chart.
std::vector<QRectF> shownLabelBoxes(const sheetview::ChartWidget& chart) {
    std::vector<QRectF> boxes;
    for (QGraphicsItem* item : chart.chart()->childItems()) {
        auto* ground = dynamic_cast<QGraphicsRectItem*>(item);
        const bool label = ground && ground->childItems().size() == 1 &&
                           dynamic_cast<QGraphicsSimpleTextItem*>(ground->childItems().front());
        if (label && ground->isVisible())
            boxes.push_back(ground->mapRectToScene(ground->rect()));
    }
    return boxes;
}

} // namespace

TEST(ChartWidget, TwelveCategoriesShowWholeLabelsAndLabelsThatDoNotCoverEachOther) {
    const QStringList labels = {"Scratch on the front panel", "Dent", "Misaligned label",
                                "Paint run", "Missing screw", "Crack", "Warp", "Contamination",
                                "Discoloration", "Burr", "Sink mark", "Loose connector"};
    Pareto p({126, 80, 57, 37, 36, 36, 16, 16, 16, 14, 9, 8}, labels);
    sheetview::ChartWidget chart(p.shape, p.values());
    drawn(chart, "pareto-12.png");
    ASSERT_TRUE(chart.categoryAxis());
    EXPECT_FALSE(chart.categoryAxis()->truncateLabels());
    EXPECT_EQ(chart.categoryAxis()->categories(), labels) << "every label whole, none summed";
    EXPECT_EQ(chart.mergedCategories(), 0);
    ASSERT_EQ(chart.categoryLabels().size(), 12u);
    for (size_t i = 0; i < 12; ++i) {
        const QGraphicsSimpleTextItem* label = chart.categoryLabels()[i];
        EXPECT_EQ(label->text(), labels[qsizetype(i)]);
        EXPECT_EQ(label->rotation(), -90) << "long labels stand upright";
        EXPECT_TRUE(chart.rect().contains(label->mapRectToScene(label->boundingRect()).toRect()))
            << "whole, inside the chart: " << i;
        EXPECT_GE(label->mapRectToScene(label->boundingRect()).top(), chart.chart()->plotArea().bottom())
            << "below the plot";
    }
    EXPECT_EQ(chart.dataLabels().size(), 24);
    const std::vector<QRectF> boxes = shownLabelBoxes(chart);
    ASSERT_GE(boxes.size(), 12u);
    for (size_t i = 0; i < boxes.size(); ++i)
        for (size_t j = i + 1; j < boxes.size(); ++j)
            EXPECT_FALSE(boxes[i].intersects(boxes[j])) << i << " " << j;
    // Each column's own label stands above it.
    QAbstractBarSeries* columns = chart.columns();
    ASSERT_TRUE(columns);
    for (int i = 0; i < 12; ++i) {
        const QPointF top = chart.chart()->mapToPosition(QPointF(i, p.shares[size_t(i)].number()),
                                                         columns);
        const bool labelAbove = std::any_of(boxes.begin(), boxes.end(), [&](const QRectF& b) {
            return b.bottom() <= top.y() + 0.5 && std::abs(b.center().x() - top.x()) < 2;
        });
        EXPECT_TRUE(labelAbove || i >= 6) << "column " << i; // the first, large ones at least
    }
}

TEST(ChartWidget, ManyCategoriesStayAParetoChart) {
    std::vector<double> counts;
    for (int i = 0; i < 32767; ++i) // as defect codes fall off: a few many, a long tail
        counts.push_back(std::floor(2000000.0 / (i + 1)));
    Pareto p(counts, {});
    sheetview::ChartWidget chart(p.shape, p.values());
    drawn(chart, "pareto-32767.png");
    const QStringList shown = chart.categoryAxis()->categories();
    ASSERT_GE(shown.size(), 10);
    EXPECT_LE(shown.size(), 60) << "as many bars as fit the width";
    EXPECT_EQ(chart.mergedCategories(), 32767 - shown.size() + 1);
    EXPECT_EQ(shown.back(), QStringLiteral("Other (%1 categories)").arg(chart.mergedCategories()));
    // The last bar is the sum of the shares it stands for; the curve still ends at 100 %.
    double rest = 0;
    for (size_t i = size_t(shown.size() - 1); i < counts.size(); ++i)
        rest += p.shares[i].number();
    QBarSet* bars = chart.columns()->barSets().front();
    ASSERT_EQ(bars->count(), shown.size());
    EXPECT_NEAR(bars->at(shown.size() - 1), rest, 1e-9);
    EXPECT_NEAR(bars->at(0), p.shares[0].number(), 1e-12);
    ASSERT_TRUE(chart.line());
    EXPECT_EQ(chart.line()->count(), shown.size());
    EXPECT_NEAR(chart.line()->at(shown.size() - 1).y(), 1.0, 1e-9);
    EXPECT_NEAR(chart.line()->at(1).y(), p.cumulative[1].number(), 1e-12);
    // The primary axis reaches the summed bar.
    EXPECT_GE(chart.valueAxis(excel::kPrimaryAxis)->max(), rest);
    const std::vector<QRectF> boxes = shownLabelBoxes(chart);
    for (size_t i = 0; i < boxes.size(); ++i)
        for (size_t j = i + 1; j < boxes.size(); ++j)
            EXPECT_FALSE(boxes[i].intersects(boxes[j])) << i << " " << j;
}

// The report's table holds its shares rounded to 0.0 %: most of a long tail reads 0. The last bar
// is then what the curve climbs over the rest, not the sum of the rounded zeros.
TEST(ChartWidget, TheLastBarOfRoundedSharesIsWhatTheCurveClimbs) {
    std::vector<double> counts;
    for (int i = 0; i < 32767; ++i)
        counts.push_back(1 + std::floor(200 / std::pow(1 + i, 0.7)));
    Pareto p(counts, {});
    const auto rounded = [](std::vector<excel::Variant>& values) {
        for (excel::Variant& v : values)
            v = std::round(v.number() * 1000) / 1000;
    };
    rounded(p.shares);
    rounded(p.cumulative);
    sheetview::ChartWidget chart(p.shape, p.values());
    drawn(chart, "pareto-rounded.png");
    const int shown = int(chart.categoryAxis()->categories().size());
    QBarSet* bars = chart.columns()->barSets().front();
    const double climbed = 1.0 - p.cumulative[size_t(shown - 2)].number();
    EXPECT_GT(climbed, 0.9) << "the tail is most of the data";
    EXPECT_NEAR(bars->at(shown - 1), climbed, 1e-9);
    EXPECT_GE(chart.valueAxis(excel::kPrimaryAxis)->max(), climbed);
}

TEST(ChartWidget, AChartOfAnotherKindIsAFramedPlaceholder) {
    excel::ChartShapeModel shape;
    shape.chart.otherKind = "pie chart";
    shape.chart.title = "Share by line";
    shape.chart.hasTitle = true;
    sheetview::ChartWidget chart(shape, [](const QString&) { return std::vector<excel::Variant>{}; });
    drawn(chart, "placeholder.png");
    EXPECT_EQ(chart.placeholderText(), "Share by line\nA pie chart, which this window does not draw");
    EXPECT_EQ(chart.chart()->title(), "Share by line");
    EXPECT_FALSE(chart.columns());
}
