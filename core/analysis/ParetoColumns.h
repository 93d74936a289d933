#pragma once
// The columns a Pareto reads beside the analysed one: a weight per row and a group per row, taken
// on the analysed range's rows, and what the analysis makes of them: each category's weight, and
// one ranked result per group.

#include "core/analysis/ParetoOptions.h"
#include "excel/Application.h"
#include "excel/Workbook.h"

#include <QLocale>
#include <QString>
#include <QVector>
#include <optional>
#include <vector>

namespace analysis {

// The cells of the column that reference names on the rows of analysed: a whole column (D:D)
// gives those rows of it; a column with rows must, clipped to its sheet's used range as the
// analysed range is, have the same rows. error says, in the user's words, why not (option names
// the option: "--weight").
std::optional<excel::Range> columnOnRowsOf(excel::Application& app, const QString& reference,
                                           const excel::Range& analysed, const QString& option,
                                           QString& error);

// A column's values from top to bottom.
QVector<excel::Variant> columnValues(const excel::Range& column);

// The category a cell is counted under, as the analysis names it ("<blank>" for an empty cell).
QString categoryLabelOf(const excel::Variant& value, const QLocale& locale = QLocale());

struct Weighing {
    std::vector<double> weights; // per category of the result, in its order
    int textCells = 0;           // weight cells holding text (or anything but a number)
    QString firstText;           // the first of them, "D1"
};

// Each category's weight: the sum of the numbers beside its cells; a blank counts 0, and so does
// text, which is counted. values and weights are the analysed column's and the weight column's.
Weighing weighCategories(const ParetoResult& result, const QVector<excel::Variant>& values,
                         const QVector<excel::Variant>& weights, const excel::Range& weightColumn);

// What the user is told of weight cells that hold text: "3 weight cells hold text and count 0,
// the first D1"; empty when there are none.
QString weighingWarning(const Weighing& weighing);

struct ParetoGroup {
    QString name; // the group's value as first seen
    ParetoResult result;
};

// One result per distinct value of groups (told apart as categories are), each holding the
// categories of result counted over the group's rows alone (those with none left out), ranked
// and shaped in itself by options; the groups in descending order of their totals (ties in the
// order first seen). weights, when given, are the weight column's values.
std::vector<ParetoGroup> groupResults(const ParetoResult& result,
                                      const QVector<excel::Variant>& values,
                                      const QVector<excel::Variant>& groups,
                                      const QVector<excel::Variant>* weights,
                                      const ParetoOptions& options);

// The counted result of an analysed range shaped by the options, as a window's report takes it:
// with a header, the first cell's text names the result and its one count is taken from its
// category (the range was counted with it); the weight column is read on the rows below it. The
// group column gives one result per group, each ranked in itself. error says why not, in the
// user's words; warning what the user should know (weight cells holding text).
struct ShapedAnalysis {
    ParetoResult result;
    std::vector<ParetoGroup> groups; // with a group column
    QString warning;
    QString error;
};
ShapedAnalysis shapeAnalysis(excel::Application& app, const excel::Range& analysed,
                             const ParetoResult& counted, const ParetoOptions& options);

// The options chosen for a workbook, kept with it while it is open (in the document itself
// where its host keeps such texts, so that the next start of this program finds them); the
// defaults for one not yet given any.
ParetoOptions sessionOptions(const excel::Workbook& workbook);
void setSessionOptions(excel::Workbook& workbook, const ParetoOptions& options);

} // namespace analysis
