// The workbook window's grid used as a spreadsheet user uses one: the keys that jump through the
// data, the name box, the selection that the analysis starts from, where a sheet opens and how far
// the scroll bars reach, and a long text running on over empty cells.

#include "ui/sheetview/WorkbookWindow.h"

#include "ui/sheetview/GridKeys.h"

#include "excel/Workbook.h"
#include "excel/Worksheet.h"
#include "ui/platform/SheetGridModel.h"
#include "support/TestFiles.h"
#include "tests/ui/sheetview/WorkbookWindowFixture.h"

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabBar>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using testsupport::openBook;

// A block of data A1:C10, a cell on its own at F20, and a second sheet.
std::shared_ptr<embedded::EmbeddedApplication> blocks() {
    testsupport::SheetSpec log = testsupport::sheetSpec("Log");
    for (int r = 1; r <= 10; ++r) {
        for (const char* c : {"A", "B", "C"})
            log.cells.push_back({QString("%1%2").arg(c).arg(r), QString("v%1").arg(r)});
    }
    log.cells.push_back({"F20", "note"});
    return openBook({log, testsupport::sheetSpec("Other", {{"B2", "x"}})});
}

QString place(sheetview::WorkbookWindow& w) {
    return w.nameBox()->text();
}

void press(sheetview::WorkbookWindow& w, Qt::Key key,
           Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
    QTest::keyClick(w.grid(), key, modifiers);
}

