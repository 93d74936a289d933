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
    // A share from 0.0 to 999.9 in a locale of Latin digits is written here, as the locale
    // writes it (no group separator below a thousand): a result of thousands of rows has two per
    // row, and the locale's own writing costs far more.
    if (tenths >= 0 && tenths < 10000 && !std::signbit(tenths) &&
        locale.zeroDigit() == QLatin1String("0")) {
        const int t = int(tenths);
        return QString::number(t / 10) + locale.decimalPoint() + QChar(u'0' + t % 10) +
               QLatin1Char('%');
    }
    return locale.toString(tenths / 10.0, 'f', 1) + QLatin1Char('%');
}

QString barText(double count, double largest) {
    return QString(largest > 0 ? int(std::floor(30 * count / largest)) : 0, QLatin1Char('*'));
}

QStringList rowTexts(const ParetoCategory& category, double largest, const QLocale& locale) {
    return {category.label, countText(category.count), formatPercent(category.share, locale),
            formatPercent(category.cumulative, locale), barText(category.count, largest)};
}

QStringList resultCaptions(const ParetoResult& result) {
    QStringList captions = resultCaptions();
    if (result.weighted)
        captions << QStringLiteral("Weight") << QStringLiteral("Weight(%)")
                 << QStringLiteral("Cum weight(%)");
    if (result.classed)
        captions << QStringLiteral("Class");
    return captions;
}

QStringList rowTexts(const ParetoResult& result, const ParetoCategory& category,
                     const QLocale& locale) {
    QStringList texts = rowTexts(category, result.largest, locale);
    if (result.weighted)
        texts << weightText(category.weight, locale) << formatPercent(category.weightShare, locale)
              << formatPercent(category.weightCumulative, locale);
    if (result.classed)
        texts << category.rankClass;
    return texts;
}

QString weightText(double weight, const QLocale& locale) {
    QLocale plain = locale;
    plain.setNumberOptions(plain.numberOptions() | QLocale::OmitGroupSeparator);
    return plain.toString(weight, 'f', QLocale::FloatingPointShortest);
}

} // namespace analysis
