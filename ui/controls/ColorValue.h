#pragma once
// Colour values as the controls' properties hold them: red in the low byte, then green, then blue
// (0x00BBGGRR); with the high bit set (0x80000000 + n) the value names the system colour n and is
// resolved to its current RGB before any drawing.

#include <QColor>
#include <QtGlobal>

namespace controls {

using ColorValue = quint32;

constexpr ColorValue rgbValue(int r, int g, int b) {
    return ColorValue(r) | (ColorValue(g) << 8) | (ColorValue(b) << 16);
}
constexpr ColorValue systemColor(int index) {
    return 0x80000000u | ColorValue(index);
}

// System colours used by the controls.
constexpr int kColorInactiveCaption = 3;
constexpr int kColorWindow = 5;
constexpr int kColorButtonFace = 15;
constexpr int kColorButtonShadow = 16;
constexpr int kColorGrayText = 17;
constexpr int kColorButtonText = 18;
constexpr int kColorButtonHighlight = 20;
constexpr int kColorDarkShadow = 21;
constexpr int kColorLight = 22;

// The colour a value stands for: system colours from the running style's palette where it has
// them, else from the classic defaults. An unknown system colour gives black.
QColor realColor(ColorValue value);
ColorValue toColorValue(const QColor& color);

} // namespace controls
