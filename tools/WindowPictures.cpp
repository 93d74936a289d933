// tallyvane-window-pictures: shows the program's windows one after another on the screen it runs
// on and saves a picture of the whole screen for each: the analysis window on a workbook, with
// the help window over it, and the About window. scripts/take-pictures.sh runs it on a virtual
// screen with a window manager and a compositor, so that the drop shadow blends as it would.

#include "Startup.h"
#include "ui/analysis/AnalysisForm.h"
#include "ui/controls/ThemedButton.h"
#include "engines/embedded/EmbeddedHost.h"
#include "ui/forms/About.h"
#include "ui/forms/RecodeHelp.h"
#include "core/analysis/Highlight.h"
#include "ui/sheetview/WorkbookWindow.h"
#include "ui/platform/Fonts.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QEventLoop>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
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

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: tallyvane-window-pictures OUTDIR WORKBOOK\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(out.path());
    embedded::registerEmbeddedProvider();
    platform::useMetricSubstitutes();

    Startup startup;
    startup.showMessage = [](const QString& text) {
        std::fprintf(stderr, "%s\n", qPrintable(text));
    };
    startup.Main(QString::fromLocal8Bit(argv[2]));
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
    return ok ? 0 : 1;
}
