#include "core/analysis/ParetoOptions.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

namespace analysis {

namespace {

double keyOf(const ParetoCategory& category, RankBy rankBy) {
    return rankBy == RankBy::Weight ? category.weight : category.count;
}

} // namespace

void measureResult(ParetoResult& result) {
    result.total = 0;
    result.totalWeight = 0;
    result.largest = 0;
    for (const ParetoCategory& c : result.categories) {
        result.total += c.count;
        result.totalWeight += c.weight;
        result.largest = std::max(result.largest, c.count);
    }
    result.totalWeight = withoutNoise(result.totalWeight);
    double counted = 0, weighed = 0;
    for (ParetoCategory& c : result.categories) {
        counted += c.count;
        weighed += c.weight;
        c.share = result.total > 0 ? c.count / result.total : 0;
        c.cumulative = result.total > 0 ? counted / result.total : 0;
        c.weightShare = result.totalWeight != 0 ? c.weight / result.totalWeight : 0;
        c.weightCumulative = result.totalWeight != 0 ? weighed / result.totalWeight : 0;
    }
}

namespace {

// Where the rows whose key before them reaches percent of the whole begin. Compared as sums
// (before * 100 against percent * total), so that a tail of whole counts at exactly the limit
// is not lost to rounding.
size_t firstReaching(const ParetoResult& result, RankBy rankBy, double percent) {
    const double total = rankBy == RankBy::Weight ? result.totalWeight : result.total;
    double before = 0;
    for (size_t i = 0; i < result.categories.size(); ++i) {
        if (!(before * 100 < percent * total))
            return i;
        before += keyOf(result.categories[i], rankBy);
    }
    return result.categories.size();
}

void mergeTail(ParetoResult& result, const ParetoOptions& options) {
    const size_t keep = options.top > 0
                            ? std::min(result.categories.size(), size_t(options.top))
                            : firstReaching(result, options.rankBy, options.otherAfter);
    if (keep >= result.categories.size())
        return;
    ParetoCategory other;
    other.label = otherLabel();
    other.key = QStringLiteral("K%1").arg(result.categories.size() + 1);
    for (size_t i = keep; i < result.categories.size(); ++i) {
        other.count += result.categories[i].count;
        other.weight += result.categories[i].weight;
        ++other.merged;
    }
    other.weight = withoutNoise(other.weight);
    result.categories.resize(keep);
    result.categories.push_back(std::move(other));
}

void giveClasses(ParetoResult& result, const ParetoOptions& options) {
    const double total = options.rankBy == RankBy::Weight ? result.totalWeight : result.total;
    // With the A limit alone, the rest is B.
    const double limits[2] = {options.classes.front(),
                              options.classes.size() > 1 ? options.classes[1] : 100.0};
    double before = 0;
    for (ParetoCategory& c : result.categories) {
        c.rankClass = QStringLiteral("C");
        for (size_t k = 0; k < 2; ++k) {
            if (before * 100 < limits[k] * total) {
                c.rankClass = QString(QChar(u'A' + int(k)));
                break;
            }
        }
        before += keyOf(c, options.rankBy);
    }
    result.classed = true;
    result.cutOff = options.classes.front() / 100.0;
}

} // namespace

double withoutNoise(double sum) {
    return std::isfinite(sum) ? QString::number(sum, 'g', 15).toDouble() : sum;
}

void rankByCount(ParetoResult& result, std::vector<double>& weights) {
    std::vector<size_t> order(result.categories.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return result.categories[a].count > result.categories[b].count;
    });
    std::vector<ParetoCategory> categories;
    std::vector<double> moved;
    for (size_t i : order) {
        categories.push_back(std::move(result.categories[i]));
        moved.push_back(i < weights.size() ? weights[i] : 0.0);
    }
    result.categories = std::move(categories);
    weights = std::move(moved);
    measureResult(result);
}

QString otherLabel() {
    return QStringLiteral("Other");
}

