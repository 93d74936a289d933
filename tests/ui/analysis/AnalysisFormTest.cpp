// The analysis window driven as a user drives it, on the offscreen platform: its start from the
// saved selection, range input, the range messages, search, select all, the list events, the
// question before many categories and the statistics.

#include "Startup.h"
#include "core/analysis/ParetoOptions.h"
#include "excel/Worksheet.h"
#include "ui/sheetview/ChartWidget.h"
#include "ui/sheetview/ParetoOptionsDialog.h"
#include "ui/sheetview/WorkbookWindow.h"
#include "ui/controls/ProgressBar.h"
#include "ui/controls/ThemedButton.h"
#include "ui/controls/TitelBar.h"
#include "engines/embedded/EmbeddedApplication.h"
#include "engines/embedded/EmbeddedHost.h"
#include "ui/forms/RecodeHelp.h"
#include "support/ModalAnswerer.h"
#include "support/TestFiles.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTimer>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QMessageBox>
#include <QMovie>
#include <QGuiApplication>
#include <QScreen>
#include <QTabBar>
#include <QPointer>
#include <gtest/gtest.h>

namespace {

using excel::Variant;

struct Window {
    explicit Window(const testsupport::SheetSpec& sheet) {
        embedded::registerEmbeddedProvider();
        path = testsupport::scratchDir("window") + "/book.xlsx";
        testsupport::writeXlsx(path, {sheet});
        startup.showMessage = [this](const QString& text) { messages << text; };
        QObject::connect(&startup, &Startup::finished, [this] { ++finished; });
        startup.Main(path);
        form = startup.analysisForm();
    }
    ~Window() {
        // The workbook window would ask whether to save what the test changed: it is not saved.
        if (auto* book = startup.workbookWindow())
            book->askSaveChanges = [](const QString&) { return int(QMessageBox::Discard); };
        for (QWidget* w : QApplication::topLevelWidgets())
            w->close();
    }
    template <typename T>
    T* control(const char* name) const {
        return form->findChild<T*>(QString::fromLatin1(name));
    }
    QStringList categories() const {
        QStringList out;
        for (int row = 0; row < form->mainListView().count(); ++row)
            out << form->mainListView().text(row) + "=" + form->mainListView().subItem(row, 1);
        return out;
    }
    // The range input box answers with this range.
    void answerRangeInput(const QString& reference) {
        startup.session().ExcelApp->setRangeInputHandler(
            [reference](excel::Application& app, const QString&, const QString&) {
                return std::optional(app.Range(reference));
            });
        control<controls::ThemedButton>("InputButton1")->click();
    }
    void mouse(QEvent::Type type, const QPoint& at, const char* list = "MainListView") {
        QWidget* viewport = control<QAbstractItemView>(list)->viewport();
        QMouseEvent event(type, at, viewport->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
        QApplication::sendEvent(viewport, &event);
    }

    QString path;
    Startup startup;
    analysis::AnalysisForm* form = nullptr;
    QStringList messages;
    int finished = 0;
};

testsupport::SheetSpec defects(const QString& selection = "A1:A8") {
    testsupport::SheetSpec sheet;
    sheet.name = "Log";
    sheet.cells = {{"A1", "Defect"},  {"A2", "Scratch"}, {"A3", "Dent"},
                   {"A4", "scratch"}, {"A5", "Crack"},   {"A7", "Scratch"},
                   {"A8", "Dented"},  {"B1", "Line"},    {"B2", "L1"},
                   {"C1", "Formula"}, {"C2", 1.0},       {"C3", excel::ErrorValue::Div0}};
    sheet.formulas = {{"C3", "1/0"}};
    sheet.selection = selection;
    return sheet;
}

TEST(AnalysisForm, OpensAnalysedFromASelectionOfSeveralValues) {
    Window w(defects());
    ASSERT_TRUE(w.form);
    EXPECT_TRUE(w.form->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(w.control<QLineEdit>("InputRange")->text(), "[book.xlsx]Log!$A$1:$A$8");
    EXPECT_EQ(w.categories(),
              (QStringList{"Scratch=3", "Defect=1", "Dent=1", "Crack=1", "Dented=1"}));
    EXPECT_EQ(w.control<QLabel>("Total")->text(), "Total of count: 7");
    EXPECT_EQ(w.control<QLabel>("NbOfCategories")->text(), "5 categories selected")
        << "six categories, <blank> unticked";
    auto* progress = w.control<controls::ProgressBar>("prbHorizontal");
    EXPECT_FALSE(progress->isVisible());
    EXPECT_EQ(progress->value(), 5 * 100 / 6) << "the counting pass drove it (5 of 6 ticked)";
    EXPECT_FALSE(progress->Caption().isEmpty());
    EXPECT_FALSE(progress->BorderDefault()) << "stored with a black outline";
    EXPECT_TRUE(w.form->windowFlags() & Qt::FramelessWindowHint) << "the caption bar is its own";
    EXPECT_TRUE(w.control<controls::TitelBar>("TitelBar1"));
    EXPECT_FALSE(w.control<QWidget>("CondFormat")->isVisible());
    QDir().mkpath(testsupport::generatedDir("pictures"));
    w.form->grab().save(testsupport::generatedDir("pictures") + "/analysis-window.png");
}

TEST(AnalysisForm, OpensEmptyFromASingleCell) {
    Window w(defects("A2"));
    ASSERT_TRUE(w.form);
    EXPECT_EQ(w.form->mainListView().count(), 0);
    EXPECT_EQ(w.form->includedView().count(), 0);
    EXPECT_EQ(w.control<QLineEdit>("InputRange")->text(), "");
}

TEST(AnalysisForm, TakesARangeAndSaysWhyARangeIsRefused) {
    Window w(defects("A2"));
    w.answerRangeInput("A:A");
    EXPECT_EQ(w.control<QLineEdit>("InputRange")->text(), "[book.xlsx]Log!$A$1:$A$8")
        << "a whole column is clipped to the used rows";
    EXPECT_EQ(w.form->mainListView().count(), 5);
    EXPECT_FALSE(w.form->isMinimized());

    w.answerRangeInput("A1:A3,A5:A8");
    EXPECT_TRUE(w.control<QLabel>("ContiguousMsg1")->isVisible());
    EXPECT_EQ(w.form->mainListView().count(), 0) << "the result list was cleared";
    EXPECT_EQ(w.form->includedView().count(), 6) << "the categories stay";

    w.answerRangeInput("C1:C3");
    EXPECT_FALSE(w.control<QLabel>("ContiguousMsg1")->isVisible())
        << "hidden as a new input starts";
    EXPECT_TRUE(w.control<QLabel>("ErorCells")->isVisible());
    EXPECT_EQ(w.control<QLineEdit>("InputRange")->text(), "[book.xlsx]Log!$A$1:$A$8")
        << "a refused range does not take the place of the address";

    w.startup.session().ExcelApp->setRangeInputHandler(
        [](excel::Application&, const QString&, const QString&) {
            return std::optional<excel::Range>();
        });
    w.control<controls::ThemedButton>("InputButton1")->click();
    EXPECT_FALSE(w.form->isMinimized()) << "after a cancel the window comes back";
}

TEST(AnalysisForm, TakesASelectionOfTwoBlocksAtLoad) {
    Window w(defects("A1:A3 A5:A8"));
    EXPECT_FALSE(w.control<QLabel>("ContiguousMsg1")->isVisible());
    // Every block's values are read, not only the first block's.
    EXPECT_EQ(w.categories(),
              (QStringList{"Scratch=2", "Defect=1", "Dent=1", "Crack=1", "Dented=1"}));
}

TEST(AnalysisForm, SearchesFromTheStartOfTheLabelAndSelectsAll) {
    Window w(defects());
    w.control<QLineEdit>("SearchText")->setText("ent");
    w.control<controls::ThemedButton>("Search")->click();
    EXPECT_EQ(w.form->mainListView().selectedRow(), -1) << "the middle of a label is no match";
    w.control<QLineEdit>("SearchText")->setText("dENTED");
    w.control<controls::ThemedButton>("Search")->click();
    EXPECT_EQ(w.form->mainListView().text(w.form->mainListView().selectedRow()), "Dented");

    w.control<QCheckBox>("SelectAll")->click();
    w.control<controls::ThemedButton>("RefreshMe")->click();
    EXPECT_TRUE(w.categories().contains("<blank>=1"));
    EXPECT_EQ(w.control<QLabel>("NbOfCategories")->text(), "6 categories selected");
    w.control<QCheckBox>("SelectAll")->click();
    w.control<controls::ThemedButton>("RefreshMe")->click();
    EXPECT_EQ(w.form->mainListView().count(), 6) << "with nothing ticked, Refresh does nothing";
}

TEST(AnalysisForm, DoubleClickOnAResultRowLeavesThatCategoryOut) {
    Window w(defects());
    auto* view = w.control<QAbstractItemView>("MainListView");
    const int dent = w.form->mainListView().findItem("Dent");
    const QPoint onDent = view->visualRect(w.form->mainListView().index(dent, 3)).center();
    w.mouse(QEvent::MouseMove, onDent);
    w.mouse(QEvent::MouseButtonDblClick, onDent);
    EXPECT_FALSE(w.categories().contains("Dent=1"));
    EXPECT_EQ(w.form->mainListView().count(), 4);

    const QPoint below(onDent.x(), view->viewport()->height() - 2);
    w.mouse(QEvent::MouseMove, below);
    w.mouse(QEvent::MouseButtonDblClick, below);
    EXPECT_EQ(w.form->mainListView().count(), 4) << "empty space: nothing happens";

    w.mouse(QEvent::MouseButtonPress,
            view->visualRect(w.form->mainListView().index(1, 0)).center());
    EXPECT_EQ(w.form->mainListView().selectedRow(), 1);
    w.mouse(QEvent::MouseButtonPress,
            view->visualRect(w.form->mainListView().index(1, 2)).center());
    EXPECT_EQ(w.form->mainListView().selectedRow(), -1)
        << "the plain hit test needs the first column";
}

TEST(AnalysisForm, DoubleClickOnACategoryHighlightsItAndTheButtonClearsIt) {
    Window w(defects());
    auto* clear = w.control<controls::ThemedButton>("CondFormat");
    auto sheet = w.startup.session().ExcelApp->ActiveSheet();
    const auto rules = [&] { return sheet->conditionalFormats().size(); };
    w.form->includedView().clearSelection();
    w.mouse(QEvent::MouseButtonDblClick, {5, 5}, "IncludedView");
    EXPECT_TRUE(clear->isHidden()) << "no row selected: nothing happens";
    EXPECT_EQ(rules(), 0u);

    for (const char* label : {"Scratch", "Dent"}) {
        w.form->includedView().clearSelection();
        w.form->includedView().setSelected(w.form->includedView().findItem(label), true);
        w.mouse(QEvent::MouseButtonDblClick, {5, 5}, "IncludedView");
    }
    EXPECT_FALSE(clear->isHidden());
    ASSERT_EQ(rules(), 1u) << "the second highlight replaced the first";
    EXPECT_EQ(sheet->conditionalFormats().front()->text, "Dent");
    EXPECT_EQ(sheet->conditionalFormats().front()->fillColor, 0xFFFFCC);

    sheet->Range("C1").Select();
    clear->click();
    EXPECT_TRUE(clear->isHidden());
    EXPECT_EQ(rules(), 0u);
    EXPECT_EQ(w.startup.session().ExcelApp->Selection()->Address(), "$A$1:$A$8");
    EXPECT_TRUE(w.messages.isEmpty());
}

// A label holding a control character (stored as _x0001_), highlighted by a double click and
// saved from the workbook window: every part of the saved workbook is well-formed.
TEST(AnalysisForm, ADoubleClickHighlightOfAControlCharacterSavesAWellFormedWorkbook) {
    testsupport::SheetSpec sheet = testsupport::sheetSpec(
        "Log", {{"A1", "Defect"}, {"A2", "a_x0001_b"}, {"A3", "a_x0001_b"}, {"A4", "plain"}});
    sheet.selection = "A1:A4";
    Window w(sheet);
    const QString label = QStringLiteral("a\x01" "b");
    w.form->includedView().clearSelection();
    w.form->includedView().setSelected(w.form->includedView().findItem(label), true);
    w.mouse(QEvent::MouseButtonDblClick, {5, 5}, "IncludedView");
    auto sheetNow = w.startup.session().ExcelApp->ActiveSheet();
    ASSERT_EQ(sheetNow->conditionalFormats().size(), 1u);
    EXPECT_EQ(sheetNow->conditionalFormats().front()->text, label);
    ASSERT_TRUE(w.startup.workbookWindow()->save());
    EXPECT_EQ(testsupport::firstMalformedPart(w.path), QString());
    EXPECT_TRUE(testsupport::partText(w.path, "xl/worksheets/sheet1.xml").contains("text=\"a_x0001_b\""));
}

// On whatever screen the test runs (ctest runs it again on a 1600 x 900 screen at the scale
// factors 1.5 and 2), the whole window is on the screen and every control inside it, drawn
// smaller where the screen is too small for the window as designed.
TEST(AnalysisForm, FitsTheScreenWithEveryControlInside) {
    Window w(defects());
    w.form->show();
    QApplication::processEvents();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(w.form->width(), screen.width());
    EXPECT_LE(w.form->height(), screen.height());
    const QRect inside = w.form->rect();
    for (QWidget* child : w.form->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!child->isVisibleTo(w.form) || child->objectName().isEmpty() ||
            child->objectName().startsWith("Shadow"))
            continue;
        // A label's box may run past the edge as designed; its text may not.
        QRect used = child->geometry();
        if (auto* label = qobject_cast<QLabel*>(child); label && !label->text().isEmpty())
            used.setWidth(std::min(used.width(),
                                   label->fontMetrics().horizontalAdvance(label->text()) + 2));
        EXPECT_TRUE(inside.contains(used))
            << child->objectName().toStdString() << " at "
            << child->geometry().x() << "," << child->geometry().y() << " "
            << child->geometry().width() << "x" << child->geometry().height();
    }
    const QString picture = qEnvironmentVariable("TALLYVANE_SCALE_PICTURE");
    if (!picture.isEmpty())
        w.form->grab().save(picture);
}

// The report is written into the workbook on screen and the analysis window unloads; the
// workbook stays, unsaved until the user saves it.
TEST(AnalysisForm, TheReportButtonWritesTheSheetAndUnloadsAndTheWorkbookStays) {
    Window w(defects());
    auto* busy = w.control<QLabel>("Gif89a1");
    ASSERT_TRUE(busy->movie() && busy->movie()->isValid());
    EXPECT_EQ(busy->movie()->frameCount(), 12);
    w.control<QCheckBox>("IncludeChart")->setChecked(true);
    w.control<controls::ThemedButton>("CopyPaste")->click();
    QApplication::processEvents();
    EXPECT_EQ(w.startup.analysisForm(), nullptr) << "the window unloads after the report";
    EXPECT_EQ(w.finished, 0) << "the program goes on with the workbook on screen";
    EXPECT_TRUE(w.messages.isEmpty()) << w.messages.join('|').toStdString();
    sheetview::WorkbookWindow* book = w.startup.workbookWindow();
    ASSERT_TRUE(book);
    EXPECT_EQ(book->tabs()->tabText(book->tabs()->currentIndex()), "Tallyvane1");
    EXPECT_TRUE(book->isWindowModified());
    EXPECT_EQ(embedded::readWorkbookFile(w.path).sheets.size(), 1u) << "nothing saved yet";
    ASSERT_TRUE(book->save());
    EXPECT_FALSE(book->isWindowModified());
    const auto saved = embedded::readWorkbookFile(w.path);
    ASSERT_EQ(saved.sheets.size(), 2u);
    EXPECT_EQ(saved.sheets[1].name, "Tallyvane1");
    EXPECT_EQ(saved.sheets[1].cells->value(2, 1), Variant("Scratch"));
}

TEST(AnalysisForm, AReportThatCannotBeWrittenSaysWhyAndKeepsTheWindow) {
    Window w(defects());
    // A name the report's table needs is taken: formatting the table fails.
    w.startup.session().ExcelApp->ActiveWorkbook()->Names().Add(
        "Table1", w.startup.session().ExcelApp->Range("B1"));
    testsupport::ModalAnswerer ok;
    w.control<controls::ThemedButton>("CopyPaste")->click();
    QApplication::processEvents();
    ASSERT_EQ(ok.texts.size(), 1);
    EXPECT_TRUE(ok.texts[0].startsWith("Tallyvane: The report could not be finished: formatting "
                                       "the table failed."))
        << ok.texts[0].toStdString();
    EXPECT_TRUE(ok.texts[0].endsWith("The workbook file has not been changed by this step."));
    EXPECT_EQ(w.finished, 0) << "the window stays";
    EXPECT_TRUE(w.form->isVisible());
    EXPECT_FALSE(w.control<QLabel>("Gif89a1")->isVisible()) << "the busy animation is hidden";
    EXPECT_EQ(w.startup.session().ExcelApp->ActiveWorkbook()->sheetCount(), 1)
        << "the half-done sheet is dropped";
}

TEST(AnalysisForm, HeaderClicksSortAndTurnTheArrows) {
    Window w(defects());
    auto* header = w.control<QTableView>("MainListView")->horizontalHeader();
    emit header->sectionClicked(1);
    EXPECT_EQ(w.form->mainListView().text(0), "Defect")
        << "the first click on Count: smallest first";
    EXPECT_EQ(w.form->mainListView().column(1).iconKey, "up");
    emit header->sectionClicked(1);
    EXPECT_EQ(w.form->mainListView().text(0), "Scratch") << "the second: largest first again";
    EXPECT_EQ(w.form->mainListView().column(1).iconKey, "down");
    emit header->sectionClicked(0);
    EXPECT_EQ(w.form->mainListView().text(0), "Scratch")
        << "Category first click: descending labels";
    EXPECT_EQ(w.form->mainListView().column(0).iconKey, "up");
    const QString cumBefore = w.form->mainListView().subItem(0, 3);
    emit header->sectionClicked(3);
    EXPECT_EQ(w.form->mainListView().subItem(0, 3), cumBefore) << "Cum(%) is not a sort header";

    auto* included = w.control<QTableView>("IncludedView")->horizontalHeader();
    emit included->sectionClicked(0);
    EXPECT_EQ(w.form->includeSortDirection, "D");
    EXPECT_EQ(w.form->includedView().sortOrder(), 1);
    emit included->sectionClicked(0);
    EXPECT_EQ(w.form->includeSortDirection, "A");
    EXPECT_EQ(w.form->includedView().sortOrder(), 0);
    EXPECT_EQ(w.form->includedView().column(0).iconKey, "down");
}

TEST(AnalysisForm, NoToTheQuestionBeforeManyCategoriesEndsTheProgram) {
    testsupport::SheetSpec sheet;
    sheet.name = "Codes";
    for (int i = 1; i <= 151; ++i)
        sheet.cells.push_back({QString("A%1").arg(i), QString("C%1").arg(i)});
    sheet.selection = "A1:A151";
    testsupport::ModalAnswerer no(QMessageBox::No);
    // Whether the analysis window showed at any moment.
    struct ShowSpy : QObject {
        bool shown = false;
        bool eventFilter(QObject* watched, QEvent* event) override {
            shown = shown || (event->type() == QEvent::Show &&
                              qobject_cast<analysis::AnalysisForm*>(watched));
            return false;
        }
    } spy;
    qApp->installEventFilter(&spy);
    Window w(sheet);
    qApp->removeEventFilter(&spy);
    EXPECT_FALSE(spy.shown) << "the start ends before the window shows";
    ASSERT_EQ(no.texts.size(), 1);
    EXPECT_EQ(no.texts.front(),
              "Quit: 151 unique categories detected! The operation mat require some "
              "time to finish. Would you want to continue?");
    EXPECT_EQ(w.finished, 1);
    EXPECT_EQ(w.form->mainListView().count(), 0);
}

// Range input brings the workbook window (the spreadsheet's main window) to the front before
// the user is asked for the range there.
TEST(AnalysisForm, RangeInputBringsTheWorkbookWindowToTheFront) {
    Window w(defects());
    sheetview::WorkbookWindow* book = w.startup.workbookWindow();
    ASSERT_TRUE(book && w.form);
    w.form->activateWindow();
    QApplication::processEvents();
    bool frontWhenAsked = false;
    w.startup.session().ExcelApp->setRangeInputHandler(
        [&](excel::Application& app, const QString&, const QString&) {
            QApplication::processEvents();
            frontWhenAsked = QApplication::activeWindow() == book;
            return std::optional(app.Range("Log!A1:A5"));
        });
    w.control<controls::ThemedButton>("InputButton1")->click();
    EXPECT_TRUE(frontWhenAsked);
}

// The sort routine's failure (and the window's other messages): an OK button, no icon, under
// the program's title.
TEST(AnalysisForm, MessagesHaveAnOkButtonAndNoIcon) {
    Window w(defects());
    ASSERT_TRUE(w.form);
    testsupport::ModalAnswerer ok;
    w.form->showMessage("ERROR IN SORT ROUTINE:\r\n13\tType mismatch");
    ASSERT_EQ(ok.texts, QStringList{"Tallyvane: ERROR IN SORT ROUTINE:\r\n13\tType mismatch"});
    EXPECT_EQ(ok.icons.front(), QMessageBox::NoIcon);
    EXPECT_EQ(ok.buttons.front(), QMessageBox::StandardButtons(QMessageBox::Ok));
}

TEST(AnalysisForm, StatsAndTheHelpTexts) {
    // The worked example: 1 twice, 2 and 4 once, and five blank cells.
    testsupport::SheetSpec sheet;
    sheet.name = "Values";
    sheet.cells = {{"A1", 1.0}, {"A7", 1.0}, {"A8", 2.0}, {"A9", 4.0}};
    sheet.selection = "A1:A9";
    Window w(sheet);
    w.control<QCheckBox>("SelectAll")->click();
    w.control<controls::ThemedButton>("RefreshMe")->click();
    ASSERT_TRUE(w.categories().contains("<blank>=5"));
    w.control<controls::ThemedButton>("Stats")->click();
    EXPECT_EQ(w.control<QLabel>("StatsLabel")->text(), "n=4, mean=2.000,  Std=1.414");
    w.control<controls::ThemedButton>("RefreshMe")->click();
    EXPECT_EQ(w.control<QLabel>("StatsLabel")->text(), "") << "a recount clears the figures";

    w.control<controls::ThemedButton>("Help1")->click();
    forms::RecodeHelp& help = forms::RecodeHelp::instance();
    EXPECT_TRUE(help.isVisible());
    EXPECT_TRUE(help.text().startsWith(
        "In case of numerical categories (besides <blank>), a "
        "weighted average and standard deviation will be displayed\r\n\r\n*All"));
    w.control<controls::ThemedButton>("Help5")->click();
    EXPECT_TRUE(help.text().endsWith("any existing conditional formatting will be removed"));
    EXPECT_EQ(help.height(), 3500 * help.logicalDpiY() / 1440);
    help.grab().save(testsupport::generatedDir("pictures") + "/help.png");
}

// What a keyboard user meets: Tab leaves the lists and reaches Stats and its "?"; Enter in the
// search box searches; Esc closes the window. The check box is whole; a header click selects
// no row.
TEST(AnalysisForm, WorksFromTheKeyboardAndLooksWhole) {
    Window w(defects());
    w.form->show();
    QWidget* main = w.control<QWidget>("MainListView");
    main->setFocus();
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QApplication::sendEvent(main, &tab);
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), w.control<QWidget>("Stats"))
        << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName().toStdString()
                                        : std::string("none"));
    EXPECT_TRUE(w.control<QWidget>("Help1")->focusPolicy() & Qt::TabFocus);

    auto* search = w.control<QLineEdit>("SearchText");
    search->setText("Crack");
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(search, &enter);
    ASSERT_GE(w.form->mainListView().selectedRow(), 0);
    EXPECT_EQ(w.form->mainListView().text(w.form->mainListView().selectedRow()), "Crack");

    auto* box = w.control<QCheckBox>("SelectAll");
    EXPECT_GE(box->width(), box->sizeHint().width());
    EXPECT_GE(box->height(), box->sizeHint().height());

    w.form->mainListView().clearSelection();
    auto* header = w.control<QTableView>("MainListView")->horizontalHeader();
    const QPoint at(header->sectionViewportPosition(2) + 5, header->height() / 2);
    QMouseEvent press(QEvent::MouseButtonPress, at, header->viewport()->mapToGlobal(at),
                      Qt::LeftButton, Qt::LeftButton, {});
    QMouseEvent release(QEvent::MouseButtonRelease, at, header->viewport()->mapToGlobal(at),
                        Qt::LeftButton, Qt::NoButton, {});
    QApplication::sendEvent(header->viewport(), &press);
    QApplication::sendEvent(header->viewport(), &release);
    EXPECT_EQ(w.form->mainListView().selectedRow(), -1);

    // The window unloads as its close button unloads it (it is deleted on close).
    QPointer<QWidget> form(w.form);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(w.form, &escape);
    QApplication::processEvents();
    EXPECT_TRUE(form.isNull() || !form->isVisible());
    w.form = nullptr;
}

} // namespace

