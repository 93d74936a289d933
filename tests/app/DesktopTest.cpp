// The program's windows on a real X screen (Xvfb, through xvfb-run): the sample analysed, its
// largest category highlighted, the report with its chart written and saved from the workbook
// window, the window closed; the saved file opened again finds the chart and the highlight drawn
// on the screen, read back from the file alone.

#include "Startup.h"

#include "core/analysis/Highlight.h"
#include "engines/embedded/EmbeddedHost.h"
#include "excel/Workbook.h"
#include "excel/Worksheet.h"
#include "ui/controls/ThemedButton.h"
#include "ui/sheetview/ChartWidget.h"
#include "ui/platform/SheetGridModel.h"
#include "support/TestFiles.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QMessageBox>
#include <QScreen>
#include <QTabBar>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The screen as the X server shows it.
QImage screen() {
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage();
}

// How many pixels of the rectangle (in screen coordinates) are of the colour, give or take a
// little for smoothing.
int pixelsOf(const QImage& image, const QRect& where, QRgb colour) {
    int n = 0;
    const QRect r = where.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            n += std::abs(qRed(p) - qRed(colour)) + std::abs(qGreen(p) - qGreen(colour)) +
                     std::abs(qBlue(p) - qBlue(colour)) <
                 12;
        }
    }
    return n;
}

void settle(int ms) {
    QTest::qWait(ms);
}

struct Program {
    Program() {
        embedded::registerEmbeddedProvider();
        startup.showMessage = [this](const QString& text) { messages << text; };
        QObject::connect(&startup, &Startup::finished, [this] { ++finished; });
    }
    Startup startup;
    QStringList messages;
    int finished = 0;
};

TEST(Desktop, AReportSavedAndOpenedAgainShowsItsChartAndHighlight) {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs an X screen (run through xvfb-run)";
    const QString dir = testsupport::scratchDir("desktop");
    const QString book = dir + "/defects.xlsx";
    QFile::remove(book);
    ASSERT_TRUE(QFile::copy(TALLYVANE_SAMPLE, book));
    QFile::setPermissions(book, QFile::ReadOwner | QFile::WriteOwner);
    const QRgb bars = qRgb(0, 32, 96);
    const QRgb yellow = qRgb(0xFF, 0xFF, 0xCC);
    {
        Program p;
        p.startup.Main(book);
        analysis::AnalysisForm* form = p.startup.analysisForm();
        ASSERT_TRUE(form) << p.messages.join('|').toStdString();
        sheetview::WorkbookWindow* window = p.startup.workbookWindow();
        ASSERT_TRUE(window);
        const auto app = p.startup.session().ExcelApp;
        const auto range = app->Selection();
        ASSERT_TRUE(range);
        ASSERT_TRUE(analysis::runHighlightAction(
                        *app, [&] { analysis::HighlightCategory(*range, "Scratch"); }, "set")
                        .isEmpty());
        form->findChild<QCheckBox*>("IncludeChart")->setChecked(true);
        form->findChild<controls::ThemedButton*>("CopyPaste")->click();
        settle(300);
        ASSERT_EQ(window->charts().size(), 1u) << "the report's chart, just made";
        ASSERT_TRUE(window->save());
        window->askSaveChanges = [](const QString&) { return int(QMessageBox::Cancel); };
        window->close();
        EXPECT_EQ(p.finished, 1) << "saved: closes without a question, and the program ends";
    }
    QApplication::processEvents();

    Program p;
    p.startup.Main(book);
    ASSERT_TRUE(p.startup.analysisForm()) << p.messages.join('|').toStdString();
    p.startup.analysisForm()->close(); // the workbook stays
    sheetview::WorkbookWindow* window = p.startup.workbookWindow();
    ASSERT_TRUE(window);
    window->setGeometry(0, 0, 1280, 760);
    window->raise();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    settle(500);

    // The workbook opens at the sheet the file names (the data's: the save keeps the file's own
    // view); the report's tab brings its chart, drawn from the file.
    const auto showTab = [&](const QString& name) {
        for (int i = 0; i < window->tabs()->count(); ++i) {
            if (window->tabs()->tabText(i) == name)
                window->tabs()->setCurrentIndex(i);
        }
        settle(300);
        return window->workbook()->ActiveSheet()->Name();
    };
    ASSERT_EQ(showTab("Tallyvane1"), "Tallyvane1");
    ASSERT_EQ(window->charts().size(), 1u);
    sheetview::ChartWidget* chart = window->charts().front();
    const QRect chartOnScreen(chart->mapToGlobal(QPoint(0, 0)), chart->size());
    QImage shot = screen();
    shot.save(dir + "/reopened-report.png");
    EXPECT_GT(pixelsOf(shot, chartOnScreen, bars), 2000) << "the bars, in the report's blue";

    // The data sheet: the highlight painted on the cells of the largest category.
    ASSERT_EQ(showTab("Defect log"), "Defect log");
    const auto sheet = window->workbook()->ActiveSheet();
    ASSERT_FALSE(sheet->conditionalFormats().empty()) << "the saved rule, read back";
    QTableView* grid = window->grid();
    grid->scrollToTop();
    settle(200);
    shot = screen();
    shot.save(dir + "/reopened-highlight.png");
    int scratches = 0, painted = 0;
    for (int row = 2; row <= 20; ++row) {
        const QRect cell = grid->visualRect(window->model()->index(row - 1, 2));
        if (!grid->viewport()->rect().contains(cell))
            continue;
        // The rule is the spreadsheet's "text contains", without regard to case.
        const bool scratch = sheet->cellValue(row, 3).toString().contains("scratch",
                                                                          Qt::CaseInsensitive);
        // The right part of the cell, clear of its text.
        const QRect right(grid->viewport()->mapToGlobal(cell.topLeft()) +
                              QPoint(cell.width() * 3 / 4, 3),
                          QSize(cell.width() / 4 - 3, cell.height() - 6));
        const bool yellowThere = pixelsOf(shot, right, yellow) > right.width() * right.height() / 2;
        scratches += scratch;
        painted += scratch && yellowThere;
        EXPECT_EQ(yellowThere, scratch) << "row " << row;
    }
    EXPECT_GT(scratches, 0);
    EXPECT_EQ(painted, scratches);
    window->close();
}

} // namespace
