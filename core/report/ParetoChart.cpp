// The Pareto chart of the report: columns of each category's share, the cumulative share as a
// smoothed line on a secondary axis that ends at 100 %, and a linked label.
#include "core/report/ReportAction.h"
#include "excel/Chart.h"

namespace report {

namespace {

void hideFormatPane(excel::Application& app) {
    app.setCommandBarVisible(QStringLiteral("Format Object"), false);
}

constexpr int kDarkBlue = 0 + 32 * 256 + 96 * 65536;   // RGB(0, 32, 96)
constexpr int kLinkBlue = 0 + 112 * 256 + 192 * 65536; // RGB(0, 112, 192)
constexpr int kLightBlue = 143 + 170 * 256 + 220 * 65536; // RGB(143, 170, 220)
constexpr int kCutOffRed = 192 + 0 * 256 + 0 * 65536;   // RGB(192, 0, 0)

// The object model's RGB() packs red first; the chart model keeps 0xRRGGBB.
constexpr int toRrggbb(int rgb) {
    return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
}

} // namespace

void ReportSteps::DrawChart() {
    auto sheet = m_app.ActiveSheet();
    // Beside the table: after its five columns, or after the columns a shaped result adds.
    const int beside =
        m_result ? int(analysis::resultCaptions(*m_result).size()) + (m_result->classed ? 1 : 0) + 2
                 : 7;
    sheet->Cells(m_top, beside).Select();
    sheet->AddChart2(201, excel::kColumnClustered).Select();
    excel::Chart chart = m_app.ActiveChart();

    chart.NewSeries();
    chart.FullSeriesCollection(1).setName(QStringLiteral("=\"Count(%)\""));
    const QString labels = referenceTo(kLabelsName);
    chart.FullSeriesCollection(1).setValues(referenceTo(kShareName));
    chart.FullSeriesCollection(1).setXValues(labels);

    chart.NewSeries();
    chart.FullSeriesCollection(2).setName(QStringLiteral("=\"Pareto curve\""));
    chart.FullSeriesCollection(2).setValues(referenceTo(kCumulativeName));
    chart.FullSeriesCollection(2).setXValues(labels);

    chart.selectChartArea();
    chart.FullSeriesCollection(2).setChartType(excel::kLineMarkers);
    chart.FullSeriesCollection(2).Select();
    chart.FullSeriesCollection(2).setAxisGroup(excel::kSecondaryAxis);
    chart.FullSeriesCollection(2).Select();
    hideFormatPane(m_app);

    chart.Axes(excel::kValueAxis, excel::kSecondaryAxis)
        .setTickLabelNumberFormat(QStringLiteral("0.0%"));
    chart.Axes(excel::kValueAxis, excel::kSecondaryAxis).setMaximumScale(1);
    hideFormatPane(m_app);

    chart.Axes(excel::kValueAxis).Select();
    chart.selectedAxis()->setTickLabelNumberFormat(QStringLiteral("0.0%"));
    hideFormatPane(m_app);
    hideFormatPane(m_app);

    chart.FullSeriesCollection(1).Select();
    chart.FullSeriesCollection(1).ApplyDataLabels();
    chart.FullSeriesCollection(1).DataLabels().Select();

    chart.FullSeriesCollection(2).Select();
    chart.FullSeriesCollection(2).ApplyDataLabels();
    chart.FullSeriesCollection(2).DataLabels().setPosition(excel::kLabelPositionAbove);
    hideFormatPane(m_app);

    chart.selectPlotArea();
    chart.FullSeriesCollection(2).Select();
    chart.FullSeriesCollection(2).setSmooth(true);
    hideFormatPane(m_app);

    chart.FullSeriesCollection(1).Select();
    chart.setGapWidth(1, 27);
    chart.FullSeriesCollection(1).Fill().ForeColor().setRGB(toRrggbb(kDarkBlue));

    chart.selectChartArea();
    chart.SetElement();
    chart.SetElement();
    if (m_result)
        DrawOptions();

    ResizeChart();
    CreateHyperlink();
}

void ReportSteps::DrawOptions() {
    excel::Chart chart = m_app.ActiveChart();
    if (m_result->rankedByWeight)
        chart.FullSeriesCollection(1).setName(QStringLiteral("=\"Weight(%)\""));
    // "Pareto chart of Defect", and a group's: "Pareto chart of Defect: L2".
    QString title;
    if (!m_result->header.isEmpty())
        title = QStringLiteral("Pareto chart of ") + m_result->header;
    if (!m_result->group.isEmpty())
        title = (title.isEmpty() ? QStringLiteral("Pareto chart") : title) + QStringLiteral(": ") +
                m_result->group;
    if (!title.isEmpty())
        chart.setTitleText(title);
    if (!m_result->classed)
        return;
    // The vital few in the report's dark blue, the rest lighter; the cut-off as a red line.
    for (size_t i = 0; i < m_result->categories.size(); ++i) {
        if (m_result->categories[i].rankClass != QLatin1String("A"))
            chart.FullSeriesCollection(1).Points(int(i) + 1).Fill().ForeColor().setRGB(
                toRrggbb(kLightBlue));
    }
    chart.NewSeries();
    excel::Series cut = chart.FullSeriesCollection(3);
    cut.setName(QStringLiteral("=\"Cut-off %1\"")
                    .arg(analysis::formatPercent(m_result->cutOff).replace(QStringLiteral(".0%"),
                                                                           QStringLiteral("%"))));
    cut.setValues(referenceTo(kCutOffName));
    cut.setXValues(referenceTo(kLabelsName));
    cut.setChartType(excel::kLineMarkers);
    cut.setAxisGroup(excel::kSecondaryAxis);
    cut.setMarkerStyle(excel::kMarkerNone);
    cut.Fill().ForeColor().setRGB(toRrggbb(kCutOffRed));
}

void ReportSteps::ResizeChart() {
    auto sheet = m_app.ActiveSheet();
    sheet->ChartObjects(m_chart).Activate();
    excel::ChartShape shape = sheet->Shapes(m_chart);
    shape.IncrementLeft(27);
    shape.IncrementTop(-103.8);
    shape.ScaleWidth(1.8233333333, 0, 0);
    shape.ScaleHeight(1.8805555556, 0, 0);
    excel::Chart chart = m_app.ActiveChart();
    chart.FullSeriesCollection(1).DataLabels().setNumberFormat(QStringLiteral("0.0%"));
    chart.FullSeriesCollection(2).DataLabels().setNumberFormat(QStringLiteral("0.0%"));
    excel::FillFormat fill = sheet->Shapes(m_chart).Fill();
    fill.setTransparency(0);
    fill.ForeColor().setObjectThemeColor(2);
    fill.ForeColor().setTintAndShade(0);
    fill.ForeColor().setBrightness(-0.0500000007);
    chart.setPlotAreaHeight(380.001);
    sheet->Shapes(m_chart).setShadowType(21);
}

void ReportSteps::CreateHyperlink() {
    auto sheet = m_app.ActiveSheet();
    sheet->ChartObjects(m_chart).Activate();
    excel::Chart chart = m_app.ActiveChart();
    chart.AddLabel(1, 10.8, 800, 300, 15).Select();
    chart.selectedShape()->setText(QStringLiteral("Generated by Tallyvane"));
    chart.selectedShape()->TextColor().setRGB(toRrggbb(kLinkBlue));
    chart.addHyperlink(*chart.selectedShape(), m_webSite);
}

} // namespace report
