#pragma once
// Cell coordinates and A1 references: rectangles of cells, column letters, parsing what a user or
// a workbook writes ("B:B", "Sheet1!$B$2:$B$90", "'My sheet'!B2:B9") and formatting addresses.

#include <QString>
#include <QVector>
#include <optional>

namespace excel {

constexpr int kMaxRows = 1048576;
constexpr int kMaxColumns = 16384;

// An inclusive block of cells, rows and columns counted from 1.
struct CellRect {
    int top = 1;
    int left = 1;
    int bottom = 1;
    int right = 1;

    static CellRect cell(int row, int column) { return {row, column, row, column}; }
    int rows() const { return bottom - top + 1; }
    int columns() const { return right - left + 1; }
    qint64 cellCount() const { return qint64(rows()) * columns(); }
    bool contains(int row, int column) const {
        return row >= top && row <= bottom && column >= left && column <= right;
    }
    bool isValid() const {
        return top >= 1 && left >= 1 && top <= bottom && left <= right && bottom <= kMaxRows &&
               right <= kMaxColumns;
    }
    bool wholeColumns() const { return top == 1 && bottom == kMaxRows; }
    bool wholeRows() const { return left == 1 && right == kMaxColumns; }
    std::optional<CellRect> intersected(const CellRect& other) const;
    bool operator==(const CellRect&) const = default;
};

QString columnLetters(int column);
// 0 when the text is not a column name within the sheet's limits.
int columnFromLetters(QStringView letters);

// "$A$1", "$A$1:$B$9", "$B:$B", "$2:$5" as the spreadsheet writes an address.
QString formatRect(const CellRect& rect, bool rowAbsolute = true, bool columnAbsolute = true);

// True when a sheet name must be quoted in a reference: anything beyond letters, digits, "_" and
// "." (not first), a leading digit, or a name that reads as a cell or R1C1 reference.
bool sheetNameNeedsQuotes(const QString& name);
// The sheet part of a reference, quoted where needed: Sheet1, 'My sheet', 'It''s'.
QString quotedSheetName(const QString& name);
// "[Book.xlsx]Sheet1" or "'[My book.xlsx]Sheet 1'": the prefix of an external address, without "!".
QString externalSheetPrefix(const QString& bookName, const QString& sheetName);

struct ParsedReference {
    QString book;  // empty unless the reference names a workbook in brackets
    QString sheet; // empty unless the reference names a sheet
    QVector<CellRect> areas;
};

// Parses one reference as a user types it or a workbook stores it: optional book and sheet, then
// one or more areas separated by commas. Letters may be in either case; "$" marks are optional.
std::optional<ParsedReference> parseReference(QStringView text);

} // namespace excel
