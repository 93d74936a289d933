// tallyvane-window-pictures: shows the program's windows one after another on the screen it runs
// on and saves a picture of the whole screen for each: the analysis window on a workbook, with
// the help window over it, the About window, the workbook window before and after a highlight and
// a report, and the report saved and opened again. With --report-of BOOK, also the report sheet of
// BOOK (a report written before, such as one of 32,767 categories); with --analysis-only NAME,
// only the analysis window, as NAME.png. scripts/take-pictures.sh runs it on a virtual screen
// with a window manager and a compositor, so that the drop shadow blends as it would.

#include "Startup.h"
#include "ui/analysis/AnalysisForm.h"
#include "ui/controls/ThemedButton.h"
#include "engines/embedded/EmbeddedHost.h"
#include "ui/forms/About.h"
#include "ui/forms/RecodeHelp.h"
#include "core/analysis/Highlight.h"
#include "ui/sheetview/WorkbookWindow.h"
#include "ui/sheetview/ChartWidget.h"
#include "engines/embedded/EmbeddedApplication.h"
#include "excel/Workbook.h"
#include "excel/Worksheet.h"
#include "ui/platform/Fonts.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QEventLoop>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QTabBar>
#include <QTimer>
#include <cstdio>

namespace {

void settle(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool grabScreen(const QString& path) {
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0);
    const bool ok = shot.save(path);
    std::printf("%s %s\n", ok ? "saved" : "could not save", qPrintable(path));
    return ok;
}

// Brings the sheet's tab to the front of the workbook window.
void showSheet(sheetview::WorkbookWindow& window, const QString& name) {
    for (int i = 0; i < window.tabs()->count(); ++i) {
        if (window.tabs()->tabText(i) == name)
            window.tabs()->setCurrentIndex(i);
    }
}

// The last sheet of a workbook file (where the report goes) in a workbook window of its own.
bool reportOf(const QString& path, const QString& picture, QSize size = QSize(1280, 760)) {
    auto app = embedded::EmbeddedApplication::create();
    app->open(path);
    sheetview::WorkbookWindow window(app, app->ActiveWorkbook());
    window.setGeometry(QRect(QPoint(0, 0), size));
    window.show();
    const auto sheets = app->ActiveWorkbook()->Worksheets();
    showSheet(window, sheets(sheets.Count())->Name());
    settle(500);
    // The whole chart in view: the grid scrolled to the right until its right edge shows.
    QScrollBar* across = window.grid()->horizontalScrollBar();
    while (!window.charts().empty() && across->value() < across->maximum() &&
           window.charts().front()->geometry().right() > window.grid()->viewport()->width()) {
        across->setValue(across->value() + 1);
        settle(20);
    }
    settle(1000);
    return grabScreen(picture);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: tallyvane-window-pictures OUTDIR WORKBOOK "
                             "[--report-of BOOK] [--analysis-only NAME] [--report-only BOOK NAME "
                             "[WxH]]\n");
        return 2;
    }
    const QDir out(args[1]);
    QDir().mkpath(out.path());
    const QString workbook = args[2];
    const QString reportBook = args.value(args.indexOf(QStringLiteral("--report-of")) + 1);
    const qsizetype only = args.indexOf(QStringLiteral("--analysis-only"));
    const qsizetype reportOnly = args.indexOf(QStringLiteral("--report-only"));
    embedded::registerEmbeddedProvider();
    platform::useMetricSubstitutes();

    if (reportOnly > 0) {
        // The window's size, 1280x760 unless given (a tall one shows several groups' blocks).
        const QStringList size = args.value(reportOnly + 3).split(QLatin1Char('x'));
        const QSize windowSize = size.size() == 2 ? QSize(size[0].toInt(), size[1].toInt())
                                                  : QSize(1280, 760);
        return reportOf(args.value(reportOnly + 1),
                        out.filePath(args.value(reportOnly + 2) + QStringLiteral(".png")),
                        windowSize)
                   ? 0
                   : 1;
    }

    if (only > 0) {
        Startup startup;
        startup.Main(workbook);
        if (!startup.analysisForm())
            return 1;
        startup.analysisForm()->raise();
        settle(1500);
        return grabScreen(out.filePath(args.value(only + 1) + QStringLiteral(".png"))) ? 0 : 1;
    }

    Startup startup;
    startup.showMessage = [](const QString& text) {
        std::fprintf(stderr, "%s\n", qPrintable(text));
    };
    startup.Main(workbook);
    analysis::AnalysisForm* form = startup.analysisForm();
    if (!form)
        return 1;
    form->move(60, 40);
    settle(1500);
    bool ok = grabScreen(out.filePath(QStringLiteral("analysis.png")));

    form->findChild<controls::ThemedButton*>(QStringLiteral("Help5"))->click();
    forms::RecodeHelp::instance().move(560, 360);
    settle(1000);
    ok = grabScreen(out.filePath(QStringLiteral("help.png"))) && ok;
    forms::RecodeHelp::instance().close();

    forms::About& about = forms::About::instance();
    about.move(200, 160);
    about.show();
    settle(1000);
    ok = grabScreen(out.filePath(QStringLiteral("about.png"))) && ok;
    about.close();

    // The workbook window behind the analysis, before and after a highlight of the largest
    // category.
    const auto excelApp = startup.session().ExcelApp;
    sheetview::WorkbookWindow& book = *startup.workbookWindow();
    book.setGeometry(0, 0, 1280, 760);
    form->move(640, 40); // the analysed column stays in sight
    form->raise();
    settle(1000);
    ok = grabScreen(out.filePath(QStringLiteral("workbook.png"))) && ok;
    if (const auto range = excelApp->Selection()) {
        analysis::runHighlightAction(
            *excelApp, [&] { analysis::HighlightCategory(*range, QStringLiteral("Scratch")); },
            QStringLiteral("set"));
    }
    settle(800);
    ok = grabScreen(out.filePath(QStringLiteral("workbook-highlight.png"))) && ok;

    // The report with its chart: the analysis window unloads and the new sheet comes to the
    // front of the workbook window.
    form->findChild<QCheckBox*>(QStringLiteral("IncludeChart"))->setChecked(true);
    form->findChild<controls::ThemedButton*>(QStringLiteral("CopyPaste"))->click();
    settle(1500);
    ok = grabScreen(out.filePath(QStringLiteral("workbook-report.png"))) && ok;

    // Saved, closed, and opened again: the report's chart and the highlight come from the file.
    const QString reportSheet = book.workbook()->ActiveSheet()->Name();
    ok = book.save() && ok;
    book.close();
    {
        Startup again;
        again.Main(workbook);
        if (again.analysisForm())
            again.analysisForm()->close();
        if (sheetview::WorkbookWindow* reopened = again.workbookWindow()) {
            reopened->setGeometry(0, 0, 1280, 760);
            showSheet(*reopened, reportSheet);
            settle(1500);
            ok = grabScreen(out.filePath(QStringLiteral("workbook-reopened.png"))) && ok;
            reopened->close();
        } else {
            ok = false;
        }
    }
    if (!reportBook.isEmpty())
        ok = reportOf(reportBook, out.filePath(QStringLiteral("chart-many.png"))) && ok;
    return ok ? 0 : 1;
}
