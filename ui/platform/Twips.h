#pragma once
// Form lengths are kept in twips, 1440 to the inch: 15 to a pixel at 96 dpi, scaled with the
// screen's logical dpi. A window drawn smaller than designed, to fit a small screen, keeps its
// layout: each length is scaled by the window's "twipsScale" property as well (1 when unset).

#include <QRect>
#include <QVariant>
#include <QWidget>

namespace platform {

inline double twipsScale(const QWidget* w) {
    const QVariant scale = w->window()->property("twipsScale");
    return scale.isValid() ? scale.toDouble() : 1.0;
}
inline int twipsToPixels(const QWidget* w, int twips) {
    return int(double(twips) * w->logicalDpiX() / 1440 * twipsScale(w));
}
inline int twipsToPixelsY(const QWidget* w, int twips) {
    return int(double(twips) * w->logicalDpiY() / 1440 * twipsScale(w));
}
inline int pixelsToTwips(const QWidget* w, int pixels) {
    return int(double(pixels) * 1440 / w->logicalDpiX() / twipsScale(w));
}

inline QRect twipsRect(const QWidget* w, int left, int top, int width, int height) {
    return {twipsToPixels(w, left), twipsToPixelsY(w, top), twipsToPixels(w, width),
            twipsToPixelsY(w, height)};
}

} // namespace platform
