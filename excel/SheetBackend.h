#pragma once
// What each engine supplies for a worksheet: its cells, formats, selection and conditional
// formats, in the object model's numbering (rows and columns from 1). The Worksheet that callers
// use (Worksheet.h) builds every member of its own on these; an engine implements them, and the
// object model's own code and the windows that draw cells read them.

#include "excel/CellFormat.h"
#include "excel/CellRef.h"
#include "excel/Variant.h"

#include <QString>
#include <QVector>
#include <functional>
#include <memory>
#include <vector>

namespace excel {

struct ConditionalFormat;

class SheetBackend {
public:
    virtual ~SheetBackend() = default;

    // The smallest block holding every cell with a value or a formula; A1 for an empty sheet.
    virtual CellRect usedRect() const = 0;
    virtual Variant cellValue(int row, int column) const = 0;
    // Fills out (sized to rect) with the values of rect.
    virtual void readValues(const CellRect& rect, VariantArray& out) const = 0;
    // The cells of areas that are blank (type 4) or hold formulas of the given value kinds (type
    // -4123), as blocks; empty when none qualifies.
    virtual QVector<CellRect> specialCells(const QVector<CellRect>& areas, int type,
                                           int value) const = 0;
    virtual void select(const QVector<CellRect>& areas) = 0;
    // The selection's blocks (A1 when the sheet has none).
    virtual QVector<CellRect> selection() const = 0;
    virtual void rename(const QString& name) = 0;
    // An empty value clears the cell's value (its format stays).
    virtual void setCellValue(int row, int column, const Variant& value) = 0;
    virtual CellFormat cellFormat(int row, int column) const = 0;
    // Changes the format of every cell of rect, empty cells included.
    virtual void formatCells(const CellRect& rect,
                             const std::function<void(CellFormat&)>& change) = 0;
    // Column widths in characters of the default font; 0 for the default width.
    virtual double columnWidth(int column) const = 0;
    virtual void setColumnWidth(int column, double width) = 0;
    // Moves whole rows of cells (values and formats): count > 0 inserts empty rows before at,
    // count < 0 deletes -count rows from at.
    virtual void shiftRows(int at, int count) = 0;
    // The sheet's conditional formats, first rule first.
    virtual std::vector<std::shared_ptr<ConditionalFormat>>& conditionalFormats() = 0;
    // Whether conditionalFormats() has what the sheet holds without reading its file again (a
    // sheet whose rules were never touched keeps only the file's own, which draw nothing here).
    virtual bool conditionalFormatsAtHand() const { return true; }
};

} // namespace excel
