// The program's start on the offscreen platform: its switches, the start-up messages, and the
// automation class running the start again in the same process.

#include "Startup.h"
#include "core/analysis/ParetoColumns.h"

#include "Class1.h"
#include "ui/controls/ThemedButton.h"
#include "excel/Error.h"
#include "excel/RunningApplications.h"
#include "engines/embedded/EmbeddedApplication.h"
#include "engines/embedded/EmbeddedHost.h"
#include "ui/forms/About.h"
#include "ui/controls/TitelBar.h"
#include "support/TestFiles.h"
#include "excel/Workbook.h"
#include "excel/Worksheet.h"
#include "excel/Range.h"
#include "core/analysis/Highlight.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QStatusBar>
#include <QFileInfo>
#include <QAction>
#include <QProgressDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QThread>
#include <gtest/gtest.h>

namespace {

struct Started {
    Started() {
        embedded::registerEmbeddedProvider();
        startup.showMessage = [this](const QString& text) { messages << text; };
        startup.openAddress = [this](const char* address) { opened << address; };
        startup.askWorkbookFile = [this] {
            ++asked;
            return chosen;
        };
        QObject::connect(&startup, &Startup::finished, [this] { ++finished; });
    }
    ~Started() {
        for (QWidget* w : QApplication::topLevelWidgets())
            w->close();
    }
    bool anyWindow() const {
        const QWidgetList windows = QApplication::topLevelWidgets();
        return std::any_of(windows.begin(), windows.end(),
                           [](QWidget* w) { return w->isVisible(); });
    }

