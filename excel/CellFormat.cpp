#include "CellFormat.h"

#include "TextForm.h"

#include <QLocale>
#include <QRegularExpression>
#include <array>

namespace excel {

int paletteColor(int colorIndex) {
    static constexpr std::array<int, 56> palette = {
        0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF,
        0x800000, 0x008000, 0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080,
        0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF, 0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF,
        0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000, 0x008080, 0x0000FF,
        0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99,
        0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696,
        0x003366, 0x339966, 0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333};
    if (colorIndex < 1 || colorIndex > int(palette.size()))
        return -1;
    return palette[size_t(colorIndex - 1)];
}

QString shownText(const Variant& value, const QString& numberFormat) {
    if (!value.isNumber())
        return textForm(value);
    static const QRegularExpression fixed(QStringLiteral("^(#,##)?0(?:\\.(0+))?(%?)$"));
    const auto m = fixed.match(numberFormat);
    if (!m.hasMatch())
        return textForm(value);
    const bool percent = !m.captured(3).isEmpty();
    const int decimals = int(m.captured(2).size());
    const double shown = percent ? value.number() * 100.0 : value.number();
    QLocale locale;
    if (m.captured(1).isEmpty())
        locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(shown, 'f', decimals) + (percent ? QStringLiteral("%") : QString());
}

} // namespace excel
