// The workbook host's range input box: references typed as the spreadsheet's own box takes them,
// ranges chosen on the grid, other sheets through the tabs, and Cancel.

#include "ui/platform/RangeInputDialog.h"

#include "engines/embedded/EmbeddedApplication.h"
#include "support/ModalAnswerer.h"
#include "support/TestFiles.h"

#include <QLineEdit>
#include <QTabBar>
#include <QTableView>
#include <gtest/gtest.h>

namespace {

std::shared_ptr<embedded::EmbeddedApplication> twoSheets() {
    testsupport::SheetSpec data;
    data.name = "Data";
    data.cells = {{"A1", "Defect"}, {"B2", "x"}, {"B90", "y"}};
    testsupport::SheetSpec mine;
    mine.name = "My sheet";
    mine.cells = {{"A1", 1.0}};
    const QString path = testsupport::scratchDir("input") + "/two.xlsx";
    testsupport::writeXlsx(path, {data, mine});
    auto app = embedded::EmbeddedApplication::create();
    app->open(path);
    return app;
}

TEST(RangeInputDialog, TakesTheReferencesTheSpreadsheetsBoxTakes) {
    auto app = twoSheets();
    for (const auto& [typed, address] : std::vector<std::pair<QString, QString>>{
             {"A1:A500", "[two.xlsx]Data!$A$1:$A$500"},
             {"B:B", "[two.xlsx]Data!$B:$B"},
             {"Data!$B$2:$B$90", "[two.xlsx]Data!$B$2:$B$90"},
             {"'My sheet'!B2:B9", "'[two.xlsx]My sheet'!$B$2:$B$9"}}) {
        platform::RangeInputDialog dialog(*app, "Select", {});
        dialog.findChild<QLineEdit*>("Reference")->setText(typed);
        dialog.accept();
        ASSERT_TRUE(dialog.range()) << typed.toStdString();
        EXPECT_EQ(dialog.range()->Address(true, true, true), address);
    }
    testsupport::ModalAnswerer ok;
    platform::RangeInputDialog dialog(*app, "Select", {});
    dialog.findChild<QLineEdit*>("Reference")->setText("A1:");
    QTimer::singleShot(0, &dialog, [&] {
        dialog.accept();
        QTimer::singleShot(200, &dialog, &QDialog::reject);
    });
    EXPECT_EQ(dialog.exec(), QDialog::Rejected) << "a bad reference keeps the box open";
    EXPECT_EQ(ok.texts, QStringList{"Input: Reference is not valid."});
    EXPECT_FALSE(dialog.range());
}

TEST(RangeInputDialog, ChoosesRangesOnTheGridOfAnySheet) {
    auto app = twoSheets();
    platform::RangeInputDialog dialog(*app, "Select a range in one column, header is first cell",
                                      {});
    auto* grid = dialog.findChild<QTableView*>("Grid");
    auto* reference = dialog.findChild<QLineEdit*>("Reference");
    EXPECT_EQ(grid->model()->rowCount(), 140) << "the used rows and a margin, read as they show";
    grid->selectionModel()->select(
        QItemSelection(grid->model()->index(1, 1), grid->model()->index(8, 1)),
        QItemSelectionModel::ClearAndSelect);
    EXPECT_EQ(reference->text(), "$B$2:$B$9");
    grid->selectColumn(1);
    EXPECT_EQ(reference->text(), "$B:$B");
    dialog.findChild<QTabBar*>("SheetTabs")->setCurrentIndex(1);
    grid->selectionModel()->select(grid->model()->index(0, 0), QItemSelectionModel::ClearAndSelect);
    EXPECT_EQ(reference->text(), "'My sheet'!$A$1");
    dialog.accept();
    EXPECT_EQ(dialog.range()->Worksheet()->Name(), "My sheet");
}

TEST(RangeInputDialog, ShowsTheSheetsTheUserSeesByTheirOwnNames) {
    testsupport::SheetSpec causes = testsupport::sheetSpec("Defects & Causes", {{"A1", "x"}});
    testsupport::SheetSpec secret = testsupport::sheetSpec("Secret", {{"A1", "y"}});
    secret.hidden = true;
    testsupport::SheetSpec last = testsupport::sheetSpec("Last", {{"A1", "z"}});
    const QString path = testsupport::scratchDir("input") + "/tabs.xlsx";
    testsupport::writeXlsx(path, {causes, secret, last});
    auto app = embedded::EmbeddedApplication::create();
    app->open(path);
    platform::RangeInputDialog dialog(*app, "Select", {});
    auto* tabs = dialog.findChild<QTabBar*>("SheetTabs");
    ASSERT_EQ(tabs->count(), 2) << "the hidden sheet has no tab";
    EXPECT_EQ(tabs->tabText(0), "Defects && Causes") << "shown as \"Defects & Causes\"";
    EXPECT_EQ(tabs->tabText(1), "Last");
    tabs->setCurrentIndex(1);
    auto* grid = dialog.findChild<QTableView*>("Grid");
    grid->selectionModel()->select(grid->model()->index(0, 0), QItemSelectionModel::ClearAndSelect);
    EXPECT_EQ(dialog.findChild<QLineEdit*>("Reference")->text(), "Last!$A$1");
}

} // namespace
