// The workbook file dialogs: large, in the detail view, no column cut short.

#include "ui/platform/FileDialogs.h"

#include "support/TestFiles.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QHeaderView>
#include <QTreeView>

#include <algorithm>
#include <gtest/gtest.h>

TEST(FileDialogs, EveryColumnShowsWhatItHoldsWhole) {
    const QString dir = testsupport::scratchDir("files");
    for (const char* name : {"Defect log of line 3, week 49 (night shift).xlsx", "a.csv",
                             "Pareto of the month.xlsm"})
        testsupport::writeFile(dir + "/" + name, QByteArray(12345, 'x'));
    QFileDialog dialog(nullptr, "Open a workbook", dir, "Workbooks (*.xlsx *.xlsm *.csv)");
    platform::arrangeFileDialog(dialog);
    dialog.show();
    QTreeView* view = nullptr;
    for (QTreeView* v : dialog.findChildren<QTreeView*>())
        view = v->isVisible() ? v : view;
    ASSERT_TRUE(view) << "the detail view";
    QElapsedTimer waited;
    waited.start();
    while (view->model()->rowCount(view->rootIndex()) < 3 && waited.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    QApplication::processEvents();
    ASSERT_EQ(view->model()->rowCount(view->rootIndex()), 3);
    EXPECT_GE(dialog.width(), 900);
    QHeaderView* header = view->header();
    for (int c = 0; c < header->count(); ++c) {
        if (header->isSectionHidden(c))
            continue;
        int widest = 0;
        for (int r = 0; r < view->model()->rowCount(view->rootIndex()); ++r) {
            const QModelIndex at = view->model()->index(r, c, view->rootIndex());
            widest = std::max(widest, view->fontMetrics().horizontalAdvance(at.data().toString()));
        }
        // Room for the text and, in the name column, its icon.
        const int needed = widest + (c == 0 ? view->iconSize().width() + 8 : 0);
        EXPECT_GE(header->sectionSize(c), needed) << "column " << c;
    }
    dialog.grab().save(dir + "/dialog.png");
}