    Startup startup;
    QStringList messages;
    QStringList opened;
    int finished = 0;
    int asked = 0;
    QString chosen; // what the file dialog answers; empty: the user cancels
};

QString sampleBook(const QString& selection = "A1:A6") {
    testsupport::SheetSpec sheet;
    sheet.name = "Log";
    sheet.cells = {
        {"A1", "Defect"}, {"A2", "Scratch"}, {"A3", "Dent"}, {"A4", "Scratch"}, {"A6", "Crack"}};
    sheet.selection = selection;
    const QString path = testsupport::scratchDir("book") + "/log.xlsx";
    testsupport::writeXlsx(path, {sheet});
    return path;
}

TEST(Startup, ReportsWhatKeepsItFromAttaching) {
    Started s;
    s.startup.Main("");
    s.startup.Main("/1002");
    s.startup.Main("/no/such/book.xlsx");
    const QString bad = testsupport::scratchDir("bad") + "/bad.xlsx";
    testsupport::writeFile(bad, "not a workbook");
    s.startup.Main(bad);
    excel::registerApplicationProvider("no books", 10, [](const QString& argument) {
        return argument == "no books"
                   ? std::shared_ptr<excel::Application>(embedded::EmbeddedApplication::create())
                   : nullptr;
    });
    s.startup.Main("no books");
    excel::unregisterApplicationProvider("no books");
    EXPECT_EQ(
        s.messages,
        (QStringList{"No running Excel instance found", "No running Excel instance found",
                     "There is no workbook file \"/no/such/book.xlsx\".",
                     "The workbook \"bad.xlsx\" cannot be opened: it is not a workbook file, or "
                     "it is damaged (no zip directory at its end; the file may be cut short).",
                     "An Excel instance found but no Activeworkbook"}));
    EXPECT_FALSE(s.anyWindow());
    EXPECT_FALSE(s.startup.session().LaunchedFromExcel);
    EXPECT_EQ(s.asked, 1) << "only a start without an argument asks for a file";
}

TEST(Startup, TheOfficeSwitchAttachesToTheOfficeOrSaysWhyNot) {
    Started s;
    s.startup.Main("--office");
    s.startup.attachOffice = []() -> std::shared_ptr<excel::Application> {
        throw excel::Error("Office", "LibreOffice has no spreadsheet open.");
    };
    s.startup.Main("--office");
    EXPECT_EQ(s.messages, (QStringList{"This Tallyvane was built without LibreOffice support.",
                                       "LibreOffice has no spreadsheet open."}));
    EXPECT_EQ(s.asked, 0) << "the office's document is never asked for in a file dialog";
    EXPECT_FALSE(s.anyWindow());

    // Whatever the office hook gives is the spreadsheet the analysis attaches to.
    const QString path = sampleBook("A1:A6");
    const std::shared_ptr<excel::Application> app =
        embedded::hostWorkbook(path, embedded::readWorkbookFile(path));
    s.startup.attachOffice = [app] { return app; };
    s.startup.Main("--office");
    EXPECT_EQ(s.messages.size(), 2);
    EXPECT_EQ(s.startup.session().ExcelApp, app);
    EXPECT_TRUE(s.startup.session().LaunchedFromExcel);
}

// The options entry of the office: the options of the document attached to are offered and,
// when the user accepts, kept with it; no analysis window opens.
TEST(Startup, TheOfficeOptionsSwitchKeepsTheChosenOptionsWithTheDocument) {
    Started s;
    const QString path = sampleBook("A1:A6");
    const std::shared_ptr<excel::Application> app =
        embedded::hostWorkbook(path, embedded::readWorkbookFile(path));
    s.startup.attachOffice = [app] { return app; };
    analysis::ParetoOptions chosen;
    chosen.top = 3;
    chosen.groupRange = "B:B";
    QStringList offered;
    bool accept = false;
    s.startup.askParetoOptions = [&](const analysis::ParetoOptions& now, const QString& workbook)
        -> std::optional<analysis::ParetoOptions> {
        offered << QStringLiteral("%1 top=%2").arg(workbook).arg(now.top);
        return accept ? std::optional(chosen) : std::nullopt;
    };
    s.startup.Main("--office-options"); // cancelled
    accept = true;
    s.startup.Main("--office-options");
    s.startup.Main("--office-options"); // what was kept is offered
    EXPECT_EQ(offered, (QStringList{"log.xlsx top=0", "log.xlsx top=0", "log.xlsx top=3"}));
    const auto kept = analysis::sessionOptions(*app->ActiveWorkbook());
    EXPECT_EQ(kept.top, 3);
    EXPECT_EQ(kept.groupRange, "B:B");
    EXPECT_TRUE(s.messages.isEmpty()) << s.messages.join('|').toStdString();
    EXPECT_FALSE(s.startup.analysisForm());
    EXPECT_FALSE(s.anyWindow());
}

TEST(Startup, WithoutAnArgumentTheUserPicksTheWorkbook) {
    Started s;
    s.chosen = sampleBook();
    s.startup.Main("");
    EXPECT_EQ(s.asked, 1);
    EXPECT_TRUE(s.messages.isEmpty()) << s.messages.join('|').toStdString();
    ASSERT_TRUE(s.startup.analysisForm());
    ASSERT_TRUE(s.startup.workbookWindow());
    EXPECT_TRUE(s.startup.workbookWindow()->windowTitle().startsWith("log.xlsx"));
}

TEST(Startup, SwitchesOpenPagesOrAboutWithoutAWorkbook) {
    Started s;
    s.startup.Main("/1003");
    s.startup.Main("/613");
    EXPECT_EQ(s.opened, (QStringList{"https://tallyvane.example.org/help",
                                     "https://tallyvane.example.org/contact"}));
    EXPECT_FALSE(s.anyWindow()) << "a page opens, no window";
    s.startup.Main("/612");
    forms::About& about = forms::About::instance();
    EXPECT_TRUE(about.isVisible());
    EXPECT_TRUE(about.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(s.messages.isEmpty()) << "no workbook needed";
    QDir().mkpath(testsupport::generatedDir("pictures"));
    about.grab().save(testsupport::generatedDir("pictures") + "/about.png");
    // The caption bar's close and minimise buttons, as a new caption bar has them; its close
    // button closes the window, and showing it again builds it anew.
    for (const char* decoration : {"Picture2", "Image1", "Shape1"})
        EXPECT_TRUE(about.findChild<QWidget*>(decoration)) << decoration;
    auto* bar = about.findChild<controls::TitelBar*>("TitelBar1");
    ASSERT_TRUE(bar);
    EXPECT_TRUE(bar->findChild<QLabel*>("TBARX")->isVisible());
    EXPECT_TRUE(bar->findChild<QLabel*>("TBAR_")->isVisible());
    EXPECT_FALSE(bar->findChild<QLabel*>("TBARMax")->isVisible());
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(4, 4), QPointF(4, 4), Qt::LeftButton,
                      Qt::LeftButton, {});
    QApplication::sendEvent(bar->findChild<QLabel*>("TBARX"), &press);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(s.anyWindow()) << "the close button closes the About window";
    s.startup.Main("/612");
    forms::About& again = forms::About::instance();
    ASSERT_TRUE(again.isVisible());
    again.findChild<controls::ThemedButton*>("ContactUs")->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(s.anyWindow()) << "Web site closes the window even without a browser";
    EXPECT_FALSE(s.startup.session().ExcelApp);
    s.startup.Main("/612 x");
    EXPECT_EQ(s.messages, QStringList{"There is no workbook file \"/612 x\"."})
        << "a switch with more after it takes the default row";
}

TEST(Startup, AttachesAndTheAutomationClassReusesTheWindow) {
    Started s;
    const QString book = sampleBook();
    s.startup.Main(book);
    ASSERT_TRUE(s.startup.analysisForm());
    analysis::AnalysisForm* form = s.startup.analysisForm();
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(s.startup.session().LaunchedFromExcel);
    EXPECT_EQ(form->findChild<QLineEdit*>("InputRange")->text(), "[log.xlsx]Log!$A$1:$A$6");
    EXPECT_EQ(form->mainListView().count(), 4);
    form->includedView().setChecked(0, false); // state the window holds

    Class1 automation(s.startup, book);
    const QDBusVariant answer = automation.Merge(QDBusVariant(QVariant(42)));
    EXPECT_EQ(answer.variant(), QVariant(QString())) << "Merge returns an empty value";
    EXPECT_EQ(s.startup.analysisForm(), form) << "the same window, shown again";
    EXPECT_FALSE(form->includedView().checked(0)) << "and not loaded anew";
    form->close();
    EXPECT_EQ(s.finished, 0) << "the workbook stays on screen";
    EXPECT_FALSE(s.startup.session().ExcelApp);
    ASSERT_TRUE(s.startup.workbookWindow());
    s.startup.workbookWindow()->close();
    EXPECT_EQ(s.finished, 1) << "closing the workbook window ends the program";
}

int threadsOfThisProcess() {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("Threads:"))
            return line.mid(8).trimmed().toInt();
    }
    return -1;
}

