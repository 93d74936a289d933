#pragma once
// A range of cells on one worksheet: one or more rectangular areas, as the object model's Range.
// Its geometry (addresses, counts, offsets, areas) is worked out here once for every backend;
// what needs the cells themselves is asked of the worksheet.

#include "excel/CellRef.h"
#include "excel/Variant.h"

#include <QVector>
#include <memory>

namespace excel {

class Worksheet;
class AreaCollection;
class FormatConditions;

// The cells a range stands for; its sheet moves them when rows are inserted or deleted.
struct TrackedAreas {
    QVector<CellRect> areas;
};

class Range {
public:
    // Rows() and Columns() give the same cells seen as rows or columns: Count and Item follow.
    enum class Axis { Cells, Rows, Columns };

    // The range is registered with its sheet, so that it follows its cells when rows are
    // inserted or deleted; copies share that position, as references to one object do.
    Range(std::shared_ptr<excel::Worksheet> sheet, QVector<CellRect> areas,
          Axis axis = Axis::Cells);

    // Raises an error when every cell of the range has been deleted.
    const QVector<CellRect>& rects() const;
    std::shared_ptr<excel::Worksheet> Worksheet() const { return m_sheet; }

    // Excel's A1 address: "$A$1:$A$9", "$B:$B", areas joined by ","; with external true the
    // workbook and sheet come first: "[Book.xlsx]Sheet1!$A$1:$A$9".
    QString Address(bool rowAbsolute = true, bool columnAbsolute = true,
                    bool external = false) const;
    // One cell gives its value; a block gives a two-dimensional array (of the first area).
    Variant Value() const;
    qint64 Count() const;
    int Row() const { return rects().front().top; }
    int Column() const { return rects().front().left; }

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
    // The text the cell shows (the first cell of the range), through its number format.
    QString Text() const;
    // Whole rows or columns of sheet through the range.
    Range EntireColumn() const;
    Range EntireRow() const;
    // Deletes the cells' whole rows (the range must be whole rows): cells below move up.
    void Delete() const;
    // -4131 left, -4108 centre, -4152 right, 1 general.
    void setHorizontalAlignment(int alignment) const;
    void setFontName(const QString& name) const;
    // Sets each column's width to fit its widest shown text.
    void AutoFit() const;
    excel::FormatConditions FormatConditions() const;
    // Type 4: blank cells; type -4123: formulas, filtered by value (1 numbers, 2 text, 4 logical,
    // 16 errors; 0 for all). Raises an error when no cell qualifies.
    Range SpecialCells(int type, int value = 0) const;

    // Same sheet and same areas.
    bool operator==(const Range& other) const;

private:
    friend class HeldRange;
    Range(std::shared_ptr<excel::Worksheet> sheet, std::shared_ptr<TrackedAreas> areas, Axis axis)
        : m_sheet(std::move(sheet))
        , m_areas(std::move(areas))
        , m_axis(axis) {}

    std::shared_ptr<excel::Worksheet> m_sheet;
    std::shared_ptr<TrackedAreas> m_areas;
    Axis m_axis;
};

// A range kept by an object that its own sheet owns (the sheet's Sort): it follows its cells as
// the range does, without keeping the sheet alive; the two would otherwise own each other.
class HeldRange {
public:
    HeldRange(const Range& range)
        : m_sheet(range.m_sheet)
        , m_areas(range.m_areas)
        , m_axis(range.m_axis) {}
    // The range itself; raises an error when its sheet is gone.
    Range range() const;

private:
    std::weak_ptr<excel::Worksheet> m_sheet;
    std::shared_ptr<TrackedAreas> m_areas;
    Range::Axis m_axis;
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
