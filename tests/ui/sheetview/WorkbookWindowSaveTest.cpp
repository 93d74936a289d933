// The workbook window saves as a spreadsheet does, and among other programs and other workbooks:
// only when the user says so, a .csv as a workbook beside it, never over a file someone else has
// open or changed; it tells LibreOffice and the like that it has the workbook open (their lock
// file, in their form) and respects theirs; a range picked in another workbook's window stays
// that workbook's.

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
#include "support/OtherReaders.h"
#include "tests/ui/sheetview/WorkbookWindowFixture.h"
#include "core/analysis/Highlight.h"

#include <QDialog>
#include <QPointer>
#include <QThread>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QDir>
#include <QTableView>
#include <QTimer>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using excel::Variant;
using testsupport::bytesOf;
using testsupport::openBook;

std::shared_ptr<embedded::EmbeddedApplication> openAt(const QString& path,
                                                      const testsupport::SheetSpec& sheet) {
    auto app = testsupport::openBook({sheet}, 0, path);
    app->setSavesAtEnd(false);
    return app;
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

// Nothing is written without the user: Save writes (again and again, each time the whole state),
// Don't Save leaves the file as it was, Cancel keeps the window, and a failure is said.
TEST(WorkbookWindow, SavesOnlyWhenTheUserSaysSo) {
    auto app = openBook({testsupport::sheetSpec(
        "Log", {{"A1", "Defect"}, {"A2", "Dent"}, {"A3", "Scratch"}, {"A4", "Dent"}})});
    app->setSavesAtEnd(false);
    QStringList asked, told;
    int answer = QMessageBox::Cancel;
    // A window that answers the question with answer and keeps what it tells.
    const auto openWindow = [&] {
        auto* window = new sheetview::WorkbookWindow(app, app->ActiveWorkbook());
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->askSaveChanges = [&](const QString& question) {
            asked << question;
            return answer;
        };
        window->showMessage = [&](const QString& text) { told << text; };
        return window;
    };
    auto* w = openWindow();
    const QString file = app->workbooks().front()->path();
    const QByteArray original = bytesOf(file);

    w->close(); // nothing changed: closes without a question
    EXPECT_TRUE(asked.isEmpty());
    w = openWindow();
    w->show();
    testsupport::Analysis analysis(app, "A1:A4");
    analysis.analyse();
    report::runReport(*app, app->ActiveWorkbook(), analysis.main, false);
    EXPECT_TRUE(w->isWindowModified());
    EXPECT_EQ(bytesOf(file), original) << "the report alone writes nothing";

    QPointer<sheetview::WorkbookWindow> alive(w);
    answer = QMessageBox::Cancel;
    EXPECT_FALSE(w->close());
    EXPECT_EQ(asked, QStringList{"Save changes to \"book.xlsx\"?"});
    ASSERT_TRUE(alive) << "Cancel keeps the window";

    ASSERT_TRUE(w->save());
    EXPECT_FALSE(w->isWindowModified());
    EXPECT_EQ(embedded::readWorkbookFile(file).sheets.size(), 2u);

    // A second report and a second save: the file holds both, once each.
    report::runReport(*app, app->ActiveWorkbook(), analysis.main, false);
    ASSERT_TRUE(w->save());
    const auto twice = embedded::readWorkbookFile(file);
    ASSERT_EQ(twice.sheets.size(), 3u);
    EXPECT_EQ(twice.sheets[1].name, "Tallyvane1");
    EXPECT_EQ(twice.sheets[2].name, "Tallyvane2");

    // A third report, not saved: Don't Save leaves the file as the last save made it.
    report::runReport(*app, app->ActiveWorkbook(), analysis.main, false);
    const QByteArray saved = bytesOf(file);
    QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup);
    answer = QMessageBox::Save;
    EXPECT_FALSE(w->close()) << "a save that fails keeps the window";
    ASSERT_EQ(told.size(), 1);
    EXPECT_EQ(told[0], "The workbook \"book.xlsx\" could not be saved: the file is read-only. The "
                       "file on disk is as it was.");
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
    answer = QMessageBox::Discard;
    EXPECT_TRUE(w->close());
    EXPECT_EQ(bytesOf(file), saved);
}

