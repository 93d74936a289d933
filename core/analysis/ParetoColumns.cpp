#include "core/analysis/ParetoColumns.h"

#include "excel/CellRef.h"
#include "excel/Error.h"
#include "excel/TextForm.h"
#include "excel/Worksheet.h"

#include <algorithm>
#include <map>
#include <unordered_map>

namespace analysis {

namespace {

using FoldedIndex = std::unordered_map<QString, size_t, excel::FoldedTextHash, excel::FoldedTextEqual>;

FoldedIndex indexOf(const ParetoResult& result) {
    FoldedIndex index;
    for (size_t i = 0; i < result.categories.size(); ++i)
        index.emplace(result.categories[i].label, i);
    return index;
}

QString rowsText(const excel::CellRect& r) {
    return QStringLiteral("rows %1 to %2").arg(r.top).arg(r.bottom);
}

} // namespace

std::optional<excel::Range> columnOnRowsOf(excel::Application& app, const QString& reference,
                                           const excel::Range& analysed, const QString& option,
                                           QString& error) {
    std::optional<excel::Range> named;
    try {
        // A column without a sheet is on the analysed range's sheet.
        const auto parsed = excel::parseReference(reference);
        named = parsed && parsed->sheet.isEmpty() && parsed->book.isEmpty()
                    ? analysed.Worksheet()->Range(reference)
                    : app.Range(reference);
    } catch (const excel::Error&) {
        error = QStringLiteral("%1 names no range of this workbook: \"%2\".").arg(option, reference);
        return std::nullopt;
    }
    if (named->Worksheet()->Parent() != analysed.Worksheet()->Parent()) {
        error = QStringLiteral("%1 %2 is in another workbook.").arg(option, reference);
        return std::nullopt;
    }
    const QVector<excel::CellRect>& areas = named->rects();
    if (areas.size() != 1 || areas.front().columns() != 1) {
        error = QStringLiteral("%1 takes one column, such as D:D or D2:D500, not \"%2\".")
                    .arg(option, reference);
        return std::nullopt;
    }
    const excel::CellRect rows = analysed.rects().front();
    const excel::CellRect given = areas.front();
    const bool wholeColumn = given.top == 1 && given.bottom == excel::kMaxRows;
    if (!wholeColumn) {
        const auto clipped = app.Intersect(*named, named->Worksheet()->UsedRange());
        const excel::CellRect mine = clipped ? clipped->rects().front() : given;
        if (!clipped || mine.top != rows.top || mine.bottom != rows.bottom) {
            error = QStringLiteral("%1 %2 is not on the rows of the range analysed (%3); give a "
                                   "column on the same rows, or a whole column such as D:D.")
                        .arg(option, reference, rowsText(rows));
            return std::nullopt;
        }
    }
    return named->Worksheet()->Range(
        excel::formatRect(excel::CellRect{rows.top, given.left, rows.bottom, given.left}, false, false));
}

QVector<excel::Variant> columnValues(const excel::Range& column) {
    const excel::Variant value = column.Value();
    if (!value.isArray())
        return {value};
    const auto& cells = value.array().values();
    return QVector<excel::Variant>(cells.begin(), cells.end());
}

QString categoryLabelOf(const excel::Variant& value, const QLocale& locale) {
    const QString text = value.isText() ? value.text() : excel::textForm(value, locale);
    return text.isEmpty() ? QStringLiteral("<blank>") : text;
}

Weighing weighCategories(const ParetoResult& result, const QVector<excel::Variant>& values,
                         const QVector<excel::Variant>& weights, const excel::Range& weightColumn) {
    Weighing w;
    w.weights.assign(result.categories.size(), 0.0);
    const FoldedIndex index = indexOf(result);
    const QLocale locale;
    const qsizetype rows = std::min(values.size(), weights.size());
    for (qsizetype row = 0; row < rows; ++row) {
        const excel::Variant& weight = weights[row];
        if (weight.isEmpty())
            continue;
        if (!weight.isNumber()) {
            if (w.textCells++ == 0)
                w.firstText = weightColumn.Cells(int(row) + 1, 1).Address(false, false);
            continue;
        }
        const auto found = index.find(categoryLabelOf(values[row], locale));
        if (found != index.end())
            w.weights[found->second] += weight.number();
    }
    for (double& sum : w.weights)
        sum = withoutNoise(sum);
    return w;
}

QString weighingWarning(const Weighing& weighing) {
    if (weighing.textCells == 0)
        return {};
    if (weighing.textCells == 1)
        return QStringLiteral("1 weight cell holds text and counts 0: %1").arg(weighing.firstText);
    return QStringLiteral("%1 weight cells hold text and count 0, the first %2")
        .arg(weighing.textCells)
        .arg(weighing.firstText);
}

std::vector<ParetoGroup> groupResults(const ParetoResult& result,
                                      const QVector<excel::Variant>& values,
                                      const QVector<excel::Variant>& groups,
                                      const QVector<excel::Variant>* weights,
                                      const ParetoOptions& options) {
    const FoldedIndex categoryIndex = indexOf(result);
    const QLocale locale;
    FoldedIndex groupIndex;
    std::vector<ParetoGroup> found;
    std::vector<std::vector<double>> counts, sums;
    const qsizetype rows = std::min(values.size(), groups.size());
    for (qsizetype row = 0; row < rows; ++row) {
        const auto category = categoryIndex.find(categoryLabelOf(values[row], locale));
        if (category == categoryIndex.end())
            continue; // not counted (blank or left out)
        const QString group = categoryLabelOf(groups[row], locale);
        auto [at, added] = groupIndex.emplace(group, found.size());
        if (added) {
            found.push_back({group, {}});
            counts.emplace_back(result.categories.size(), 0.0);
            sums.emplace_back(result.categories.size(), 0.0);
        }
        counts[at->second][category->second] += 1;
        if (weights && row < weights->size() && (*weights)[row].isNumber())
            sums[at->second][category->second] += (*weights)[row].number();
    }
    for (size_t g = 0; g < found.size(); ++g) {
        ParetoResult counted;
        counted.header = result.header;
        counted.group = found[g].name;
        std::vector<double> groupWeights;
        for (size_t c = 0; c < result.categories.size(); ++c) {
            if (counts[g][c] == 0)
                continue;
            ParetoCategory category = result.categories[c];
            category.count = counts[g][c];
            category.merged = 0;
            counted.categories.push_back(std::move(category));
            groupWeights.push_back(withoutNoise(sums[g][c]));
        }
        // Ranked in itself, with its own shares: by count, ties in the whole analysis's order.
        rankByCount(counted, groupWeights);
        ParetoOptions shaping = options;
        shaping.groupRange.clear();
        found[g].result = shapeResult(counted, shaping, weights ? &groupWeights : nullptr);
    }
    std::stable_sort(found.begin(), found.end(), [](const ParetoGroup& a, const ParetoGroup& b) {
        return a.result.total > b.result.total;
    });
    return found;
}

ShapedAnalysis shapeAnalysis(excel::Application& app, const excel::Range& analysed,
                             const ParetoResult& counted, const ParetoOptions& options) {
    ShapedAnalysis out;
    ParetoResult result = counted;
    const excel::CellRect block = analysed.rects().front();
    int skip = 0;
    if (options.skipHeader && block.rows() > 1) {
        skip = 1;
        result.header = excel::textForm(analysed.Cells(1, 1).Value());
        const QString label = categoryLabelOf(analysed.Cells(1, 1).Value());
        for (auto it = result.categories.begin(); it != result.categories.end(); ++it) {
            if (excel::FoldedTextEqual()(it->label, label)) {
                if (--it->count <= 0)
                    result.categories.erase(it);
                break;
            }
        }
        measureResult(result);
    }
    // The columns beside are read on the rows below the header.
    const auto rowsOf = [&](const excel::Range& column) {
        return skip ? column.Offset(1, 0).Resize(block.rows() - 1, 1) : column;
    };
    const QVector<excel::Variant> values = options.weightRange.isEmpty() &&
                                                   options.groupRange.isEmpty()
                                               ? QVector<excel::Variant>()
                                               : columnValues(rowsOf(analysed.Resize(block.rows(), 1)));
    std::vector<double> weights;
    QVector<excel::Variant> weightValues;
    if (!options.weightRange.isEmpty()) {
        const auto column = columnOnRowsOf(app, options.weightRange, analysed,
                                           QStringLiteral("The weight column"), out.error);
        if (!column)
            return out;
        const excel::Range below = rowsOf(*column);
        weightValues = columnValues(below);
        const Weighing w = weighCategories(result, values, weightValues, below);
        out.warning = weighingWarning(w);
        weights = w.weights;
    }
    if (!options.groupRange.isEmpty()) {
        const auto column = columnOnRowsOf(app, options.groupRange, analysed,
                                           QStringLiteral("The group column"), out.error);
        if (!column)
            return out;
        out.groups = groupResults(result, values, columnValues(rowsOf(*column)),
                                  options.weightRange.isEmpty() ? nullptr : &weightValues, options);
    }
    out.result = shapeResult(result, options, options.weightRange.isEmpty() ? nullptr : &weights);
    return out;
}

namespace {

const QString kOptionsSetting = QStringLiteral("Tallyvane Pareto options");

} // namespace

ParetoOptions sessionOptions(const excel::Workbook& workbook) {
    return optionsFromText(workbook.programSetting(kOptionsSetting));
}

void setSessionOptions(excel::Workbook& workbook, const ParetoOptions& options) {
    workbook.setProgramSetting(kOptionsSetting, optionsText(options));
}

} // namespace analysis
