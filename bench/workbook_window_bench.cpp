// The workbook window over the engine: opening the 1,000,000-cell workbook of BenchData.h into
// the window (read, window made, shown and painted once) against reading it in the engine alone
// (goal: at most 1.1x: the grid adds only what is on screen); and repainting a full screen of
// cells with a highlight on the column (goal: under 16 ms, one frame).

#include "BenchWorkbook.h"
#include "analysis/Highlight.h"
#include "sheetview/WorkbookWindow.h"

#include <QApplication>
#include <QDir>
#include <QTableView>
#include <cstdio>

int main(int argc, char** argv) {
    using namespace bench;
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    const QString dir = QDir::temp().filePath(QStringLiteral("tallyvane-window-bench"));
    QDir().mkpath(dir);
    const QString path = dir + QStringLiteral("/source.xlsx");
    writeWorkbook(path, zipfColumn());

    const auto [engine, window] = medianSecondsByTurns(
        [&] { embedded::EmbeddedApplication::create()->open(path); },
        [&] {
            auto app = embedded::EmbeddedApplication::create();
            app->open(path);
            sheetview::WorkbookWindow w(app, app->ActiveWorkbook());
            w.resize(1280, 800);
            w.show();
            w.grid()->viewport()->grab(); // painted once
        },
        5);
    std::printf("open into the engine: %.3f s; into the window, shown and painted: %.3f s; "
                "ratio %.2f (goal: at most 1.10)\n",
                engine, window, window / engine);

    auto app = embedded::EmbeddedApplication::create();
    app->open(path);
    sheetview::WorkbookWindow w(app, app->ActiveWorkbook());
    w.resize(1280, 800);
    w.show();
    const excel::Range column = app->Range(QStringLiteral("A:A"));
    analysis::runHighlightAction(
        *app, [&] { analysis::HighlightCategory(column, QStringLiteral("D-00001")); },
        QStringLiteral("set"));
    const int cells = (w.grid()->viewport()->height() / w.grid()->rowHeight(0) + 1) *
                      (w.grid()->viewport()->width() / w.grid()->columnWidth(0) + 1);
    std::vector<double> paints;
    for (int i = 0; i < 21; ++i)
        paints.push_back(secondsOf([&] { w.grid()->viewport()->grab(); }));
    std::printf("repaint of a full screen (%d cells) with the highlight: %.1f ms (goal: under "
                "16 ms)\n",
                cells, median(paints) * 1000);
    return 0;
}
