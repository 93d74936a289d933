#include "core/analysis/ParetoResult.h"

#include <cmath>

namespace analysis {

QStringList resultCaptions() {
    return {QStringLiteral("Category"), QStringLiteral("Count"), QStringLiteral("Count(%)"),
            QStringLiteral("Cum(%)"), QStringLiteral("Bar chart of Count(%)")};
}

QString countText(double count) {
    return QString::number(qint64(std::llround(count)));
}

QString formatPercent(double fraction, const QLocale& locale) {
    const double tenths = std::round(fraction * 1000.0); // halves away from zero
    return locale.toString(tenths / 10.0, 'f', 1) + QLatin1Char('%');
}

QString barText(double count, double largest) {
    return QString(largest > 0 ? int(std::floor(30 * count / largest)) : 0, QLatin1Char('*'));
}

QStringList rowTexts(const ParetoCategory& category, double largest, const QLocale& locale) {
    return {category.label, countText(category.count), formatPercent(category.share, locale),
            formatPercent(category.cumulative, locale), barText(category.count, largest)};
}

} // namespace analysis