ParetoResult shapeResult(const ParetoResult& counted, const ParetoOptions& options,
                         const std::vector<double>* weights) {
    ParetoResult result = counted;
    if (weights) {
        result.weighted = true;
        for (size_t i = 0; i < result.categories.size() && i < weights->size(); ++i)
            result.categories[i].weight = (*weights)[i];
    }
    if (!weights && !options.mergesOther() && options.classes.empty())
        return result; // the analysis's own order and shares, untouched
    result.rankedByWeight = options.rankBy == RankBy::Weight;
    if (options.rankBy == RankBy::Weight)
        std::stable_sort(result.categories.begin(), result.categories.end(),
                         [](const ParetoCategory& a, const ParetoCategory& b) {
                             return a.weight > b.weight;
                         });
    measureResult(result);
    if (options.mergesOther()) {
        mergeTail(result, options);
        measureResult(result);
    }
    if (!options.classes.empty())
        giveClasses(result, options);
    return result;
}

QString parseClasses(const QString& text, std::vector<double>& classes) {
    classes.clear();
    const QStringList parts = text.split(QLatin1Char(','));
    const QString wrong =
        QStringLiteral("--classes takes one or two percentages such as 80 or 80,95 (the second "
                       "larger), not \"%1\".")
            .arg(text);
    if (parts.size() > 2)
        return wrong;
    for (const QString& part : parts) {
        bool ok = false;
        const double value = part.trimmed().toDouble(&ok);
        if (!ok || !(value > 0) || !(value <= 100) || (!classes.empty() && value <= classes.back()))
            return wrong;
        classes.push_back(value);
    }
    return {};
}

QString parsePercent(const QString& option, const QString& text, double& percent) {
    bool ok = false;
    QString number = text.trimmed();
    if (number.endsWith(QLatin1Char('%')))
        number.chop(1);
    percent = number.toDouble(&ok);
    if (!ok || !(percent > 0) || !(percent <= 100))
        return QStringLiteral("%1 takes a percentage above 0 and at most 100, not \"%2\".")
            .arg(option, text);
    return {};
}

QString parseCount(const QString& option, const QString& text, int& count) {
    bool ok = false;
    count = text.trimmed().toInt(&ok);
    if (!ok || count < 1)
        return QStringLiteral("%1 takes a whole number of categories from 1 on, not \"%2\".")
            .arg(option, text);
    return {};
}

// One "key=value" line per option that is not the default, in a fixed order.
QString optionsText(const ParetoOptions& options) {
    QStringList lines;
    if (options.skipHeader)
        lines << QStringLiteral("header=yes");
    if (!options.weightRange.isEmpty())
        lines << QStringLiteral("weight=") + options.weightRange;
    if (options.rankBy == RankBy::Weight)
        lines << QStringLiteral("rank-by=weight");
    if (options.top > 0)
        lines << QStringLiteral("top=%1").arg(options.top);
    if (options.otherAfter > 0)
        lines << QStringLiteral("other-after=%1").arg(options.otherAfter);
    if (!options.classes.empty()) {
        QStringList limits;
        for (double limit : options.classes)
            limits << QString::number(limit);
        lines << QStringLiteral("classes=") + limits.join(QLatin1Char(','));
    }
    if (!options.groupRange.isEmpty())
        lines << QStringLiteral("by=") + options.groupRange;
    return lines.join(QLatin1Char('\n'));
}

ParetoOptions optionsFromText(const QString& text) {
    ParetoOptions options;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        // What another version wrote, or a hand, may be wrong: such a line is left out.
        int count = 0;
        double percent = 0;
        std::vector<double> limits;
        if (key == QLatin1String("header")) {
            options.skipHeader = value == QLatin1String("yes");
        } else if (key == QLatin1String("weight")) {
            options.weightRange = value;
        } else if (key == QLatin1String("rank-by") && value == QLatin1String("weight")) {
            options.rankBy = RankBy::Weight;
        } else if (key == QLatin1String("top") && parseCount({}, value, count).isEmpty()) {
            options.top = count; // the one given last of the two ways to say where Other begins
            options.otherAfter = 0;
        } else if (key == QLatin1String("other-after") &&
                   parsePercent({}, value, percent).isEmpty()) {
            options.otherAfter = percent;
            options.top = 0;
        } else if (key == QLatin1String("classes") && parseClasses(value, limits).isEmpty()) {
            options.classes = limits;
        } else if (key == QLatin1String("by")) {
            options.groupRange = value;
        }
    }
    if (options.rankBy == RankBy::Weight && options.weightRange.isEmpty())
        options.rankBy = RankBy::Count;
    return options;
}

} // namespace analysis
