// The embedded host's workbook window on the offscreen platform: the sheets and their cells as the
// spreadsheet shows them, a million rows without reading them, the highlight painted as it is set
// and cleared, and a report's sheet brought to the front.

#include "ui/sheetview/WorkbookWindow.h"

#include "ui/sheetview/ChartWidget.h"
#include "ui/sheetview/GridKeys.h"

#include "core/analysis/Highlight.h"
#include "excel/TextForm.h"
#include "excel/Workbook.h"
#include "excel/Worksheet.h"
#include "engines/embedded/EmbeddedApplication.h"
#include "engines/embedded/LockFile.h"
#include "core/platform/ListViewModel.h"
#include "ui/platform/RangeInputDialog.h"
#include "ui/platform/SheetGridModel.h"
#include "core/report/ReportAction.h"
#include "support/AnalysisFixture.h"
#include "support/OtherReaders.h"
#include "support/TestFiles.h"
#include "tests/ui/sheetview/WorkbookWindowFixture.h"

#include <QApplication>
#include <QBarSeries>
#include <QBarSet>
#include <QGraphicsSimpleTextItem>
#include <QSplineSeries>
#include <QValueAxis>
#include <QHeaderView>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <QScrollBar>
#include <QTabBar>
#include <QTableView>
#include <gtest/gtest.h>

