// The report of a shaped result (the Pareto options): its table in the result's order with the
// columns the options add and "Other" last, its chart with the header's title, the vital few set
// apart and the cut-off line; saved and read back from the file.

#include "core/analysis/ParetoOptions.h"
#include "core/report/ReportAction.h"
#include "engines/embedded/xlsx/XlsxReader.h"
#include "excel/Worksheet.h"
#include "support/AnalysisFixture.h"
#include "support/TestFiles.h"

#include <QFile>
#include <gtest/gtest.h>
#include <limits>
#include <map>

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

// The sample's defects per line: one block per line on the report sheet, each holding the line's
// own counts ranked in itself, its chart beside it and reading its own rows.
TEST(ShapedReport, PutsEachGroupsTableAndChartOneBelowTheOther) {
    const QString path = testsupport::scratchDir("grouped-report") + "/defects.xlsx";
    QFile::remove(path);
    ASSERT_TRUE(QFile::copy(QStringLiteral(TALLYVANE_SAMPLE), path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);

    // What the sample holds, counted here from its cells: per line (B), the defects (C) told
    // apart without case, below the header row; blanks are left out, as the analysis leaves them
    // out unless asked.
    const embedded::WorkbookData sample = embedded::readXlsx(path);
    const auto& log = *sample.sheets[0].cells;
    std::map<QString, std::map<QString, int>> expected;
    std::map<QString, int> totals;
    int last = 1;
    for (int row = 2; row <= 10000; ++row) {
        const excel::Variant date = log.value(row, 1);
        if (date.isEmpty())
            break;
        last = row;
        const excel::Variant defect = log.value(row, 3);
        if (defect.isEmpty())
            continue;
        const QString label = defect.toString().toCaseFolded();
        ++expected[log.value(row, 2).toString().toCaseFolded()][label];
        ++totals[log.value(row, 2).toString().toCaseFolded()];
    }
    ASSERT_GT(last, 100);

    auto app = embedded::EmbeddedApplication::create();
    app->open(path);
    testsupport::Analysis a(app, QStringLiteral("'Defect log'!C1:C%1").arg(last));
    a.analyse();
    analysis::ParetoOptions options;
    options.skipHeader = true;
    options.groupRange = QStringLiteral("B:B");
    options.classes = {80};
    const auto shaped = analysis::shapeAnalysis(*app, *a.table.AnalysedRange, a.table.Result, options);
    ASSERT_TRUE(shaped.error.isEmpty()) << shaped.error.toStdString();
    ASSERT_EQ(shaped.groups.size(), expected.size());
    const auto written = report::runReport(*app, app->ActiveWorkbook(), shaped.groups, true);
    ASSERT_EQ(written.outcome, report::ReportResult::Outcome::Written) << written.message.toStdString();
    app->ActiveWorkbook()->Save();

    const embedded::WorkbookData read = embedded::readXlsx(path);
    const embedded::SheetData& sheet = read.sheets.back();
    ASSERT_EQ(sheet.name, "Tallyvane1");
    ASSERT_EQ(sheet.charts.size(), expected.size()) << "a chart per group";
    int row = 1;
    int previousTotal = std::numeric_limits<int>::max();
    for (size_t g = 0; g < expected.size(); ++g) {
        // Down to the next "Group:" line.
        while (row < 400 && !sheet.cells->value(row, 1).toString().startsWith("Group: "))
            ++row;
        ASSERT_LT(row, 400) << "group " << g;
        const QString group = sheet.cells->value(row, 1).toString().mid(7).toCaseFolded();
        ASSERT_TRUE(expected.count(group)) << group.toStdString();
        EXPECT_EQ(sheet.cells->value(row + 1, 1).toString(), "Category");
        EXPECT_LE(totals[group], previousTotal) << "groups by descending total";
        previousTotal = totals[group];
        // The group's categories, each with its count in the group, in descending order.
        std::map<QString, int> seen;
        int r = row + 2;
        double before = 0;
        for (; !sheet.cells->value(r, 1).isEmpty(); ++r) {
            const QString label = sheet.cells->value(r, 1).toString().toCaseFolded();
            const double count = sheet.cells->value(r, 2).number();
            EXPECT_EQ(count, expected[group][label]) << group.toStdString() << " " << label.toStdString();
            if (r > row + 2) {
                EXPECT_LE(count, sheet.cells->value(r - 1, 2).number());
            }
            EXPECT_EQ(sheet.cells->value(r, 6).toString(), before * 100 < 80 * totals[group] ? "A" : "B");
            before += count;
            seen[label] = int(count);
        }
        EXPECT_EQ(seen, expected[group]);
        // The chart stands beside the block and reads the block's rows.
        const excel::ChartShapeModel& chart = sheet.charts[g];
        EXPECT_EQ(excel::seriesTitle(chart.chart.series[0].name), "Count(%)");
        EXPECT_EQ(chart.chart.title, "Pareto chart of Defect: " + sheet.cells->value(row, 1).toString().mid(7));
        EXPECT_TRUE(chart.chart.series[0].values.contains(QStringLiteral("$C$%1:$C$%2").arg(row + 2).arg(r - 1)))
            << chart.chart.series[0].values.toStdString();
        EXPECT_NEAR(chart.top, row * excel::kRowPoints, excel::kRowPoints) << "beside the table";
        row = r;
    }
}
