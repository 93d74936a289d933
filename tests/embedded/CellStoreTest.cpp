// Whole rows moving in the cell store: cells, formulas and the version that per-range caches
// compare.

#include "excel/embedded/CellStore.h"

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
