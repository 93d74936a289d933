// Charts read back from workbook files: the report's chart as this program saved it comes back
// as the chart it made; LibreOffice's save of it reads as the same Pareto chart; other kinds are
// kept as placeholders, and a chart that does not read never refuses the workbook.

#include "core/report/ReportAction.h"
#include "engines/embedded/EmbeddedApplication.h"
#include "engines/embedded/xlsx/XlsxReader.h"
#include "excel/Workbook.h"
#include "support/AnalysisFixture.h"
#include "support/TestFiles.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

const excel::ChartShapeModel* chartOf(const embedded::WorkbookData& book, const QString& sheet) {
    for (const auto& s : book.sheets) {
        if (s.name == sheet)
            return s.charts.empty() ? nullptr : &s.charts.front();
    }
    return nullptr;
}

// The report of the sample's column C, made and saved; what the session made, and the file.
std::pair<excel::ChartShapeModel, QString> savedReport() {
    const QString path = testsupport::scratchDir("report") + "/defects.xlsx";
    QFile::copy(TALLYVANE_SAMPLE, path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    auto app = embedded::EmbeddedApplication::create();
    app->open(path);
    testsupport::Analysis analysis(app, "'Defect log'!C1:C501");
    analysis.analyse();
    EXPECT_EQ(report::runReport(*app, app->ActiveWorkbook(), analysis.main, true).outcome,
              report::ReportResult::Outcome::Written);
    const excel::ChartShapeModel made = *app->ActiveSheet()->charts().front();
    app->ActiveWorkbook()->Save();
    return {made, path};
}

} // namespace

TEST(ChartReader, TheSavedReportChartComesBackAsItWasMade) {
    const auto [made, path] = savedReport();
    const embedded::WorkbookData book = embedded::readXlsx(path);
    const excel::ChartShapeModel* read = chartOf(book, "Tallyvane1");
    ASSERT_TRUE(read);
    EXPECT_NEAR(read->left, made.left, 1);
    EXPECT_NEAR(read->top, made.top, 1);
    EXPECT_NEAR(read->width, made.width, 1);
    EXPECT_NEAR(read->height, made.height, 1);
    EXPECT_EQ(read->name, made.name);
    const excel::ChartModel& r = read->chart;
    const excel::ChartModel& m = made.chart;
    EXPECT_TRUE(r.otherKind.isEmpty());
    EXPECT_FALSE(r.hasTitle);
    EXPECT_EQ(r.chartType, excel::kColumnClustered);
    EXPECT_EQ(r.gapWidth, m.gapWidth);
    ASSERT_EQ(r.series.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(r.series[i].name, m.series[i].name);
        EXPECT_EQ(r.series[i].values, m.series[i].values);
        EXPECT_EQ(r.series[i].xValues, m.series[i].xValues);
        EXPECT_EQ(r.series[i].axisGroup, m.series[i].axisGroup);
        EXPECT_EQ(r.series[i].smooth, m.series[i].smooth);
        EXPECT_EQ(r.series[i].dataLabels, m.series[i].dataLabels);
        EXPECT_EQ(r.series[i].labelNumberFormat, m.series[i].labelNumberFormat);
        // A line without a colour of its own is saved in the one it is drawn in.
        EXPECT_EQ(r.series[i].fill.rgb, m.series[i].fill.isSet() ? m.series[i].fill.rgb : 0xED7D31)
            << i;
    }
    EXPECT_EQ(r.series[1].chartType, excel::kLineMarkers);
    EXPECT_EQ(r.series[1].labelPosition, excel::kLabelPositionAbove);
    for (int group : {excel::kPrimaryAxis, excel::kSecondaryAxis}) {
        const auto key = std::make_pair(excel::kValueAxis, group);
        ASSERT_TRUE(r.axes.count(key)) << group;
        EXPECT_EQ(r.axes.at(key).numberFormat, m.axes.at(key).numberFormat);
        EXPECT_EQ(r.axes.at(key).maximum, m.axes.at(key).maximum);
    }
    ASSERT_EQ(r.shapes.size(), 1u);
    EXPECT_EQ(r.shapes[0].text, m.shapes[0].text);
    EXPECT_EQ(r.shapes[0].textRgb, m.shapes[0].textRgb);
    EXPECT_EQ(r.shapes[0].hyperlink, m.shapes[0].hyperlink);
    EXPECT_NEAR(r.shapes[0].left, m.shapes[0].left, 1);
}

