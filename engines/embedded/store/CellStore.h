#pragma once
// The cells of one worksheet, stored sparsely by column: each column keeps its cells in row order,
// so reading a block or counting over it walks only the cells that exist.

#include "excel/CellFormat.h"
#include "excel/CellRef.h"
#include "excel/Variant.h"

#include <QHash>
#include <QString>
#include <algorithm>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <vector>

namespace embedded {

enum class CellKind : quint8 {
    FormulaOnly, // a formula whose value is not known (no cached value in the file)
    Number,
    Text,
    Boolean,
    Error,
    Date, // a number shown as a date: the serial number in the workbook's own date system
};

struct Cell {
    static constexpr quint8 kHasFormula = 1;

    quint32 row = 0;
    CellKind kind = CellKind::Number;
    quint8 flags = 0;
    quint16 style = 0; // the cell's style in the file (BookContext::styles); 0 is the default
    union {
        double number;
        quint32 text; // index into the workbook's string pool
        quint8 error; // excel::ErrorValue
        bool boolean;
    };

    Cell()
        : number(0) {}
    bool hasFormula() const { return flags & kHasFormula; }
};
static_assert(sizeof(Cell) == 16, "cells are kept small: a sheet may hold millions");

// Strings of a workbook, shared by its sheets. Shared-string tables come in with their own
// numbering; other texts are interned so that equal texts share one entry.
class StringPool {
public:
    quint32 add(const QString& text); // always a new entry (keeps shared-string numbering)
    quint32 intern(const QString& text);
    quint32 intern(QStringView text); // makes a string only for a text not yet in the pool
    const QString& at(quint32 index) const { return m_strings[index]; }
    quint32 size() const { return quint32(m_strings.size()); }

private:
    // Where the text is in the pool, or -1; hash is qHash(text).
    qint64 find(QStringView text, size_t hash) const;
    void index(quint32 entry, size_t hash);

    std::vector<QString> m_strings;
    // Open addressing over one array: a slot holds the low bits of a text's hash and its entry
    // plus one (0: free); at most half the slots are taken, so a look-up reads one or two slots
    // and compares the text only where the hash matches.
    struct Slot {
        quint32 hash = 0;
        quint32 entry = 0;
    };
    std::vector<Slot> m_slots;
    size_t m_taken = 0;
};

// What every sheet of a workbook shares: its strings, its date system, and the cell styles and
// standard font of the file it was read from.
struct BookContext {
    StringPool strings;
    bool date1904 = false;
    // The file's cell styles by index as the object model sees them (what a cell's style shows
    // when nothing has formatted it since); empty for workbooks without styles.
    std::vector<excel::CellFormat> styles;
    QString fontName;    // the standard font; empty where the file names none
    double fontSize = 0; // in points; 0 where the file gives none
    // The fill of each differential format (what a conditional format applies) by index; -1 for
    // one without a fill.
    std::vector<int> ruleFills;

    const excel::CellFormat* style(quint16 index) const {
        return index > 0 && index < styles.size() ? &styles[index] : nullptr;
    }
};

// Converts between a workbook serial date and the automation date of excel::DateValue.
double serialToAutomationDate(double serial, bool date1904);
double automationDateToSerial(double automationDate, bool date1904);
// Whether a serial lies within the date system (day 0 to 31 December 9999); a number outside it
// cannot be shown as a date and stays a number.
bool isDateSerial(double serial, bool date1904);

class CellStore {
public:
    explicit CellStore(std::shared_ptr<BookContext> context);

    const BookContext& context() const { return *m_context; }
    std::shared_ptr<BookContext> sharedContext() const { return m_context; }

    // Loading: cells of a column usually come in row order; finishLoading() sorts and removes
    // duplicates (the last one written wins) for columns that did not.
    void append(int row, int column, const Cell& cell);
    // Room for this many cells of a column, made once before loading rather than as it grows.
    void reserve(int column, size_t cells);
    // Room for each column from first to last that has cells, scale times what it holds now
    // (and a little more): a reader that has read part of a file sizes the rest at the same rate.
    void reserveAhead(int first, int last, double scale);
    void finishLoading();
    // Editing: puts a cell in place, replacing one that is there.
    void set(int row, int column, const Cell& cell);
    // Puts a value in a cell; an empty value removes the cell unless it has a formula (then the
    // formula's value is unknown). Dates are stored as serials of the workbook's date system.
    void setValue(int row, int column, const excel::Variant& value, bool hasFormula = false);
    void erase(int row, int column);
    // Whole rows move: count > 0 inserts empty rows before at, count < 0 deletes -count rows
    // from at; the cells below follow.
    void shiftRows(int at, int count);

    const Cell* find(int row, int column) const;
    excel::Variant value(const Cell& cell) const;
    excel::Variant value(int row, int column) const;
    void setFormula(int row, int column, const QString& formula);
    QString formula(int row, int column) const;

    qint64 cellCount() const { return m_cellCount; }
    // The block of all stored cells (and of cells read past, see widenUsedRect); A1 when there is
    // none.
    excel::CellRect usedRect() const;
    // Cells that hold something but were not read (their columns were not asked for) still
    // count in the used block.
    void widenUsedRect(int row, int column) {
        if (m_unread.bottom == 0) {
            m_unread = excel::CellRect::cell(row, column);
            return;
        }
        m_unread = {std::min(m_unread.top, row), std::min(m_unread.left, column),
                    std::max(m_unread.bottom, row), std::max(m_unread.right, column)};
    }
    // Increases with every change; per-range caches compare it.
    quint64 version() const { return m_version; }

    template <typename F>
    void forEachInRect(const excel::CellRect& rect, F&& f) const {
        const int last = std::min(rect.right, int(m_columns.size()));
        for (int column = rect.left; column <= last; ++column) {
            const auto& cells = m_columns[size_t(column - 1)];
            auto it = lowerBound(cells, rect.top);
            for (; it != cells.end() && int(it->row) <= rect.bottom; ++it)
                f(int(it->row), column, *it);
        }
    }

    // Cells of one column in row order (empty beyond the last used column).
    const std::vector<Cell>& column(int column) const;

private:
    static std::vector<Cell>::const_iterator lowerBound(const std::vector<Cell>& cells, int row);

    std::shared_ptr<BookContext> m_context;
    std::vector<std::vector<Cell>> m_columns;
    std::vector<bool> m_unsorted;
    excel::CellRect m_unread{0, 0, 0, 0}; // bottom 0: none
    QHash<quint64, QString> m_formulas;
    qint64 m_cellCount = 0;
    quint64 m_version = 1;
};

} // namespace embedded