// A workbook is read on a worker thread behind a progress window; Cancel there stops the read and
// leaves nothing open: no window, no message, no thread.
TEST(Startup, ACancelledOpenLeavesNothingOpen) {
    // A first open, to its end: whatever threads the toolkit starts for windows are there.
    {
        Started first;
        first.startup.Main(sampleBook());
        EXPECT_TRUE(first.startup.workbookWindow());
    }
    QApplication::processEvents();
    Started s;
    const int threads = threadsOfThisProcess();
    QString label;
    s.startup.onOpening = [&](QProgressDialog* progress) {
        label = progress->labelText();
        progress->cancel();
    };
    s.startup.Main(sampleBook());
    EXPECT_EQ(label, "Opening \"log.xlsx\"...");
    EXPECT_FALSE(s.anyWindow());
    EXPECT_FALSE(s.startup.analysisForm());
    EXPECT_FALSE(s.startup.workbookWindow());
    EXPECT_TRUE(s.messages.isEmpty()) << s.messages.join('|').toStdString();
    // The reading thread ends right after it reports that it has finished.
    for (int i = 0; i < 100 && threadsOfThisProcess() > threads; ++i)
        QThread::msleep(20);
    EXPECT_EQ(threadsOfThisProcess(), threads) << "the reading thread is gone";
}

