#include "core/analysis/Statistics.h"

#include "excel/TextForm.h"

#include <QLocale>
#include <cmath>
#include <vector>

namespace analysis {

namespace {

const QString kBlank = QStringLiteral("<blank>");

QString threeDecimals(double value) {
    return QLocale().toString(value, 'f', 3);
}

} // namespace

std::optional<QString> statisticsCaption(const ParetoResult& result) {
    const QLocale locale;
    struct Entry {
        std::optional<double> x; // none for "<blank>"
        double c;
    };
    std::vector<Entry> table;
    for (const ParetoCategory& category : result.categories) {
        bool numeric = false;
        const double x = locale.toDouble(category.label, &numeric);
        if (!numeric && category.label != kBlank)
            return std::nullopt;
        table.push_back({numeric ? std::optional(x) : std::nullopt, category.count});
    }
    double sumWeighted = 0;
    double sumWeights = 0;
    for (const Entry& e : table) {
        if (e.x) {
            sumWeighted += e.c * *e.x;
            sumWeights += e.c;
        }
    }
    if (sumWeights == 0)
        return std::nullopt;
    const double mean = sumWeighted / sumWeights;
    double squares = 0;
    double n = 0;
    for (const Entry& e : table) {
        if (e.x) {
            squares += e.c * (*e.x - mean) * (*e.x - mean);
            n += e.c;
        }
    }
    // With a single data cell there is no spread to estimate: shown as 0.
    const double deviation = n > 1 ? std::sqrt(squares / (n - 1)) : 0.0;
    return QStringLiteral("n=") + excel::textForm(excel::Variant(n)) + QStringLiteral(", mean=") +
           threeDecimals(mean) + QStringLiteral(",  Std=") + threeDecimals(deviation);
}

} // namespace analysis