TEST(WorkbookGrid, TheKeysOfASpreadsheetJumpThroughTheData) {
    auto app = blocks();
    sheetview::WorkbookWindow w(app, app->ActiveWorkbook());
    w.show();
    w.grid()->setFocus();
    EXPECT_EQ(place(w), "A1");

    press(w, Qt::Key_End);
    EXPECT_EQ(place(w), "F20") << "the last used row and column";
    press(w, Qt::Key_Home);
    EXPECT_EQ(place(w), "A1");
    press(w, Qt::Key_Down);
    EXPECT_EQ(place(w), "A10") << "the end of the block";
    press(w, Qt::Key_Down);
    EXPECT_EQ(place(w), "A1048576") << "no data below: the sheet's last row";
    EXPECT_EQ(w.model()->rowCount(), excel::kMaxRows) << "the grid grew to reach it";
    press(w, Qt::Key_Up);
    EXPECT_EQ(place(w), "A10") << "back to the data";
    press(w, Qt::Key_Home);
    press(w, Qt::Key_Right);
    EXPECT_EQ(place(w), "C1");
    press(w, Qt::Key_Right);
    EXPECT_EQ(place(w), "XFD1") << "nothing further right in row 1: the last column";

    // With Shift the keys select, from where the cursor was; the selection is the sheet's.
    press(w, Qt::Key_Home);
    press(w, Qt::Key_Down, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(place(w), "A1:A10");
    press(w, Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(place(w), "A1:C10");
    const auto sheet = app->ActiveWorkbook()->ActiveSheet();
    ASSERT_EQ(sheet->selection().size(), 1);
    EXPECT_EQ(sheet->selection().front(), (excel::CellRect{1, 1, 10, 3}));

    // Typing does not edit, and says so.
    QTest::keyClick(w.grid(), Qt::Key_X);
    EXPECT_TRUE(w.statusBar()->currentMessage().contains("read-only"))
        << w.statusBar()->currentMessage().toStdString();
    EXPECT_EQ(sheet->cellValue(1, 1), excel::Variant(QString("v1")));
}

TEST(WorkbookGrid, TheNameBoxGoesToAReferenceOnAnySheet) {
    auto app = blocks();
    sheetview::WorkbookWindow w(app, app->ActiveWorkbook());
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    w.grid()->setFocus();
    QTest::keyClick(w.grid(), Qt::Key_G, Qt::ControlModifier);
    EXPECT_TRUE(w.nameBox()->hasFocus()) << "Ctrl+G goes to the name box";

    EXPECT_TRUE(w.keys()->goTo("b7"));
    EXPECT_EQ(place(w), "B7");
    EXPECT_EQ(w.grid()->currentIndex(), w.model()->index(6, 1));
    EXPECT_TRUE(w.keys()->goTo("A2:C4"));
    EXPECT_EQ(place(w), "A2:C4");
    EXPECT_EQ(app->ActiveWorkbook()->ActiveSheet()->selection().front(),
              (excel::CellRect{2, 1, 4, 3}));

    // Far down: the grid grows to the cell and shows it.
    EXPECT_TRUE(w.keys()->goTo("D50000"));
    EXPECT_GE(w.model()->rowCount(), 50000);
    EXPECT_TRUE(w.grid()->viewport()->rect().intersects(
        w.grid()->visualRect(w.model()->index(49999, 3))));

    // On another sheet, named as the user types it: that sheet comes to the front.
    w.nameBox()->setText("'other'!B2");
    QTest::keyClick(w.nameBox(), Qt::Key_Return);
    EXPECT_EQ(w.tabs()->currentIndex(), 1);
    EXPECT_EQ(app->ActiveWorkbook()->ActiveSheet()->Name(), "Other");
    EXPECT_EQ(place(w), "B2");
    EXPECT_TRUE(w.grid()->hasFocus()) << "back to the grid";

    // What does not read is said, and nothing moves.
    for (const char* wrong : {"B0", "nowhere!A1", "[other.xlsx]Log!A1", "A1:"}) {
        w.statusBar()->clearMessage();
        EXPECT_FALSE(w.keys()->goTo(wrong)) << wrong;
        EXPECT_TRUE(w.statusBar()->currentMessage().contains(wrong)) << wrong;
        EXPECT_EQ(app->ActiveWorkbook()->ActiveSheet()->Name(), "Other");
    }
}

// A sheet shown for the first time opens at A1, whatever the other sheet's scroll was; each
// keeps its own. The scroll range is the data and a margin, and grows at its end.
TEST(WorkbookGrid, EachSheetOpensAtA1AndKeepsItsScroll) {
    testsupport::SheetSpec tall = testsupport::sheetSpec("Tall");
    for (int r = 1; r <= 400; ++r)
        tall.cells.push_back({QString("A%1").arg(r), r});
    auto app = openBook({tall, testsupport::sheetSpec("Short", {{"A1", "x"}})});
    sheetview::WorkbookWindow w(app, app->ActiveWorkbook());
    w.show();
    EXPECT_EQ(w.model()->rowCount(), 450) << "the data and a margin, not a million rows";
    QScrollBar* bar = w.grid()->verticalScrollBar();
    bar->setValue(300);
    QApplication::processEvents();

    w.tabs()->setCurrentIndex(1);
    EXPECT_EQ(bar->value(), 0) << "the other sheet at its top";
    w.tabs()->setCurrentIndex(0);
    EXPECT_EQ(bar->value(), 300) << "the first where it was left";

    // A sheet added by an action (as the report adds its sheet) comes to the front at A1.
    app->ActiveWorkbook()->Worksheets().Add();
    w.sync();
    EXPECT_EQ(w.tabs()->currentIndex(), 0) << "added before the active sheet";
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(w.grid()->horizontalScrollBar()->value(), 0);

    w.tabs()->setCurrentIndex(1);
    const int rows = w.model()->rowCount();
    bar->setValue(bar->maximum());
    EXPECT_GT(w.model()->rowCount(), rows) << "dragged to the end, the range grows";
}

// The light pixels of a cell's rectangle in the grid's picture: text has dark ones.
int darkPixels(const QImage& image, const QRect& cell) {
    int dark = 0;
    for (int y = cell.top() + 2; y < cell.bottom() - 2; ++y) {
        for (int x = cell.left() + 2; x < cell.right() - 2; ++x)
            dark += qGray(image.pixel(x, y)) < 128;
    }
    return dark;
}

TEST(WorkbookGrid, ALongTextRunsOnOverEmptyCellsOnly) {
    const QString text = "Scratch on the housing, left side";
    auto app = openBook({testsupport::sheetSpec(
        "Log", {{"A1", text}, {"A2", text}, {"C2", "x"}, {"B3", "y"}})});
    sheetview::WorkbookWindow w(app, app->ActiveWorkbook());
    w.show();
    w.grid()->setCurrentIndex(w.model()->index(9, 4)); // the cursor away from the texts
    QApplication::processEvents();
    const QImage image = w.grid()->viewport()->grab().toImage();
    const auto cell = [&](int row, int column) {
        return w.grid()->visualRect(w.model()->index(row - 1, column - 1));
    };
    EXPECT_GT(darkPixels(image, cell(1, 2)), 10) << "A1's text goes on over B1";
    EXPECT_GT(darkPixels(image, cell(2, 2)), 10) << "and A2's over B2";
    EXPECT_EQ(darkPixels(image, cell(3, 1)), 0) << "nothing runs left into an empty A3";
    // C2 holds a value: A2's text stops before it, which shows only its own "x".
    const QRect c2 = cell(2, 3);
    EXPECT_EQ(darkPixels(image, QRect(c2.center().x(), c2.top(), c2.width() / 2, c2.height())), 0);
    image.save(testsupport::scratchDir("spill") + "/grid.png");
}

} // namespace