// File > Open opens another workbook in a window of its own; the automation's Merge attaches the
// analysis to the workbook window that was active last; the program ends with the last window.
TEST(Startup, AnotherWorkbookOpensInItsOwnWindowAndMergeFollowsTheActiveOne) {
    Started s;
    const QString first = sampleBook();
    testsupport::SheetSpec other = testsupport::sheetSpec("Other", {{"A1", "x"}, {"A2", "y"}});
    const QString second = testsupport::scratchDir("second") + "/second.xlsx";
    testsupport::writeXlsx(second, {other});
    s.startup.Main(first);
    sheetview::WorkbookWindow* one = s.startup.workbookWindow();
    ASSERT_TRUE(one);
    one->askOpenFile = [&] { return second; };
    for (QAction* action : one->findChildren<QAction*>()) {
        if (action->text() == "&Open...")
            action->trigger();
    }
    ASSERT_EQ(s.startup.workbookWindows().size(), 2);
    sheetview::WorkbookWindow* two = s.startup.workbookWindows().back();
    EXPECT_TRUE(two->windowTitle().startsWith("second.xlsx"));
    EXPECT_EQ(s.startup.workbookWindow(), two) << "the new window is the active one";

    Class1 automation(s.startup, first);
    automation.Merge(QDBusVariant(QVariant(1)));
    EXPECT_EQ(s.startup.session().SourceWorkbook->Name(), "second.xlsx");

    two->close();
    EXPECT_EQ(s.finished, 0) << "a workbook window is still open";
    EXPECT_EQ(s.startup.workbookWindow(), one);
    one->close();
    EXPECT_EQ(s.finished, 1);
}

TEST(Startup, WindowsOpenWhereTheUserLeftThem) {
    QSettings().clear();
    const QString book = sampleBook();
    QRect workbookPlace;
    {
        Started s;
        s.startup.Main(book);
        ASSERT_TRUE(s.startup.analysisForm() && s.startup.workbookWindow());
        s.startup.analysisForm()->move(140, 90);
        s.startup.workbookWindow()->setGeometry(60, 50, 700, 500);
        workbookPlace = s.startup.workbookWindow()->geometry();
        s.startup.analysisForm()->close();
        s.startup.workbookWindow()->close();
    }
    {
        Started s;
        s.startup.Main(book);
        ASSERT_TRUE(s.startup.analysisForm() && s.startup.workbookWindow());
        EXPECT_EQ(s.startup.analysisForm()->pos(), QPoint(140, 90));
        EXPECT_EQ(s.startup.workbookWindow()->geometry(), workbookPlace);
        // A place no screen shows any more (a screen since unplugged), and a window larger
        // than the screen.
        s.startup.analysisForm()->move(-5000, -5000);
        s.startup.analysisForm()->close();
        s.startup.workbookWindow()->setGeometry(4000, 3000, 5000, 4000);
        s.startup.workbookWindow()->close();
    }
    Started s;
    s.startup.Main(book);
    ASSERT_TRUE(s.startup.analysisForm());
    // Moved onto the screen, whole.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.contains(s.startup.analysisForm()->pos()));
    const QRect place = s.startup.workbookWindow()->geometry();
    EXPECT_TRUE(screen.contains(place.topLeft())) << place.x() << "," << place.y();
    EXPECT_LE(place.width(), screen.width());
    EXPECT_LE(place.height(), screen.height());
    EXPECT_TRUE(QSettings().fileName().contains(".qttest")) << "never the user's own settings";
}

QAction* actionNamed(QWidget* window, const QString& text) {
    for (QAction* action : window->findChildren<QAction*>()) {
        if (action->text() == text || action->objectName() == text)
            return action;
    }
    return nullptr;
}