namespace {

using excel::Variant;
using testsupport::openBook;

QString shown(const sheetview::WorkbookWindow& w, int row, int column) {
    return w.model()->data(w.model()->index(row - 1, column - 1), Qt::DisplayRole).toString();
}

// The colour in the middle of a cell as the grid paints it.
QColor paintedAt(sheetview::WorkbookWindow& w, int row, int column) {
    QTableView* grid = w.grid();
    const QImage image = grid->viewport()->grab().toImage();
    const QRect cell = grid->visualRect(w.model()->index(row - 1, column - 1));
    return image.pixelColor(cell.center() + QPoint(cell.width() / 3, 0));
}

TEST(WorkbookWindow, ShowsTheVisibleSheetsAndTheirCellsAsTheSpreadsheetDoes) {
    testsupport::SheetSpec log = testsupport::sheetSpec(
        "Defects & Causes", {{"A1", "Defect"}, {"A2", "Dent"}, {"B1", "Minutes"}, {"B2", 12.5},
                             {"C2", Variant(excel::DateValue{45306})}, {"D2", true}});
    log.beforeSheetData = "<cols><col min=\"1\" max=\"1\" width=\"30\" customWidth=\"1\"/>"
                          "<col min=\"3\" max=\"4\" width=\"12.5\" customWidth=\"1\"/></cols>";
    testsupport::SheetSpec secret = testsupport::sheetSpec("Secret", {{"A1", "x"}});
    secret.hidden = true;
    testsupport::SheetSpec other = testsupport::sheetSpec("Other", {{"A1", "y"}});
    auto app = openBook({log, secret, other}, 2);
    sheetview::WorkbookWindow w(app, app->ActiveWorkbook());
    ASSERT_EQ(w.tabs()->count(), 2) << "the hidden sheet has no tab";
    EXPECT_EQ(w.tabs()->tabText(0), "Defects && Causes") << "shown as \"Defects & Causes\"";
    EXPECT_EQ(w.tabs()->currentIndex(), 1) << "the active sheet of the file comes first";
    EXPECT_EQ(shown(w, 1, 1), "y");

    w.tabs()->setCurrentIndex(0);
    EXPECT_EQ(shown(w, 1, 1), "Defect");
    EXPECT_EQ(shown(w, 2, 2), "12.5");
    EXPECT_FALSE(shown(w, 2, 3).isEmpty());
    EXPECT_EQ(shown(w, 2, 4), "True");
    const auto alignment = [&](int row, int column) {
        return w.model()->data(w.model()->index(row - 1, column - 1), Qt::TextAlignmentRole)
                   .value<Qt::Alignment>() &
               Qt::AlignHorizontal_Mask;
    };
    EXPECT_EQ(alignment(2, 1), Qt::AlignLeft);
    EXPECT_EQ(alignment(2, 2), Qt::AlignRight);
    EXPECT_EQ(alignment(2, 3), Qt::AlignRight);
    EXPECT_EQ(alignment(2, 4), Qt::AlignHCenter);
    // Widths from the file, in characters of Calibri 11 (7 pixels and 5 of padding).
    EXPECT_EQ(w.grid()->columnWidth(0), 215);
    EXPECT_EQ(w.grid()->columnWidth(1), 64);
    EXPECT_EQ(w.grid()->columnWidth(2), 92);
    EXPECT_EQ(w.grid()->columnWidth(3), 92);
    // The grid spans the data and a margin, and grows as far as the user goes.
    EXPECT_LT(w.model()->rowCount(), 1000);
    EXPECT_LT(w.model()->columnCount(), 100);
    w.keys()->goTo(excel::kMaxRows, excel::kMaxColumns);
    EXPECT_EQ(w.model()->rowCount(), 1048576);
    EXPECT_EQ(w.model()->columnCount(), 16384);
    EXPECT_EQ(w.model()->headerData(16383, Qt::Horizontal, Qt::DisplayRole), "XFD");
}

// A workbook whose cells carry styles of its own: number formats (custom and built-in), fonts,
// a fill and an alignment, and a standard font other than Calibri 11.
QString writeStyledBook() {
    const QString path = testsupport::scratchDir("styled") + "/styled.xlsx";
    testsupport::SheetSpec sheet = testsupport::sheetSpec("Styled");
    sheet.sheetDataOverride =
        "<row r=\"1\"><c r=\"A1\" s=\"3\" t=\"inlineStr\"><is><t>Header</t></is></c></row>"
        "<row r=\"2\"><c r=\"A2\" s=\"1\"><v>46266.25</v></c></row>"
        "<row r=\"3\"><c r=\"A3\" s=\"2\"><v>0.256</v></c></row>"
        "<row r=\"4\"><c r=\"A4\" s=\"4\" t=\"inlineStr\"><is><t>x</t></is></c></row>"
        "<row r=\"5\"><c r=\"A5\" s=\"5\"><v>1234.5</v></c></row>"
        "<row r=\"6\"><c r=\"A6\" s=\"6\"><v>46266</v></c></row>"
        "<row r=\"7\"><c r=\"A7\" s=\"99\"><v>7</v></c></row>";
    testsupport::writeXlsx(path, {sheet});
    const QByteArray styles =
        "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
        "<numFmts count=\"2\"><numFmt numFmtId=\"164\" formatCode=\"yyyy-mm-dd hh:mm\"/>"
        "<numFmt numFmtId=\"165\" formatCode=\"0.0%\"/></numFmts>"
        "<fonts count=\"3\"><font><sz val=\"10\"/><name val=\"Arial\"/></font>"
        "<font><b/><sz val=\"10\"/><name val=\"Arial\"/></font>"
        "<font><sz val=\"10\"/><color rgb=\"FFFF0000\"/><name val=\"Courier New\"/></font></fonts>"
        "<fills count=\"3\"><fill><patternFill patternType=\"none\"/></fill>"
        "<fill><patternFill patternType=\"gray125\"/></fill>"
        "<fill><patternFill patternType=\"solid\"><fgColor rgb=\"FFFFFF00\"/></patternFill></fill>"
        "</fills><borders count=\"1\"><border/></borders>"
        "<cellXfs count=\"7\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\"/>"
        "<xf numFmtId=\"164\" fontId=\"0\" fillId=\"0\" applyNumberFormat=\"1\"/>"
        "<xf numFmtId=\"165\" fontId=\"0\" fillId=\"0\"/>"
        "<xf numFmtId=\"0\" fontId=\"1\" fillId=\"0\"/>"
        "<xf numFmtId=\"0\" fontId=\"2\" fillId=\"2\"><alignment horizontal=\"center\"/></xf>"
        "<xf numFmtId=\"4\" fontId=\"0\" fillId=\"0\"/>"
        "<xf numFmtId=\"14\" fontId=\"0\" fillId=\"0\"/></cellXfs></styleSheet>";
    std::vector<std::pair<QString, QByteArray>> parts;
    for (const auto& [name, entry] : testsupport::entries(path))
        parts.emplace_back(name, name == "xl/styles.xml" ? styles
                                                         : testsupport::partText(path, name));
    testsupport::writeZip(path, parts);
    return path;
}

TEST(WorkbookWindow, ShowsCellsInTheFilesOwnFormatsAndFont) {
    auto app = embedded::EmbeddedApplication::create();
    app->open(writeStyledBook());
    sheetview::WorkbookWindow w(app, app->ActiveWorkbook());
    const auto data = [&](int row, int role) {
        return w.model()->data(w.model()->index(row - 1, 0), role);
    };
    EXPECT_EQ(shown(w, 2, 1), "2026-09-01 06:00");
    EXPECT_EQ(shown(w, 3, 1), "25.6%");
    EXPECT_EQ(shown(w, 5, 1), "1,234.50");
    EXPECT_EQ(shown(w, 6, 1), excel::textForm(Variant(excel::DateValue{46266})))
        << "the built-in short date follows the user's locale";
    EXPECT_EQ(shown(w, 7, 1), "7") << "a style the file does not have is the default";
    EXPECT_TRUE(data(1, Qt::FontRole).value<QFont>().bold());
    EXPECT_EQ(data(1, Qt::FontRole).value<QFont>().family(), "Arial");
    EXPECT_EQ(data(4, Qt::FontRole).value<QFont>().family(), "Courier New");
    EXPECT_EQ(data(4, Qt::FontRole).value<QFont>().pointSizeF(), 10);
    EXPECT_EQ(data(4, Qt::ForegroundRole).value<QBrush>().color(), QColor(255, 0, 0));
    EXPECT_EQ(data(4, Qt::BackgroundRole).value<QBrush>().color(), QColor(255, 255, 0));
    EXPECT_EQ(data(4, Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask,
              Qt::AlignHCenter);
    // The standard font: Arial 10, whose characters are 6 pixels wide.
    EXPECT_EQ(w.grid()->font().family(), "Arial");
    EXPECT_EQ(w.grid()->font().pointSizeF(), 10);
    EXPECT_EQ(w.grid()->columnWidth(1), int(8.43 * 6 + 5));

    // The object model sees the same formats; a new value keeps its cell's look, and formatting
    // a cell keeps what the program does not change.
    const excel::Range cell = app->ActiveWorkbook()->ActiveSheet()->Range("A3");
    EXPECT_EQ(cell.Text(), "25.6%");
    cell.Worksheet()->setCellValue(3, 1, Variant(0.5));
    cell.setFontName("Carlito");
    EXPECT_EQ(cell.Text(), "50.0%");
    EXPECT_EQ(data(3, Qt::FontRole).value<QFont>().family(), "Carlito");
}

TEST(WorkbookWindow, AMillionRowsOpenWithoutReadingThemAndTheLastIsReachable) {
    QVector<Variant> column;
    column.reserve(excel::kMaxRows);
    for (int i = 0; i < excel::kMaxRows; ++i)
        column << Variant(QStringLiteral("D-%1").arg(i % 1000));
    auto app = testsupport::hostColumn(column);
    sheetview::WorkbookWindow w(app, app->ActiveWorkbook());
    w.show();
    QApplication::processEvents();
    const qint64 afterOpen = w.model()->cellReads();
    EXPECT_GT(afterOpen, 0);
    EXPECT_LT(afterOpen, 2000) << "only the cells in view are read";
    w.grid()->scrollToBottom();
    QApplication::processEvents();
    w.grid()->viewport()->grab();
    EXPECT_EQ(w.grid()->rowAt(w.grid()->viewport()->height() - 2), excel::kMaxRows - 1);
    EXPECT_LT(w.model()->cellReads() - afterOpen, 2000);
    EXPECT_EQ(shown(w, excel::kMaxRows, 1), "D-575");
}

TEST(WorkbookWindow, PaintsTheHighlightAsItIsSetAndCleared) {
    auto app = openBook({testsupport::sheetSpec(
        "Log", {{"A1", "Defect"}, {"A2", "Dent"}, {"A3", "Scratch"}, {"A4", "dented"},
                {"A5", "Crack"}, {"B2", "Dent"}})});
    sheetview::WorkbookWindow w(app, app->ActiveWorkbook());
    w.show();
    QApplication::processEvents();
    const excel::Range range = app->Range("A1:A5");
    const QColor white = paintedAt(w, 3, 1);
    ASSERT_TRUE(analysis::runHighlightAction(
                    *app, [&] { analysis::HighlightCategory(range, "DENT"); }, "set")
                    .isEmpty());
    const QColor yellow(0xFF, 0xFF, 0xCC);
    EXPECT_EQ(paintedAt(w, 2, 1), yellow);
    EXPECT_EQ(paintedAt(w, 4, 1), yellow) << "contains, without regard to case";
    EXPECT_EQ(paintedAt(w, 3, 1), white);
    EXPECT_EQ(paintedAt(w, 5, 1), white);
    EXPECT_EQ(paintedAt(w, 2, 2), white) << "outside the range";
    // Selected (the whole analysed column, as after the analysis), the highlighted cells keep
    // their yellow inside the selection's frame; the tint is for the cells without a fill.
    w.grid()->selectionModel()->select(
        QItemSelection(w.model()->index(0, 0), w.model()->index(4, 0)),
        QItemSelectionModel::ClearAndSelect);
    EXPECT_EQ(paintedAt(w, 2, 1), yellow) << paintedAt(w, 2, 1).name().toStdString();
    EXPECT_EQ(paintedAt(w, 4, 1), yellow);
    EXPECT_NE(paintedAt(w, 3, 1), white) << "a selected cell without a fill is tinted";
    w.grid()->clearSelection();
    ASSERT_TRUE(analysis::runHighlightAction(
                    *app, [&] { analysis::ClearHighlight(range); }, "cleared")
                    .isEmpty());
    EXPECT_EQ(paintedAt(w, 2, 1), white);
    EXPECT_EQ(paintedAt(w, 4, 1), white);
}

// A saved highlight is painted when the workbook is opened again, as this program writes it and
// as LibreOffice writes it, and "Clear highlight" takes it away as it takes away a new one.
TEST(WorkbookWindow, AReopenedHighlightIsPaintedAndCleared) {
    const QString dir = testsupport::scratchDir("reopened-highlight");
    const QString ours = dir + "/ours.xlsx";
    QFile::copy(TALLYVANE_SAMPLE, ours);
    QFile::setPermissions(ours, QFile::ReadOwner | QFile::WriteOwner);
    {
        auto app = embedded::EmbeddedApplication::create();
        app->open(ours);
        const excel::Range range = app->Range("'Defect log'!C1:C501");
        ASSERT_TRUE(analysis::runHighlightAction(
                        *app, [&] { analysis::HighlightCategory(range, "Scratch"); }, "set")
                        .isEmpty());
        app->ActiveWorkbook()->Save();
    }
    const QString theirs = dir + "/theirs.xlsx";
    QFile::copy(testsupport::testData("workbooks/libreoffice-report.xlsx"), theirs);
    const QColor yellow(0xFF, 0xFF, 0xCC);
    for (const QString& file : {ours, theirs}) {
        auto app = embedded::EmbeddedApplication::create();
        app->open(file);
        app->Worksheets()("Defect log")->Activate();
        sheetview::WorkbookWindow w(app, app->ActiveWorkbook());
        w.show();
        QApplication::processEvents();
        w.grid()->clearSelection(); // the tint of the saved selection is another test's
        int scratch = 0, other = 0;
        for (int row = 2; row < 60; ++row) {
            const bool contains = shown(w, row, 3).contains("scratch", Qt::CaseInsensitive);
            if (contains && !scratch)
                scratch = row;
            if (!contains && !other)
                other = row;
        }
        ASSERT_TRUE(scratch && other) << file.toStdString();
        EXPECT_EQ(paintedAt(w, scratch, 3), yellow) << file.toStdString();
        EXPECT_NE(paintedAt(w, other, 3), yellow) << file.toStdString();
        const excel::Range range = app->Range("'Defect log'!C1:C501");
        ASSERT_TRUE(analysis::runHighlightAction(
                        *app, [&] { analysis::ClearHighlight(range); }, "cleared")
                        .isEmpty());
        EXPECT_NE(paintedAt(w, scratch, 3), yellow) << file.toStdString();
        w.askSaveChanges = [](const QString&) { return int(QMessageBox::Discard); };
    }
}

TEST(WorkbookWindow, AReportBringsItsSheetToTheFront) {
    auto app = openBook({testsupport::sheetSpec(
        "Log", {{"A1", "Defect"}, {"A2", "Dent"}, {"A3", "Scratch"}, {"A4", "Dent"}})});
    sheetview::WorkbookWindow w(app, app->ActiveWorkbook());
    testsupport::Analysis analysis(app, "A1:A4");
    analysis.analyse();
    const auto result = report::runReport(*app, app->ActiveWorkbook(), analysis.main, false);
    ASSERT_EQ(result.outcome, report::ReportResult::Outcome::Written) << result.message.toStdString();
    ASSERT_EQ(w.tabs()->count(), 2);
    EXPECT_EQ(w.tabs()->tabText(w.tabs()->currentIndex()), "Tallyvane1");
    EXPECT_EQ(shown(w, 1, 1), "Category");
    EXPECT_EQ(shown(w, 2, 1), "Dent");
    EXPECT_EQ(shown(w, 2, 3), "50.0%") << "the share in its number format";
    EXPECT_GT(w.grid()->columnWidth(4), w.grid()->columnWidth(1)) << "fitted columns";
}

// The Pareto chart drawn from the chart model the writer saves: the shares as columns on the
// primary axis, the cumulative share as a smoothed line with markers on a secondary axis from 0
// to 100 %, labels in "0.0%", the model's colours, size and place.
TEST(WorkbookWindow, DrawsTheReportsChartFromItsModel) {
    auto app = openBook({testsupport::sheetSpec(
        "Log", {{"A1", "Defect"}, {"A2", "Dent"}, {"A3", "Scratch"}, {"A4", "Dent"},
                {"A5", "Crack"}, {"A6", "Dent"}})});
    sheetview::WorkbookWindow w(app, app->ActiveWorkbook());
    w.show();
    testsupport::Analysis analysis(app, "A1:A6");
    analysis.analyse();
    const auto result = report::runReport(*app, app->ActiveWorkbook(), analysis.main, true);
    ASSERT_EQ(result.outcome, report::ReportResult::Outcome::Written) << result.message.toStdString();
    QApplication::processEvents();
    ASSERT_EQ(w.charts().size(), 1u);
    sheetview::ChartWidget* chart = w.charts().front();

    // The table as the report sorted it: Dent 3, then the others 1 each.
    ASSERT_TRUE(chart->columns());
    ASSERT_EQ(chart->columns()->barSets().size(), 1);
    QBarSet* shares = chart->columns()->barSets().front();
    ASSERT_EQ(shares->count(), 4);
    const auto sheet = app->ActiveSheet();
    for (int row = 2; row <= 5; ++row)
        EXPECT_DOUBLE_EQ(shares->at(row - 2), sheet->cellValue(row, 3).number()) << row;
    EXPECT_EQ(shares->color(), QColor(0x00, 0x20, 0x60));
    ASSERT_TRUE(chart->line());
    EXPECT_TRUE(qobject_cast<QSplineSeries*>(chart->line())) << "the line is smoothed";
    EXPECT_TRUE(chart->line()->pointsVisible());
    ASSERT_EQ(chart->line()->count(), 4);
    for (int row = 2; row <= 5; ++row)
        EXPECT_DOUBLE_EQ(chart->line()->at(row - 2).y(), sheet->cellValue(row, 4).number()) << row;
    QValueAxis* secondary = chart->valueAxis(excel::kSecondaryAxis);
    ASSERT_TRUE(secondary);
    EXPECT_EQ(secondary->min(), 0);
    EXPECT_EQ(secondary->max(), 1);
    EXPECT_TRUE(chart->line()->attachedAxes().contains(secondary));
    EXPECT_FALSE(chart->columns()->attachedAxes().contains(secondary));
    EXPECT_EQ(chart->dataLabels(), (QStringList{"50.0%", "16.7%", "16.7%", "16.7%", "50.0%",
                                                "66.7%", "83.3%", "100.0%"}));
    const excel::ChartShapeModel& shape = chart->shape();
    EXPECT_EQ(chart->width(), int(shape.width * 4 / 3));
    EXPECT_EQ(chart->height(), int(shape.height * 4 / 3));
    bool signature = false;
    for (QGraphicsItem* item : chart->chart()->childItems()) {
        if (auto* text = dynamic_cast<QGraphicsSimpleTextItem*>(item))
            signature = signature || text->text() == "Generated by Tallyvane";
    }
    EXPECT_TRUE(signature);
    w.grid()->viewport()->grab().save(testsupport::scratchDir("workbook-window") + "/report.png");
}

// The sample's report saved, and the workbook opened again: the report sheet shows its chart,
// read from the file, with the table's values, the secondary axis to 100 % and the signature.
TEST(WorkbookWindow, AReopenedReportShowsItsChart) {
    const QString path = testsupport::scratchDir("reopened-report") + "/defects.xlsx";
    testsupport::saveSampleReport(TALLYVANE_SAMPLE, path);
    auto app = embedded::EmbeddedApplication::create();
    app->open(path);
    app->Worksheets()("Tallyvane1")->Activate();
    sheetview::WorkbookWindow w(app, app->ActiveWorkbook());
    w.resize(1400, 800);
    w.show();
    QApplication::processEvents();
    ASSERT_EQ(w.charts().size(), 1u);
    sheetview::ChartWidget* chart = w.charts().front();
    const auto sheet = app->ActiveSheet();
    int rows = 0;
    while (sheet->cellValue(rows + 2, 2).isNumber()) // the counts
        ++rows;
    ASSERT_EQ(rows, 21);
    QBarSet* shares = chart->columns()->barSets().front();
    ASSERT_EQ(shares->count(), rows);
    ASSERT_EQ(chart->line()->count(), rows);
    for (int i = 0; i < rows; ++i) {
        EXPECT_DOUBLE_EQ(shares->at(i), sheet->cellValue(i + 2, 3).number()) << i;
        EXPECT_DOUBLE_EQ(chart->line()->at(i).y(), sheet->cellValue(i + 2, 4).number()) << i;
        EXPECT_EQ(chart->categoryLabels()[size_t(i)]->text(),
                  excel::textForm(sheet->cellValue(i + 2, 1)));
    }
    EXPECT_EQ(shares->color(), QColor(0x00, 0x20, 0x60));
    EXPECT_EQ(chart->valueAxis(excel::kSecondaryAxis)->max(), 1);
    EXPECT_EQ(chart->dataLabels().front(), "26.0%");
    bool signature = false;
    for (QGraphicsItem* item : chart->chart()->childItems()) {
        if (auto* text = dynamic_cast<QGraphicsSimpleTextItem*>(item))
            signature = signature || text->text() == "Generated by Tallyvane";
    }
    EXPECT_TRUE(signature);
    w.grab().save(testsupport::scratchDir("reopened-report") + "/reopened.png");
}

// The range is picked in the workbook window itself: a small box holds the prompt and the
// reference, which the selection fills (a header click gives the whole column); OK gives the range.
TEST(WorkbookWindow, ARangeIsPickedInTheSheetItself) {
    auto app = openBook({testsupport::sheetSpec("Log", {{"A1", "Defect"}, {"A2", "Dent"}})});
    sheetview::WorkbookWindow w(app, app->ActiveWorkbook());
    w.show();
    QStringList references;
    QTimer::singleShot(0, &w, [&] {
        auto* box = w.findChild<QDialog*>("RangeInput");
        ASSERT_TRUE(box);
        EXPECT_EQ(box->findChild<QLabel*>("Prompt")->text(), "Select a column");
        auto* reference = box->findChild<QLineEdit*>("Reference");
        w.grid()->selectionModel()->select(
            QItemSelection(w.model()->index(1, 1), w.model()->index(4, 1)),
            QItemSelectionModel::ClearAndSelect);
        references << reference->text();
        w.grid()->selectColumn(2);
        references << reference->text();
        box->accept();
    });
    const auto range = platform::RangeInputDialog::pickIn(*app, "Select a column", {}, w.grid(),
                                                          w.model(), &w);
    EXPECT_EQ(references, QStringList({"$B$2:$B$5", "$C:$C"}));
    ASSERT_TRUE(range);
    EXPECT_EQ(range->Address(), "$C:$C");

    QTimer::singleShot(0, &w, [&] { w.findChild<QDialog*>("RangeInput")->reject(); });
    EXPECT_FALSE(platform::RangeInputDialog::pickIn(*app, "Select", {}, w.grid(), w.model(), &w));
}

} // namespace
