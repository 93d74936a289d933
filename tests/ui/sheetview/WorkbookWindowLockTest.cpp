// The workbook window among other programs and other workbooks: it tells LibreOffice and the
// like that it has the workbook open (their lock file, in their form), respects theirs when they
// come later, and a range picked in another workbook's window stays that workbook's.

#include "ui/sheetview/WorkbookWindow.h"

#include "core/analysis/CategoryTable.h"
#include "excel/Workbook.h"
#include "excel/Worksheet.h"
#include "engines/embedded/EmbeddedApplication.h"
#include "engines/embedded/LockFile.h"
#include "ui/platform/RangeInputDialog.h"
#include "ui/platform/SheetGridModel.h"
#include "core/report/ReportAction.h"
#include "support/AnalysisFixture.h"
#include "support/TestFiles.h"

#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QDir>
#include <QTableView>
#include <QTimer>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

std::shared_ptr<embedded::EmbeddedApplication> openAt(const QString& path,
                                                      const testsupport::SheetSpec& sheet) {
    testsupport::writeXlsx(path, {sheet});
    auto app = embedded::EmbeddedApplication::create();
    app->open(path);
    app->setSavesAtEnd(false);
    return app;
}

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

testsupport::SheetSpec log() {
    return testsupport::sheetSpec("Log", {{"A1", "Defect"}, {"A2", "Dent"}, {"A3", "Scratch"}});
}

} // namespace

// While the window is open, LibreOffice's lock file names this user and host (and this program
// with its process in place of a settings folder); it goes when the window closes, follows a
// Save As to the new name, and holds nobody back in this program.
TEST(WorkbookWindowLock, TheWindowKeepsALockFileWhileTheWorkbookIsOpen) {
    const QString dir = testsupport::scratchDir("own-lock");
    const QString file = dir + "/book.xlsx";
    auto app = openAt(file, log());
    const QString lock = dir + "/.~lock.book.xlsx#";
    {
        sheetview::WorkbookWindow w(app, app->ActiveWorkbook());
        ASSERT_TRUE(QFile::exists(lock));
        const QByteArray record = bytesOf(lock);
        EXPECT_TRUE(record.endsWith(",tallyvane-" + QByteArray::number(::getpid()) + ";"))
            << record.toStdString();
        EXPECT_EQ(embedded::lockHolder(file), std::nullopt);

        testsupport::Analysis analysis(app, "A1:A3");
        analysis.analyse();
        report::runReport(*app, app->ActiveWorkbook(), analysis.main, false);
        ASSERT_TRUE(w.save()) << "its own lock keeps nobody from saving";
        w.askFileName = [&](const QString&) { return dir + "/renamed.xlsx"; };
        ASSERT_TRUE(w.saveAs());
        EXPECT_FALSE(QFile::exists(lock));
        EXPECT_TRUE(QFile::exists(dir + "/.~lock.renamed.xlsx#"));
        w.close();
        EXPECT_FALSE(QFile::exists(dir + "/.~lock.renamed.xlsx#"));
    }
    EXPECT_EQ(QDir(dir).entryList(QDir::Hidden | QDir::Files | QDir::System),
              QStringList({"book.xlsx", "renamed.xlsx"}));
}

// A workbook another program has open gets no lock of ours, and theirs stays when the window
// closes. A lock another program writes over ours while the window is open (its user opened the
// file all the same) refuses the next Save, which offers Save As; ours is not taken back.
TEST(WorkbookWindowLock, AnotherProgramsLockIsNeverOurs) {
    const QString dir = testsupport::scratchDir("their-lock");
    const QString file = dir + "/book.xlsx";
    const QString lock = dir + "/.~lock.book.xlsx#";
    const QByteArray theirs = "Bob,bob,hostb,10.12.2026 05:00,file:///home/bob/.config/lo/4;";
    testsupport::writeFile(lock, theirs);
    {
        auto app = openAt(file, log());
        sheetview::WorkbookWindow w(app, app->ActiveWorkbook());
        EXPECT_TRUE(w.windowTitle().contains("(read-only)"));
    }
    EXPECT_EQ(bytesOf(lock), theirs);

    QFile::remove(lock);
    auto app = openAt(file, log());
    sheetview::WorkbookWindow w(app, app->ActiveWorkbook());
    QStringList told, proposed;
    w.showMessage = [&](const QString& text) { told << text; };
    w.askFileName = [&](const QString& name) {
        proposed << name;
        return QString();
    };
    testsupport::writeFile(lock, theirs);
    const QByteArray before = bytesOf(file);
    testsupport::Analysis analysis(app, "A1:A3");
    analysis.analyse();
    report::runReport(*app, app->ActiveWorkbook(), analysis.main, false);
    EXPECT_FALSE(w.save());
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].contains("it is open in another program (by Bob on hostb)"))
        << told[0].toStdString();
    EXPECT_EQ(proposed.size(), 1) << "Save As is offered";
    EXPECT_TRUE(w.windowTitle().contains("(read-only)"));
    EXPECT_EQ(bytesOf(file), before);
    w.askSaveChanges = [](const QString&) { return int(QMessageBox::Discard); };
    w.close();
    EXPECT_EQ(bytesOf(lock), theirs);
}

// Two workbooks on screen, each with a sheet "Log": a range picked in the second one's window is
// a range of the second workbook, and the analysis of the first says it is another workbook's
// instead of reading its own "Log".
TEST(WorkbookWindowLock, ARangePickedInAnotherWorkbooksWindowIsThatWorkbooks) {
    const QString dir = testsupport::scratchDir("two-books");
    auto first = openAt(dir + "/first.xlsx", log());
    auto second = openAt(dir + "/second.xlsx",
                         testsupport::sheetSpec("Log", {{"A1", "Other"}, {"A2", "x"}, {"A3", "y"}}));
    sheetview::WorkbookWindow one(first, first->ActiveWorkbook());
    sheetview::WorkbookWindow two(second, second->ActiveWorkbook());
    two.show();
    QString shown;
    QTimer::singleShot(0, &two, [&] {
        auto* box = two.findChild<QDialog*>("RangeInput");
        ASSERT_TRUE(box);
        two.grid()->selectionModel()->select(
            QItemSelection(two.model()->index(1, 0), two.model()->index(2, 0)),
            QItemSelectionModel::ClearAndSelect);
        shown = box->findChild<QLineEdit*>("Reference")->text();
        box->accept();
    });
    const auto range = platform::RangeInputDialog::pickIn(*first, "Select a column", {},
                                                          two.grid(), two.model(), &two);
    ASSERT_TRUE(range);
    EXPECT_EQ(shown, "[second.xlsx]Log!$A$2:$A$3");
    EXPECT_EQ(range->Worksheet()->Parent(), second->ActiveWorkbook());

    platform::ListViewModel included, results;
    testsupport::RecordingUi ui;
    analysis::CategoryTable table(first, included, results, ui);
    table.prepareLists();
    EXPECT_EQ(table.takeRange(*range, first->ActiveWorkbook(), true),
              analysis::RangeProblem::AnotherWorkbook);
    EXPECT_EQ(table.takeRange(first->Range("Log!A2:A3"), first->ActiveWorkbook(), true),
              analysis::RangeProblem::None);
}
