#pragma once
// The category table of one analysis: the distinct values of the analysed range, the list of all
// categories with their ticks (IncludedView) and the counted, ranked result list (MainListView).
// The analysis window owns one; the batch command drives the same one without a window.

#include "core/analysis/AnalysisUi.h"
#include "core/analysis/ParetoResult.h"
#include "excel/Application.h"
#include "core/platform/ListViewModel.h"

#include <QLocale>
#include <QStringList>
#include <QVector>
#include <functional>
#include <memory>
#include <optional>

namespace analysis {

// What is wrong with a range the user chose, shown on the window as one of its message labels.
enum class RangeProblem { None, NoValues, AnotherWorkbook, SeveralAreas, ErrorCells };

// The criterion that counts exactly the cells holding label: "~" before each "*", "?" and "~",
// and "=" before a label that begins with a comparison operator or "=".
QString criterionForLabel(const QString& label);

class CategoryTable {
public:
    // The most distinct values one analysis can list.
    static constexpr int kMaxCategories = 32767;
    // From this many distinct values on, the user is asked whether to go on.
    static constexpr int kAskFrom = 150;
    // What the user is told of a range with more distinct values than that.
    static QString tooManyValuesText();

    CategoryTable(std::shared_ptr<excel::Application> app, platform::ListViewModel& included,
                  platform::ListViewModel& main, AnalysisUi& ui);

    // The columns of both lists, as the window sets them up at load.
    void prepareLists();

    // Range steps shared by the window's range input and its pre-fill: the workbook check, the
    // clip to the used range, the check for several areas (range input only) and for formulas
    // that show errors. The clipped range becomes AnalysedRange before the last two checks, as
    // the window writes its address even when they fail.
    RangeProblem takeRange(const excel::Range& range,
                           const std::shared_ptr<excel::Workbook>& source, bool checkAreas);
    // The analysed range's values row by row, first cell included, block after block: a large
    // block is read in slices of rows, the window answering between them, so that no copy of the
    // whole range is held. visit returns false to stop.
    void forEachValue(const std::function<bool(const excel::Variant&)>& visit) const;
    // All of them at once.
    QVector<excel::Variant> flattenedValues() const;

    // The distinct values of the analysed range.
    void CollectUniqueValues();
    // Fills IncludedView. False when the range was refused (too many values) or the user chose
    // not to go on (then the program is ending).
    bool DetectUniqueCategories();
    void CountDiscrete();
    void AddToListView();
    // The window's Refresh: recount the ticked categories, if any.
    void Refresh();
    int tickedCount() const;

    std::optional<excel::Range> AnalysedRange;
    QVector<excel::Variant> UniqueValues;
    int CategoryCount = 0;
    QStringList CountLabels;
    QVector<double> CountValues;
    double TotalCount = 0;
    // The last count as values, ranked as the result list was sorted; what the list shows.
    ParetoResult Result;

private:
    double countOf(const QString& label) const;
    QVector<double> countsOf(const QStringList& labels) const;

    std::shared_ptr<excel::Application> m_app;
    platform::ListViewModel& m_included;
    platform::ListViewModel& m_main;
    AnalysisUi& m_ui;
};

} // namespace analysis
