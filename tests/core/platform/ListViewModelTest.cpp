// The list control's model: positions, search, sorted mode, ticks and selection.

#include "core/platform/ListViewModel.h"

#include <gtest/gtest.h>

namespace {

QStringList texts(const platform::ListViewModel& list) {
    QStringList out;
    for (int row = 0; row < list.count(); ++row)
        out << list.text(row);
    return out;
}

TEST(ListViewModel, InsertsAtTheGivenPosition) {
    platform::ListViewModel list;
    list.addColumn("Name");
    for (const char* t : {"c", "b", "a"})
        list.add(1, QString("K") + t, t);
    list.add(0, "Kd", "d");
    list.add(99, "Ke", "e");
    list.add(2, "Kx", "x");
    EXPECT_EQ(texts(list), (QStringList{"a", "x", "b", "c", "d", "e"}));
    EXPECT_EQ(list.rowOfKey("Kb"), 2);
    list.clear();
    EXPECT_EQ(list.count(), 0);
}

TEST(ListViewModel, FindsRowsByTheStartOfTheirTextIgnoringCase) {
    platform::ListViewModel list;
    list.addColumn("Name");
    for (const char* t : {"Scratch", "Dent", "deep dent"})
        list.add(0, {}, t);
    EXPECT_EQ(list.findItem("de"), 1);
    EXPECT_EQ(list.findItem("DEEP"), 2);
    EXPECT_EQ(list.findItem("ent"), -1) << "the middle of a text does not count";
    EXPECT_EQ(list.findItem(""), 0);
}

TEST(ListViewModel, SortedModeSortsAtOnceAndPlacesNewRows) {
    platform::ListViewModel list;
    list.addColumn("Name");
    list.addColumn("Count");
    const char* rows[][2] = {{"b", "2"}, {"B", "1"}, {"a", "3"}};
    for (const auto& r : rows)
        list.setSubItem(list.add(0, {}, r[0]), 1, r[1]);
    list.setSorted(true);
    EXPECT_EQ(texts(list), (QStringList{"a", "b", "B"})) << "case ignored, equal texts keep order";
    list.add(1, {}, "ab");
    EXPECT_EQ(texts(list), (QStringList{"a", "ab", "b", "B"}));
    list.setText(0, "z");
    EXPECT_EQ(texts(list), (QStringList{"z", "ab", "b", "B"})) << "an edited text stays put";
    list.setSortOrder(1);
    EXPECT_EQ(texts(list), (QStringList{"z", "b", "B", "ab"}));
    list.setSortKey(1);
    EXPECT_EQ(list.subItem(0, 1), "3");
    list.setSorted(false);
    list.add(1, {}, "top");
    EXPECT_EQ(list.text(0), "top");
}

TEST(ListViewModel, KeepsTicksAndSelection) {
    platform::ListViewModel list;
    list.addColumn("Name");
    list.setCheckBoxes(true);
    list.add(0, {}, "a");
    list.add(0, {}, "b");
    list.setChecked(1, true);
    EXPECT_EQ(list.data(list.index(1, 0), Qt::CheckStateRole).toInt(), Qt::Checked);
    int signalled = -1;
    QObject::connect(&list, &platform::ListViewModel::itemChecked,
                     [&](int row, bool) { signalled = row; });
    list.setData(list.index(0, 0), Qt::Checked, Qt::CheckStateRole);
    EXPECT_TRUE(list.checked(0));
    EXPECT_EQ(signalled, 0);
    EXPECT_EQ(list.selectedRow(), -1);
    list.setSelected(1, true);
    EXPECT_EQ(list.selectedRow(), 1);
    list.clearSelection();
    EXPECT_EQ(list.selectedRow(), -1);
}

} // namespace