// LibreOffice keeps the chart in its own words (its axis ids, its colours in lower case, a
// manual layout): it reads as the same Pareto chart.
TEST(ChartReader, LibreOfficesSaveOfTheReportReadsAsTheSameChart) {
    const embedded::WorkbookData book =
        embedded::readXlsx(testsupport::testData("workbooks/libreoffice-report.xlsx"));
    const excel::ChartShapeModel* read = chartOf(book, "Tallyvane1");
    ASSERT_TRUE(read);
    const excel::ChartModel& r = read->chart;
    ASSERT_EQ(r.series.size(), 2u);
    EXPECT_EQ(r.series[0].name, "=\"Count(%)\"");
    EXPECT_EQ(r.series[0].values, "Tallyvane1!$C$2:$C$22");
    EXPECT_EQ(r.series[0].xValues, "Tallyvane1!$A$2:$A$22");
    EXPECT_EQ(r.series[0].fill.rgb, 0x002060);
    EXPECT_EQ(r.series[0].axisGroup, excel::kPrimaryAxis);
    EXPECT_EQ(r.series[1].name, "=\"Pareto curve\"");
    EXPECT_EQ(r.series[1].chartType, excel::kLineMarkers);
    EXPECT_EQ(r.series[1].axisGroup, excel::kSecondaryAxis);
    EXPECT_TRUE(r.series[1].smooth);
    EXPECT_EQ(r.series[1].labelNumberFormat, "0.0%");
    EXPECT_EQ(r.axes.at({excel::kValueAxis, excel::kSecondaryAxis}).maximum, 1.0);
    ASSERT_EQ(r.shapes.size(), 1u);
    EXPECT_EQ(r.shapes[0].text, "Generated by Tallyvane");
    EXPECT_EQ(r.shapes[0].textRgb, 0x0070C0);
}

// A chart of another kind is kept with its kind and title; a chart part that is not XML is left
// out and the workbook opens.
TEST(ChartReader, OtherKindsArePlaceholdersAndBrokenChartsAreLeftOut) {
    const QByteArray rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    const QByteArray pie =
        "<c:chartSpace xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\" "
        "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\"><c:chart><c:title>"
        "<c:tx><c:rich><a:p><a:r><a:t>Share by line</a:t></a:r></a:p></c:rich></c:tx></c:title>"
        "<c:plotArea><c:pieChart><c:ser><c:val><c:numRef><c:f>Data!$A$1:$A$3</c:f></c:numRef>"
        "</c:val></c:ser></c:pieChart></c:plotArea></c:chart></c:chartSpace>";
    for (const QByteArray& chart : {pie, QByteArray("<c:chartSpace><unclosed>")}) {
        const QString path = testsupport::scratchDir("kinds") + "/kinds.xlsx";
        testsupport::writeRawXlsx(path, "<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>", {},
                                  "<drawing r:id=\"rId9\" xmlns:r=\"" + rel + "\"/>");
        // The sheet's drawing and its chart, added to the package.
        auto parts = std::vector<std::pair<QString, QByteArray>>{};
        for (const auto& [name, entry] : testsupport::entries(path))
            parts.emplace_back(name, testsupport::partText(path, name));
        parts.emplace_back("xl/worksheets/_rels/sheet1.xml.rels",
                           "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                           "relationships\"><Relationship Id=\"rId9\" Type=\"" + rel +
                               "/drawing\" Target=\"../drawings/drawing1.xml\"/></Relationships>");
        parts.emplace_back(
            "xl/drawings/drawing1.xml",
            "<xdr:wsDr xmlns:xdr=\"http://schemas.openxmlformats.org/drawingml/2006/"
            "spreadsheetDrawing\" xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
            "xmlns:r=\"" + rel + "\"><xdr:oneCellAnchor><xdr:from><xdr:col>1</xdr:col><xdr:colOff>0"
            "</xdr:colOff><xdr:row>2</xdr:row><xdr:rowOff>0</xdr:rowOff></xdr:from><xdr:ext "
            "cx=\"2540000\" cy=\"1270000\"/><xdr:graphicFrame><xdr:nvGraphicFramePr><xdr:cNvPr "
            "id=\"2\" name=\"Pie\"/></xdr:nvGraphicFramePr><a:graphic><a:graphicData><c:chart "
            "xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\" r:id=\"rId1\"/>"
            "</a:graphicData></a:graphic></xdr:graphicFrame></xdr:oneCellAnchor></xdr:wsDr>");
        parts.emplace_back("xl/drawings/_rels/drawing1.xml.rels",
                           "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                           "relationships\"><Relationship Id=\"rId1\" Type=\"" + rel +
                               "/chart\" Target=\"../charts/chart1.xml\"/></Relationships>");
        parts.emplace_back("xl/charts/chart1.xml", chart);
        testsupport::writeZip(path, parts);
        const embedded::WorkbookData book = embedded::readXlsx(path);
        if (chart == pie) {
            ASSERT_EQ(book.sheets[0].charts.size(), 1u);
            const excel::ChartShapeModel& shape = book.sheets[0].charts[0];
            EXPECT_EQ(shape.chart.otherKind, "pie chart");
            EXPECT_EQ(shape.chart.title, "Share by line");
            EXPECT_EQ(shape.name, "Pie");
            EXPECT_NEAR(shape.left, 48, 0.01); // one column of the default width
            EXPECT_NEAR(shape.top, 30, 0.01);
            EXPECT_NEAR(shape.width, 200, 0.01);
            EXPECT_NEAR(shape.height, 100, 0.01);
        } else {
            EXPECT_TRUE(book.sheets[0].charts.empty());
        }
    }
}
