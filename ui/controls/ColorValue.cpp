#include "ui/controls/ColorValue.h"

#include <QApplication>
#include <QPalette>

namespace controls {

QColor realColor(ColorValue value) {
    if (!(value & 0x80000000u))
        return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
    const QPalette palette = QApplication::palette();
    switch (value & 0xFF) {
    case kColorInactiveCaption:
        return QColor(0xBF, 0xCD, 0xDB);
    case kColorWindow:
        return palette.color(QPalette::Base);
    case kColorButtonFace:
        return palette.color(QPalette::Button);
    case kColorButtonShadow:
        return QColor(0xA0, 0xA0, 0xA0);
    case kColorGrayText:
        return QColor(0x6D, 0x6D, 0x6D);
    case kColorButtonText:
        return palette.color(QPalette::ButtonText);
    case kColorButtonHighlight:
        return QColor(0xFF, 0xFF, 0xFF);
    case kColorDarkShadow:
        return QColor(0x69, 0x69, 0x69);
    case kColorLight:
        return QColor(0xE3, 0xE3, 0xE3);
    default:
        return QColor(Qt::black);
    }
}

ColorValue toColorValue(const QColor& color) {
    return rgbValue(color.red(), color.green(), color.blue());
}

} // namespace controls