// A workbook read from a .csv is saved as a new .xlsx through Save As, proposed beside it under a
// name that is not taken; the name the user gives is where it goes, and later saves go there.
TEST(WorkbookWindow, ACsvIsSavedAsAWorkbookBesideIt) {
    const QString dir = testsupport::scratchDir("workbook-window-csv");
    QFile csv(dir + "/data.csv");
    ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
    csv.write("Defect\nDent\nScratch\nDent\n");
    csv.close();
    QFile taken(dir + "/data.xlsx");
    ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
    taken.write("someone else's");
    taken.close();
    auto app = embedded::EmbeddedApplication::create();
    app->open(dir + "/data.csv");
    app->setSavesAtEnd(false);
    sheetview::WorkbookWindow w(app, app->ActiveWorkbook());
    QStringList proposals;
    w.askFileName = [&](const QString& proposed) {
        proposals << proposed;
        return proposals.size() == 1 ? QString() : proposed;
    };
    testsupport::Analysis analysis(app, "A1:A4");
    analysis.analyse();
    report::runReport(*app, app->ActiveWorkbook(), analysis.main, false);
    EXPECT_FALSE(w.save()) << "the user cancelled the name";
    ASSERT_TRUE(w.save());
    EXPECT_EQ(proposals, QStringList({dir + "/data (2).xlsx", dir + "/data (2).xlsx"}));
    EXPECT_EQ(bytesOf(dir + "/data.xlsx"), "someone else's");
    EXPECT_EQ(embedded::readWorkbookFile(dir + "/data (2).xlsx").sheets.size(), 2u);
    EXPECT_EQ(app->ActiveWorkbook()->Name(), "data (2).xlsx");
    EXPECT_TRUE(w.windowTitle().startsWith("data (2).xlsx"));
    ASSERT_TRUE(w.save()) << "now a workbook of its own: saved without asking a name";
    EXPECT_EQ(proposals.size(), 2);
}

// Another program has the file open: the lock file beside it says who; the workbook is analysed,
// Save is refused with that sentence and Save As offered, and the file stays as it was.
TEST(WorkbookWindow, AWorkbookSomeoneElseHasOpenIsNotSavedOver) {
    const QString dir = testsupport::scratchDir("workbook-window-locked");
    const QString file = dir + "/book.xlsx";
    testsupport::writeXlsx(file, {testsupport::sheetSpec("Log", {{"A1", "Defect"}, {"A2", "Dent"}})});
    QFile lock(dir + "/.~lock.book.xlsx#");
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write("Ann Lee,ann,host3,07.12.2026 10:00,file:///home/ann/.config/libreoffice/4;");
    lock.close();
    auto app = embedded::EmbeddedApplication::create();
    app->open(file);
    app->setSavesAtEnd(false);
    sheetview::WorkbookWindow w(app, app->ActiveWorkbook());
    QStringList told, proposals;
    w.showMessage = [&](const QString& text) { told << text; };
    w.askFileName = [&](const QString& proposed) {
        proposals << proposed;
        return QString();
    };
    EXPECT_TRUE(w.windowTitle().contains("(read-only)"));
    const QByteArray before = bytesOf(file);
    testsupport::Analysis analysis(app, "A1:A2");
    analysis.analyse();
    report::runReport(*app, app->ActiveWorkbook(), analysis.main, false);
    EXPECT_FALSE(w.save());
    ASSERT_EQ(told.size(), 1);
    EXPECT_EQ(told[0], "The workbook \"book.xlsx\" could not be saved: it is open in another "
                       "program (by Ann Lee on host3), and saving would replace what they save; "
                       "save it under another name with Save As. The file on disk is as it was.");
    EXPECT_EQ(proposals.size(), 1) << "Save As is offered";
    EXPECT_EQ(bytesOf(file), before);
}

