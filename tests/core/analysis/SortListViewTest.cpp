// The sort routine: text, number and date sorts with their rewrites, and its failures.

#include "core/analysis/SortListView.h"

#include "support/AnalysisFixture.h"

#include <gtest/gtest.h>

namespace {

using analysis::SortByColumn;

// One column of row texts and one of values (sub-item 1).
struct List {
    explicit List(const QStringList& values) {
        model.addColumn("Name");
        model.addColumn("Value");
        for (int i = 0; i < values.size(); ++i)
            model.setSubItem(model.add(0, QString("K%1").arg(i + 1), QString("r%1").arg(i + 1)), 1,
                             values[i]);
        QObject::connect(&model, &platform::ListViewModel::visibilityChanged,
                         [this](bool visible) { shown << visible; });
    }
    QStringList column(int c) const {
        QStringList out;
        for (int row = 0; row < model.count(); ++row)
            out << model.cellText(row, c);
        return out;
    }

    platform::ListViewModel model;
    testsupport::RecordingUi ui;
    QList<bool> shown;
};

TEST(SortListView, NumberSortOrdersByValueThroughPaddedText) {
    List list({"5", "12", "", "100"});
    EXPECT_TRUE(SortByColumn(list.model, 2, 0, analysis::NumberSort, list.ui));
    EXPECT_EQ(list.column(1), (QStringList{"", "5", "12", "100"}));
    EXPECT_EQ(list.column(0), (QStringList{"r3", "r1", "r2", "r4"}));
    EXPECT_EQ(list.shown, (QList<bool>{false, true})) << "hidden while rewritten";
    EXPECT_TRUE(list.model.sorted());
    EXPECT_EQ(list.model.sortKey(), 1);
    EXPECT_TRUE(SortByColumn(list.model, 2, 1, analysis::NumberSort, list.ui));
    EXPECT_EQ(list.column(1), (QStringList{"100", "12", "5", ""}));
}

TEST(SortListView, NumberSortWritesValuesBackInTheirOrdinaryForm) {
    List list({"007", "1.50", "0", "7.25", "1234"});
    EXPECT_TRUE(SortByColumn(list.model, 2, 1, analysis::NumberSort, list.ui));
    // Padding goes in front of the text as it stands, so "007" becomes "000007" and sorts below
    // "0001.50": the rows come out in the order of the padded texts.
    EXPECT_EQ(list.column(1), (QStringList{"1234", "7.25", "1.5", "7", ""}));
}

TEST(SortListView, EqualCountsKeepTheirOrder) {
    List list({"3", "9", "3", "3"});
    SortByColumn(list.model, 2, 1, analysis::NumberSort, list.ui);
    EXPECT_EQ(list.column(0), (QStringList{"r2", "r1", "r3", "r4"}));
}

TEST(SortListView, AFailedSortSaysWhyAndShowsTheListAgain) {
    List list({"5", "12", "abc", "100"});
    EXPECT_FALSE(SortByColumn(list.model, 2, 0, analysis::NumberSort, list.ui));
    EXPECT_EQ(list.ui.messages, QStringList{"ERROR IN SORT ROUTINE:\r\n13\tType mismatch"});
    EXPECT_TRUE(list.model.isVisible());
    EXPECT_EQ(list.column(1), (QStringList{"5", "12", "abc", "100"}))
        << "the widest integer part is looked for first, so nothing was rewritten yet";

    platform::ListViewModel big;
    big.addColumn("Name");
    for (int i = 0; i < 32768; ++i)
        big.add(0, QString(), QString::number(i));
    testsupport::RecordingUi ui;
    EXPECT_FALSE(SortByColumn(big, 1, 0, analysis::NumberSort, ui));
    EXPECT_EQ(ui.messages, QStringList{"ERROR IN SORT ROUTINE:\r\n6\tOverflow"});
    EXPECT_TRUE(SortByColumn(big, 1, 0, analysis::TextSort, ui)) << "the text sort has no limit";
}

TEST(SortListView, DateSortOrdersByDateAndTimeAndDropsTheTime) {
    List list(
        {"1/15/2024 8:30:00 PM", "1/15/2024 9:15:00 AM", "12/31/2023", "2024-02-01 00:00:00"});
    EXPECT_TRUE(SortByColumn(list.model, 2, 0, analysis::DateSort, list.ui));
    EXPECT_EQ(list.column(1),
              (QStringList{"12/31/2023", "01/15/2024", "01/15/2024", "02/01/2024"}));
    EXPECT_EQ(list.column(0), (QStringList{"r3", "r2", "r1", "r4"}));
}

TEST(SortListView, TextSortAndUnknownTypes) {
    List list({"b", "A", "c"});
    EXPECT_TRUE(SortByColumn(list.model, 2, 3, analysis::TextSort, list.ui));
    EXPECT_EQ(list.column(1), (QStringList{"A", "b", "c"})) << "order 3 keeps the list's order";
    EXPECT_TRUE(SortByColumn(list.model, 2, 1, analysis::TextSort, list.ui));
    EXPECT_EQ(list.column(1), (QStringList{"c", "b", "A"}));
    EXPECT_TRUE(SortByColumn(list.model, 1, 0, 3, list.ui));
    EXPECT_EQ(list.column(1), (QStringList{"c", "b", "A"})) << "an unknown sort type does nothing";
    EXPECT_TRUE(list.shown.isEmpty());
}

} // namespace