// Analysis > Pareto options in the workbook window shape the report the analysis window writes:
// the header left out, the minutes of column D weighing each defect (ranked by them), the tail
// after the first two merged into Other, classes at 80 %. Worked out by hand: Dent 30 minutes,
// Scratch 5+4+6 = 15, then Dented 2 and Crack 0 ("n/a" counts 0) merged: 47 in all; A while
// less than 80 % lies before (Dent 0 %, Scratch 63.8 %), Other B (95.7 %).
TEST(AnalysisForm, TheWorkbooksParetoOptionsShapeTheReportAndItsChartExports) {
    testsupport::SheetSpec sheet = defects();
    sheet.cells.insert(sheet.cells.end(), {{"D1", "Minutes"}, {"D2", 5.0}, {"D3", 30.0},
                                           {"D4", 4.0}, {"D5", "n/a"}, {"D7", 6.0}, {"D8", 2.0}});
    Window w(sheet);
    sheetview::WorkbookWindow* book = w.startup.workbookWindow();
    ASSERT_TRUE(book && w.form);
    analysis::ParetoOptions chosen;
    chosen.skipHeader = true;
    chosen.weightRange = "D:D";
    chosen.rankBy = analysis::RankBy::Weight;
    chosen.top = 2;
    chosen.classes = {80};
    analysis::ParetoOptions offered;
    offered.top = -1;
    book->askParetoOptions = [&](const analysis::ParetoOptions& now) {
        offered = now;
        return std::optional(chosen);
    };
    book->findChild<QAction*>("ParetoOptions")->trigger();
    EXPECT_TRUE(offered.isDefault()) << "a workbook starts with the defaults";
    book->findChild<QAction*>("ParetoOptions")->trigger();
    EXPECT_TRUE(offered.skipHeader && offered.top == 2) << "kept for the workbook";

    w.control<QCheckBox>("IncludeChart")->setChecked(true);
    testsupport::ModalAnswerer ok;
    w.control<controls::ThemedButton>("CopyPaste")->click();
    QApplication::processEvents();
    ASSERT_EQ(ok.texts.size(), 1) << "the weights' warning";
    EXPECT_TRUE(ok.texts[0].endsWith(
        "The report Tallyvane1 was written; 1 weight cell holds text and counts 0: D5."))
        << ok.texts[0].toStdString();
    ASSERT_TRUE(book->save());
    const auto saved = embedded::readWorkbookFile(w.path);
    ASSERT_EQ(saved.sheets.size(), 2u);
    const auto cell = [&](int r, int c) { return saved.sheets[1].cells->value(r + 1, c + 1); };
    EXPECT_EQ(cell(0, 5).toString(), "Weight");
    EXPECT_EQ(cell(0, 8).toString(), "Class");
    const char* labels[] = {"Dent", "Scratch", "Other"};
    const double counts[] = {1, 3, 2}, weights[] = {30, 15, 2};
    const char* classes[] = {"A", "A", "B"};
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ(cell(r + 1, 0).toString(), labels[r]);
        EXPECT_EQ(cell(r + 1, 1).number(), counts[r]);
        EXPECT_EQ(cell(r + 1, 5).number(), weights[r]);
        EXPECT_EQ(cell(r + 1, 8).toString(), classes[r]);
    }
    ASSERT_EQ(saved.sheets[1].charts.size(), 1u);
    EXPECT_EQ(saved.sheets[1].charts.front().chart.title, "Pareto chart of Defect");

    // File > Export chart: the report's chart as a picture of the size it is shown at; Ctrl+C on
    // the chart puts the same picture on the clipboard.
    w.form->close();
    QApplication::processEvents();
    ASSERT_EQ(book->charts().size(), 1u);
    const QString png = QFileInfo(w.path).absolutePath() + "/chart.png";
    book->askChartFile = [&] { return png; };
    book->findChild<QAction*>("ExportChart")->trigger();
    const QImage exported(png);
    EXPECT_EQ(exported.size(), book->charts().front()->size());
    QKeyEvent copy(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier);
    QApplication::sendEvent(book->charts().front(), &copy);
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), book->charts().front()->size());
}