TEST(LockFile, NamesWhoHoldsTheFileInEitherSuitesForm) {
    const QString dir = testsupport::scratchDir("locks");
    EXPECT_FALSE(embedded::lockHolder(dir + "/free.xlsx"));
    QByteArray owner(162, '\0');
    owner[0] = 7;
    owner.replace(1, 7, "Bo Chen");
    owner[54] = 7;
    const QString utf16 = QStringLiteral("Bo Chén");
    for (int i = 0; i < 7; ++i) {
        owner[56 + 2 * i] = char(utf16[i].unicode() & 0xFF);
        owner[57 + 2 * i] = char(utf16[i].unicode() >> 8);
    }
    // The first two letters of longer names are dropped.
    testsupport::writeFile(dir + "/~$fects.xlsx", owner);
    EXPECT_EQ(embedded::lockHolder(dir + "/defects.xlsx"), QStringLiteral("Bo Chén"));
    testsupport::writeFile(dir + "/.~lock.plain.xlsx#", ",,,;");
    EXPECT_EQ(embedded::lockHolder(dir + "/plain.xlsx"), QStringLiteral("another user"));
}

// Someone else saved the file after this session read or saved it: Save does not write over
// their work; it says so, and the file stays as they left it.
TEST(WorkbookWindow, AFileChangedOnDiskIsNotSavedOver) {
    auto app = openBook({testsupport::sheetSpec("Log", {{"A1", "Defect"}, {"A2", "Dent"}})});
    app->setSavesAtEnd(false);
    const QString file = app->workbooks().front()->path();
    sheetview::WorkbookWindow w(app, app->ActiveWorkbook());
    QStringList told;
    w.showMessage = [&](const QString& text) { told << text; };
    testsupport::Analysis analysis(app, "A1:A2");
    analysis.analyse();
    report::runReport(*app, app->ActiveWorkbook(), analysis.main, false);
    ASSERT_TRUE(w.save());
    QThread::msleep(20);
    testsupport::writeXlsx(file, {testsupport::sheetSpec("Theirs", {{"A1", "z"}})});
    const QByteArray theirs = bytesOf(file);
    report::runReport(*app, app->ActiveWorkbook(), analysis.main, false);
    EXPECT_FALSE(w.save());
    ASSERT_EQ(told.size(), 1);
    EXPECT_EQ(told[0], "The workbook \"book.xlsx\" could not be saved: the file was changed on "
                       "disk since it was opened or last saved, by another program; save it under "
                       "another name with Save As. The file on disk is as it was.");
    EXPECT_EQ(bytesOf(file), theirs);
}

// The sample with a highlight and the report with its chart, saved from the window, opened by two
// other readers: openpyxl reads the file; LibreOffice loads it and saves it again, and openpyxl
// reads what LibreOffice kept.
TEST(WorkbookWindow, ASaveFromTheWindowOpensInOtherReaders) {
    const QString dir = testsupport::scratchDir("window-e2e");
    const QString book = dir + "/defects.xlsx";
    ASSERT_TRUE(QFile::copy(TALLYVANE_SAMPLE, book));
    QFile::setPermissions(book, QFile::ReadOwner | QFile::WriteOwner);
    auto app = embedded::EmbeddedApplication::create();
    app->open(book);
    app->setSavesAtEnd(false);
    sheetview::WorkbookWindow w(app, app->ActiveWorkbook());
    const excel::Range range = app->Range("'Defect log'!C1:C501");
    ASSERT_TRUE(analysis::runHighlightAction(
                    *app, [&] { analysis::HighlightCategory(range, "Scratch"); }, "set")
                    .isEmpty());
    testsupport::Analysis analysis(app, "'Defect log'!C1:C501");
    analysis.analyse();
    ASSERT_EQ(report::runReport(*app, app->ActiveWorkbook(), analysis.main, true).outcome,
              report::ReportResult::Outcome::Written);
    ASSERT_TRUE(w.save());

    const testsupport::OtherReaders readers{TALLYVANE_PYTHON, TALLYVANE_CHECK_REPORT,
                                            TALLYVANE_SOFFICE};
    if (!readers.hasOpenpyxl())
        GTEST_SKIP() << "python3-openpyxl is not installed";
    const QStringList what = {"Tallyvane1", "Defect log", "Scratch"};
    for (const QString& found : readers.checkEach(book, dir, what))
        EXPECT_EQ(found, "ok\n");
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
