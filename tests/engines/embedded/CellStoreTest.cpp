// Whole rows moving in the cell store: cells, formulas and the version that per-range caches
// compare; and the pool of texts the cells share.

#include "engines/embedded/store/CellStore.h"

#include <gtest/gtest.h>

using excel::Variant;

namespace {

embedded::CellStore column(int rows) {
    embedded::CellStore cells(std::make_shared<embedded::BookContext>());
    for (int row = 1; row <= rows; ++row) {
        cells.setValue(row, 1, Variant(double(row)));
        cells.setValue(row, 3, Variant(QStringLiteral("r%1").arg(row)));
    }
    cells.setFormula(4, 3, QStringLiteral("A4*2"));
    return cells;
}

} // namespace

TEST(CellStore, DeletedRowsTakeTheirCellsAndFormulasWithThemAndTheRestMovesUp) {
    embedded::CellStore cells = column(6);
    const quint64 before = cells.version();
    cells.shiftRows(2, -2); // rows 2 and 3 go
    EXPECT_GT(cells.version(), before);
    EXPECT_EQ(cells.cellCount(), 8);
    EXPECT_EQ(cells.value(1, 1), Variant(1.0));
    EXPECT_EQ(cells.value(2, 1), Variant(4.0));
    EXPECT_EQ(cells.value(2, 3), Variant("r4"));
    EXPECT_EQ(cells.formula(2, 3), "A4*2") << "the formula moved with its cell";
    EXPECT_EQ(cells.formula(4, 3), "");
    EXPECT_EQ(cells.usedRect(), (excel::CellRect{1, 1, 4, 3}));
}

TEST(CellStore, InsertedRowsPushCellsDownAndThoseOffTheSheetAreGone) {
    embedded::CellStore cells = column(3);
    cells.setValue(excel::kMaxRows - 1, 1, Variant("near the end"));
    cells.shiftRows(2, 2);
    EXPECT_EQ(cells.value(1, 1), Variant(1.0));
    EXPECT_TRUE(cells.value(2, 1).isEmpty());
    EXPECT_EQ(cells.value(4, 1), Variant(2.0));
    EXPECT_EQ(cells.formula(6, 3), "A4*2");
    EXPECT_EQ(cells.cellCount(), 6) << "the cell pushed past the last row is gone";
}

// Equal texts share one entry of the pool; shared strings keep their numbering even where two are
// equal, and such a text is found at its first entry; every text is found again after the table
// has grown many times.
TEST(StringPool, FindsEachTextAtItsFirstEntry) {
    embedded::StringPool pool;
    EXPECT_EQ(pool.add(QStringLiteral("Dent")), 0u);
    EXPECT_EQ(pool.add(QStringLiteral("Scratch")), 1u);
    EXPECT_EQ(pool.add(QStringLiteral("Dent")), 2u) << "a shared string keeps its number";
    EXPECT_EQ(pool.intern(QStringLiteral("Dent")), 0u);
    EXPECT_EQ(pool.intern(QStringLiteral("dent")), 3u) << "case tells texts apart here";
    EXPECT_EQ(pool.intern(QString()), 4u);
    EXPECT_EQ(pool.intern(QStringView(u"")), 4u);
    for (int i = 0; i < 50000; ++i)
        ASSERT_EQ(pool.intern(QStringLiteral("X-%1").arg(i)), quint32(5 + i));
    for (int i = 0; i < 50000; i += 997)
        EXPECT_EQ(pool.intern(QStringView(QStringLiteral("X-%1").arg(i))), quint32(5 + i));
    EXPECT_EQ(pool.intern(QStringLiteral("Scratch")), 1u);
    EXPECT_EQ(pool.size(), 50005u);
    EXPECT_EQ(pool.at(2), "Dent");
}
