#pragma once
// A worksheet as the object model shows it. Backends supply the cells (the hooks below); the
// members that only need geometry or reference parsing are shared by every backend.

#include "CellRef.h"
#include "Range.h"
#include "Variant.h"

#include <QString>
#include <memory>

namespace excel {

class Workbook;

class Worksheet : public std::enable_shared_from_this<Worksheet> {
public:
    virtual ~Worksheet() = default;

    virtual QString Name() const = 0;
    virtual std::shared_ptr<Workbook> Parent() const = 0;
    // Makes this the active sheet of its workbook and that workbook the active one.
    virtual void Activate() = 0;

    excel::Range UsedRange();
    // An A1 reference on this sheet; a sheet prefix must name this sheet.
    excel::Range Range(const QString& reference);
    excel::Range Cells();
    excel::Range Cells(int row, int column);

    // Hooks each backend supplies.
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
};

} // namespace excel
