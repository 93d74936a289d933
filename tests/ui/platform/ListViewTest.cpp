// The list control on screen (offscreen platform): hit tests, header pictures, selection and
// visibility follow the model.

#include "ui/platform/ListView.h"

#include "support/TestFiles.h"

#include <QDir>
#include <QHeaderView>
#include <QPixmap>
#include <gtest/gtest.h>

namespace {

struct Shown {
    Shown() {
        for (const char* c : {"Category", "Count", "Count(%)"})
            model.addColumn(c, 1500);
        for (int i = 0; i < 3; ++i) {
            const int row = model.add(0, QString("K%1").arg(i), QString("row %1").arg(i));
            model.setSubItem(row, 1, QString::number(10 - i));
        }
        view.setListModel(&model);
        view.resize(400, 300);
        view.show();
    }
    // The centre of a cell, in viewport coordinates.
    QPoint at(int row, int column) const {
        return view.visualRect(model.index(row, column)).center();
    }

    platform::ListViewModel model;
    platform::ListView view;
};

TEST(ListView, HitTestsFindRowsOverTheirFirstOrAnyColumn) {
    Shown s;
    EXPECT_EQ(s.view.hitTest(s.at(1, 0)), 1);
    EXPECT_EQ(s.view.hitTest(s.at(1, 2)), -1) << "the plain hit test needs the first column";
    int column = -1;
    EXPECT_EQ(s.view.subItemHitTest(s.at(1, 2), &column), 1);
    EXPECT_EQ(column, 2);
    const QPoint below(s.at(2, 0).x(), s.view.visualRect(s.model.index(2, 0)).bottom() + 20);
    EXPECT_EQ(s.view.subItemHitTest(below), -1) << "below the last row there is no row";
    EXPECT_EQ(s.view.columnWidth(0), 1500 * s.view.logicalDpiX() / 1440) << "widths in twips";
}

TEST(ListView, SelectionHeaderPicturesAndVisibilityFollowTheModel) {
    Shown s;
    s.model.setSelected(2, true);
    EXPECT_TRUE(s.view.selectionModel()->isRowSelected(2, {}));
    s.view.selectRow(0);
    EXPECT_EQ(s.model.selectedRow(), 0);
    QPixmap down(16, 16);
    down.fill(Qt::black);
    s.view.setImages({{"down", QIcon(down)}});
    s.model.setColumnIcon(1, "down");
    EXPECT_FALSE(s.model.headerData(1, Qt::Horizontal, Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_TRUE(s.model.headerData(0, Qt::Horizontal, Qt::DecorationRole).isNull());
    // A picture for reviewers: build/tests/pictures/list-view.png.
    s.model.setCheckBoxes(true);
    s.model.setChecked(0, true);
    QDir().mkpath(testsupport::generatedDir("pictures"));
    EXPECT_TRUE(s.view.grab().save(testsupport::generatedDir("pictures") + "/list-view.png"));
    s.model.setVisible(false);
    EXPECT_FALSE(s.view.isVisible());
    s.model.setVisible(true);
    EXPECT_TRUE(s.view.isVisible());
}

} // namespace