// The group column typed into the options dialog: the report sheet holds a block per line, each
// a "Group:" line, the line's own table and its chart. By hand: L1 has Scratch 3 (scratch
// folded in); L2 Dent, Crack and Dented once each, in the analysis's order of equals; equal
// totals keep the order first seen.
TEST(AnalysisForm, AGroupColumnGivesEachGroupItsTableAndChart) {
    testsupport::SheetSpec sheet = defects();
    sheet.cells.insert(sheet.cells.end(), {{"B3", "L2"}, {"B4", "l1"}, {"B5", "L2"}, {"B7", "L1"},
                                           {"B8", "L2"}});
    Window w(sheet);
    sheetview::WorkbookWindow* book = w.startup.workbookWindow();
    ASSERT_TRUE(book && w.form);
    // The dialog as the user meets it: a wrong column first, then B:B.
    QString refused;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<sheetview::ParetoOptionsDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        dialog->header()->setChecked(true);
        dialog->group()->setText("B:C");
        dialog->accept();
        refused = dialog->message()->text();
        dialog->group()->setText("B:B");
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    book->findChild<QAction*>("ParetoOptions")->trigger();
    EXPECT_EQ(refused, "The group column is one column, such as B:B or B2:B500, not \"B:C\".");

    w.control<QCheckBox>("IncludeChart")->setChecked(true);
    w.control<controls::ThemedButton>("CopyPaste")->click();
    QApplication::processEvents();
    ASSERT_TRUE(book->save());
    const auto saved = embedded::readWorkbookFile(w.path);
    ASSERT_EQ(saved.sheets.size(), 2u);
    const auto& report = saved.sheets[1];
    const auto cell = [&](int row, int column) { return report.cells->value(row, column).toString(); };
    EXPECT_EQ(cell(1, 1), "Group: L1");
    EXPECT_EQ(cell(2, 1), "Category");
    EXPECT_EQ(cell(3, 1), "Scratch");
    EXPECT_EQ(report.cells->value(3, 2).number(), 3);
    EXPECT_EQ(cell(4, 1), "");
    int next = 5;
    while (next < 100 && cell(next, 1).isEmpty())
        ++next;
    EXPECT_EQ(cell(next, 1), "Group: L2");
    EXPECT_GT(next, 30) << "below the first group's chart";
    EXPECT_EQ((QStringList{cell(next + 2, 1), cell(next + 3, 1), cell(next + 4, 1), cell(next + 5, 1)}),
              (QStringList{"Dent", "Crack", "Dented", ""}));
    ASSERT_EQ(report.charts.size(), 2u);
    EXPECT_EQ(report.charts[0].chart.title, "Pareto chart of Defect: L1");
    EXPECT_EQ(report.charts[1].chart.title, "Pareto chart of Defect: L2");
}
