#pragma once
// Tables (list objects) of a worksheet, as far as formatting a block goes: a table is made over a
// range, named, given a table style and turned back into a plain range that keeps the style's
// formatting on its cells.

#include "excel/CellRef.h"
#include "excel/Range.h"

#include <QString>
#include <memory>

namespace excel {

class Worksheet;

struct ListObjectModel {
    QString name;
    CellRect rect; // header row included
    QString style;
    bool deleted = false; // all its rows were deleted
};

class ListObject {
public:
    ListObject(std::shared_ptr<Worksheet> sheet, std::shared_ptr<ListObjectModel> model)
        : m_sheet(std::move(sheet))
        , m_model(std::move(model)) {}
    QString Name() const { return m_model->name; }
    // Table names are unique in the workbook, among tables and defined names alike.
    void setName(const QString& name);
    QString TableStyle() const { return m_model->style; }
    // Only "TableStyleMedium11" and "" (no style) are offered.
    void setTableStyle(const QString& style);
    excel::Range Range() const;
    // The table becomes a plain range; its cells keep the style's fills, fonts and borders.
    void Unlist();

private:
    std::shared_ptr<Worksheet> m_sheet;
    std::shared_ptr<ListObjectModel> m_model;
};

class ListObjectCollection {
public:
    explicit ListObjectCollection(std::shared_ptr<Worksheet> sheet)
        : m_sheet(std::move(sheet)) {}
    // Source type 1 (a range). With hasHeaders 2 (no) a row of generated captions ("Column1",
    // "Column2", ...) is inserted above the data, whose cells move down one row.
    ListObject Add(int sourceType, const excel::Range& source, int hasHeaders);
    ListObject Item(const QString& name) const;
    ListObject operator()(const QString& name) const { return Item(name); }
    int Count() const;

private:
    std::shared_ptr<Worksheet> m_sheet;
};

// The colours of "TableStyleMedium11" in the default theme: header fill (accent 3), the two row
// bands, and the white lines between cells.
constexpr int kMedium11Header = 0xA5A5A5;
constexpr int kMedium11Band1 = 0xDBDBDB;
constexpr int kMedium11Band2 = 0xEDEDED;
constexpr int kMedium11Lines = 0xFFFFFF;

} // namespace excel