// Analysis > Pareto analysis works in every workbook window: the one the program opened, one
// opened by File > Open, a text file's; one analysis window at a time, asked again it comes back.
TEST(Startup, TheAnalysisMenuAnalysesTheWorkbookOfItsWindow) {
    QSettings().clear();
    Started s;
    s.startup.Main(sampleBook());
    analysis::AnalysisForm* first = s.startup.analysisForm();
    ASSERT_TRUE(first);
    sheetview::WorkbookWindow* one = s.startup.workbookWindow();
    first->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_FALSE(s.startup.analysisForm()) << "the analysis window is gone";
    EXPECT_EQ(s.finished, 0);

    QAction* pareto = actionNamed(one, "ParetoAnalysis");
    ASSERT_TRUE(pareto);
    EXPECT_EQ(pareto->shortcut(), QKeySequence("Ctrl+Shift+P"));
    pareto->trigger();
    ASSERT_TRUE(s.startup.analysisForm()) << "analysed again";
    EXPECT_EQ(s.startup.analysisForm()->mainListView().count(), 4);
    analysis::AnalysisForm* again = s.startup.analysisForm();
    pareto->trigger();
    EXPECT_EQ(s.startup.analysisForm(), again) << "the open one, not a second";
    again->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // A text file opened from the File menu, with the user's selection of its column.
    const QString csv = testsupport::scratchDir("csv") + "/codes.csv";
    testsupport::writeFile(csv, "Code\nE12\nE7\nE12\nE3\nE12\n");
    one->askOpenFile = [&] { return csv; };
    actionNamed(one, "&Open...")->trigger();
    ASSERT_EQ(s.startup.workbookWindows().size(), 2);
    sheetview::WorkbookWindow* two = s.startup.workbookWindows().back();
    two->workbook()->ActiveSheet()->Range("A1:A6").Select();
    actionNamed(two, "ParetoAnalysis")->trigger();
    analysis::AnalysisForm* form = s.startup.analysisForm();
    ASSERT_TRUE(form);
    EXPECT_EQ(s.startup.session().SourceWorkbook, two->workbook());
    EXPECT_EQ(form->findChild<QLineEdit*>("InputRange")->text(), "[codes.csv]codes!$A$1:$A$6");
    EXPECT_EQ(form->mainListView().count(), 4) << "Code, E12, E7, E3";

    // Asked in the other window while it is open: the same window, and a word on which workbook
    // it works on.
    actionNamed(one, "ParetoAnalysis")->trigger();
    EXPECT_EQ(s.startup.analysisForm(), form);
    EXPECT_EQ(s.startup.session().SourceWorkbook, two->workbook());
    EXPECT_TRUE(one->statusBar()->currentMessage().contains("codes.csv"))
        << one->statusBar()->currentMessage().toStdString();
}

// File > Quit closes every workbook window, each asking about its changes; a Cancel keeps the
// program running. Recent files offers what was opened, newest first.
TEST(Startup, QuitAsksEachWindowAndRecentFilesOffersWhatWasOpened) {
    QSettings().clear();
    Started s;
    const QString first = sampleBook();
    s.startup.Main(first);
    s.startup.analysisForm()->close();
    sheetview::WorkbookWindow* one = s.startup.workbookWindow();
    const QString second = testsupport::scratchDir("second") + "/second.xlsx";
    testsupport::writeXlsx(second, {testsupport::sheetSpec("Other", {{"A1", "x"}})});
    one->askOpenFile = [&] { return second; };
    actionNamed(one, "&Open...")->trigger();
    ASSERT_EQ(s.startup.workbookWindows().size(), 2);
    sheetview::WorkbookWindow* two = s.startup.workbookWindows().back();

    QMenu* recent = one->findChild<QMenu*>("RecentFiles");
    ASSERT_TRUE(recent);
    emit recent->aboutToShow();
    QStringList offered;
    for (QAction* a : recent->actions())
        offered << a->toolTip();
    ASSERT_GE(offered.size(), 2);
    EXPECT_EQ(offered[0], QFileInfo(second).absoluteFilePath());
    EXPECT_EQ(offered[1], QFileInfo(first).absoluteFilePath());
    EXPECT_EQ(recent->actions()[0]->text(), "&1 second.xlsx");

    // Both windows hold changes; the second one's Cancel stops the quit.
    for (sheetview::WorkbookWindow* w : {one, two}) {
        excel::Application& app = *w->application();
        const excel::Range cell = app.Range("A1");
        ASSERT_TRUE(analysis::runHighlightAction(
                        app, [&] { analysis::HighlightCategory(cell, "x"); }, "set")
                        .isEmpty());
    }
    QStringList asked;
    one->askSaveChanges = [&](const QString& q) {
        asked << q;
        return int(QMessageBox::Discard);
    };
    two->askSaveChanges = [&](const QString& q) {
        asked << q;
        return int(QMessageBox::Cancel);
    };
    QAction* quit = actionNamed(two, "&Quit");
    ASSERT_TRUE(quit);
    EXPECT_EQ(quit->shortcut(), QKeySequence("Ctrl+Q"));
    quit->trigger();
    EXPECT_EQ(asked.size(), 2);
    EXPECT_EQ(s.finished, 0) << "cancelled";
    ASSERT_EQ(s.startup.workbookWindows().size(), 1);
    two->askSaveChanges = [&](const QString&) { return int(QMessageBox::Discard); };
    quit->trigger();
    EXPECT_TRUE(s.startup.workbookWindows().isEmpty());
    EXPECT_EQ(s.finished, 1);
}

} // namespace
