#pragma once
// Form lengths are kept in twips, 1440 to the inch: 15 to a pixel at 96 dpi, scaled with the
// screen's logical dpi.

#include <QRect>
#include <QWidget>

namespace platform {

inline int twipsToPixels(const QWidget* w, int twips) {
    return twips * w->logicalDpiX() / 1440;
}
inline int twipsToPixelsY(const QWidget* w, int twips) {
    return twips * w->logicalDpiY() / 1440;
}
inline int pixelsToTwips(const QWidget* w, int pixels) {
    return pixels * 1440 / w->logicalDpiX();
}

inline QRect twipsRect(const QWidget* w, int left, int top, int width, int height) {
    return {twipsToPixels(w, left), twipsToPixelsY(w, top), twipsToPixels(w, width),
            twipsToPixelsY(w, height)};
}

} // namespace platform
