#pragma once
// A range of cells on one worksheet: one or more rectangular areas, as the object model's Range.
// Its geometry (addresses, counts, offsets, areas) is worked out here once for every backend;
// what needs the cells themselves is asked of the worksheet.

#include "CellRef.h"
#include "Variant.h"

#include <QVector>
#include <memory>

namespace excel {

class Worksheet;
class AreaCollection;

class Range {
public:
    // Rows() and Columns() give the same cells seen as rows or columns: Count and Item follow.
    enum class Axis { Cells, Rows, Columns };

    Range(std::shared_ptr<excel::Worksheet> sheet, QVector<CellRect> areas,
          Axis axis = Axis::Cells);

    const QVector<CellRect>& rects() const { return m_areas; }
    std::shared_ptr<excel::Worksheet> Worksheet() const { return m_sheet; }

    // Excel's A1 address: "$A$1:$A$9", "$B:$B", areas joined by ","; with external true the
    // workbook and sheet come first: "[Book.xlsx]Sheet1!$A$1:$A$9".
    QString Address(bool rowAbsolute = true, bool columnAbsolute = true,
                    bool external = false) const;
    // One cell gives its value; a block gives a two-dimensional array (of the first area).
    Variant Value() const;
    qint64 Count() const;
    int Row() const { return m_areas.front().top; }
    int Column() const { return m_areas.front().left; }

    Range Rows() const;
    Range Columns() const;
    Range Cells() const;
    // Counted from this range's top-left cell; may reach beyond the range, as in the spreadsheet.
    Range Cells(int row, int column) const;
    // The index-th row, column or cell (row by row) of the first area, by this range's axis.
    Range Item(int index) const;
    Range operator()(int index) const { return Item(index); }
    AreaCollection Areas() const;
    Range Offset(int rowOffset, int columnOffset) const;
    Range Resize(int rows, int columns) const;
    void Select() const;
    // Type 4: blank cells; type -4123: formulas, filtered by value (1 numbers, 2 text, 4 logical,
    // 16 errors; 0 for all). Raises an error when no cell qualifies.
    Range SpecialCells(int type, int value = 0) const;

    // Same sheet and same areas.
    bool operator==(const Range& other) const;

private:
    std::shared_ptr<excel::Worksheet> m_sheet;
    QVector<CellRect> m_areas;
    Axis m_axis;
};

class AreaCollection {
public:
    explicit AreaCollection(Range range)
        : m_range(std::move(range)) {}
    int Count() const { return int(m_range.rects().size()); }
    Range Item(int index) const;
    Range operator()(int index) const { return Item(index); }

private:
    Range m_range;
};

} // namespace excel
