#pragma once
// How a cell looks: number format, font, fill, border and alignment, as plain data the backends
// keep per cell; and the few number formats the program writes, turned into shown text.

#include "excel/Variant.h"

#include <QString>

namespace excel {

// Horizontal alignments as the object model numbers them.
constexpr int kAlignGeneral = 1;
constexpr int kAlignLeft = -4131;
constexpr int kAlignCenter = -4108;
constexpr int kAlignRight = -4152;

struct CellFormat {
    QString numberFormat; // empty: General
    QString fontName;     // empty: the workbook's default font
    bool bold = false;
    int fontColor = -1;   // 0xRRGGBB, -1 for the default
    int fillColor = -1;   // 0xRRGGBB solid fill, -1 for none
    int borderColor = -1; // thin border of this colour round the cell, -1 for none
    int horizontalAlignment = kAlignGeneral;

    bool isDefault() const { return *this == CellFormat(); }
    bool operator==(const CellFormat&) const = default;
};

// 0xRRGGBB of an entry of the default 56-colour palette (ColorIndex 1..56); -1 outside it.
int paletteColor(int colorIndex);

// The text a cell shows for a value under a number format: percentages ("0%", "0.0%", ...),
// fixed decimals ("0", "0.00"), thousands ("#,##0"), and General for everything else.
QString shownText(const Variant& value, const QString& numberFormat);

} // namespace excel
