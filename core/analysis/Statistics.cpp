#include "core/analysis/Statistics.h"

#include "excel/TextForm.h"

#include <QLocale>
#include <cmath>
#include <vector>

namespace analysis {

namespace {

const QString kBlank = QStringLiteral("<blank>");

// The count as a plain decimal reading that ignores the locale: the longest number at the start
// of the text, blanks skipped, 0 when there is none.
double plainValue(const QString& text) {
    QString compact = text;
    compact.remove(QLatin1Char(' '));
    for (qsizetype n = compact.size(); n > 0; --n) {
        double value = 0;
        if (excel::parsePlainNumber(QStringView(compact).left(n), value))
            return value;
    }
    return 0;
}

QString threeDecimals(double value) {
    return QLocale().toString(value, 'f', 3);
}

} // namespace

std::optional<QString> statisticsCaption(const platform::ListViewModel& results) {
    const QLocale locale;
    struct Entry {
        std::optional<double> x; // none for "<blank>"
        double c;
    };
    std::vector<Entry> table;
    for (int row = 0; row < results.count(); ++row) {
        const QString label = results.text(row);
        bool numeric = false;
        const double x = locale.toDouble(label, &numeric);
        if (!numeric && label != kBlank)
            return std::nullopt;
        table.push_back(
            {numeric ? std::optional(x) : std::nullopt, plainValue(results.subItem(row, 1))});
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
