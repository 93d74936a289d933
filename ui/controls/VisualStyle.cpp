#include "ui/controls/VisualStyle.h"

#include <QApplication>
#include <QStyle>

namespace controls {

namespace {
std::optional<bool>& forced() {
    static std::optional<bool> value;
    return value;
}
} // namespace

bool visualStyleInForce() {
    if (forced())
        return *forced();
    const QStyle* style = QApplication::style();
    return style && style->name().compare(QLatin1String("windows"), Qt::CaseInsensitive) != 0;
}

void forceVisualStyle(std::optional<bool> inForce) {
    forced() = inForce;
}

} // namespace controls
