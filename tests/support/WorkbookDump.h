#pragma once
// What a reader made of a workbook file, as one text: every sheet's cells (kind, value, style,
// formula flag and text), used range, extent, selection and widths, or the refusal. Two ways of
// reading one file compare by it (a unit test and a fuzz target).

#include "engines/embedded/ReadLimits.h"
#include "engines/embedded/store/WorkbookData.h"
#include "excel/Error.h"

#include <QString>
#include <cstring>
#include <functional>
#include <string>

namespace testsupport {

inline std::string dumpWorkbook(const embedded::WorkbookData& book) {
    std::string out;
    const auto add = [&](const QString& s) { out += s.toStdString(); };
    for (const embedded::SheetData& sheet : book.sheets) {
        add(QStringLiteral("sheet %1 used %2 dimension %3 active %4\n")
                .arg(sheet.name, excel::formatRect(sheet.cells->usedRect()),
                     sheet.declaredDimension, excel::formatRect(sheet.activeCell)));
        for (const auto& [column, width] : sheet.columnWidths)
            add(QStringLiteral("width %1 %2\n").arg(column).arg(width));
        const excel::CellRect all{1, 1, excel::kMaxRows, excel::kMaxColumns};
        sheet.cells->forEachInRect(all, [&](int row, int column, const embedded::Cell& cell) {
            quint64 bits = 0;
            if (cell.kind == embedded::CellKind::Number || cell.kind == embedded::CellKind::Date)
                std::memcpy(&bits, &cell.number, sizeof bits);
            else if (cell.kind == embedded::CellKind::Error || cell.kind == embedded::CellKind::Boolean)
                bits = cell.error;
            add(QStringLiteral("%1,%2 kind %3 style %4 flags %5 bits %6 text [%7] formula [%8]\n")
                    .arg(row)
                    .arg(column)
                    .arg(int(cell.kind))
                    .arg(cell.style)
                    .arg(cell.flags)
                    .arg(bits, 0, 16)
                    .arg(cell.kind == embedded::CellKind::Text
                             ? book.context->strings.at(cell.text)
                             : QString())
                    .arg(sheet.cells->formula(row, column)));
        });
    }
    return out;
}

// Reads a file with a reader and gives what it made, or "refused: " and the message.
inline std::string readAndDump(const std::function<embedded::WorkbookData()>& read) {
    try {
        return dumpWorkbook(read());
    } catch (const excel::Error& e) {
        return "refused: " + e.message().toStdString();
    }
}

} // namespace testsupport
