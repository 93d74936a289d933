#pragma once
// What a user may ask of a Pareto beyond counting: a header cell, a weight per row, the key that
// ranks, the long tail merged into "Other", A/B/C classes and one analysis per group. Without any
// of them (the defaults) the result is the analysis's own, unchanged.

#include "core/analysis/ParetoResult.h"

#include <QString>
#include <vector>

namespace analysis {

enum class RankBy { Count, Weight };

struct ParetoOptions {
    bool skipHeader = false;  // the range's first cell names it and is not counted
    QString weightRange;      // a column on the same rows; empty: counts only
    RankBy rankBy = RankBy::Count;
    int top = 0;              // keep the first N, merge the rest; 0: not asked
    double otherAfter = 0;    // keep while the share before is below this percent; 0: not asked
    std::vector<double> classes; // the A and B limits in percent, ascending (A alone: the rest
                                 // is B); empty: no classes
    QString groupRange;       // one analysis per distinct value of this column; empty: one

    bool isDefault() const {
        return !skipHeader && weightRange.isEmpty() && rankBy == RankBy::Count && top == 0 &&
               otherAfter == 0 && classes.empty() && groupRange.isEmpty();
    }
    bool mergesOther() const { return top > 0 || otherAfter > 0; }
};

// A sum of weights without the noise of binary fractions (12.8 + 3.1 is 15.9, not
// 15.900000000000002): rounded to 15 significant digits.
double withoutNoise(double sum);

// The label of the row that stands for the merged categories.
QString otherLabel();

// The counted result shaped by the options: weights given (one per category of counted, in its
// order) are added with their shares; the categories ranked by the chosen key (a stable sort: ties
// keep the counted order) with both cumulative shares in that order; the tail merged into a last
// row "Other"; the classes given. A counted result with no weights and default options comes back
// as it went in.
ParetoResult shapeResult(const ParetoResult& counted, const ParetoOptions& options,
                         const std::vector<double>* weights = nullptr);

// The categories ranked by count, the largest first (a stable sort: equal counts keep their
// order), each weight moving with its category; then measured.
void rankByCount(ParetoResult& result, std::vector<double>& weights);

// The shares, both running shares, the totals and the largest count of the rows as they stand.
void measureResult(ParetoResult& result);

// The options' limits read from their text forms, with the sentence for the user when they are
// wrong (empty when they are right).
QString parseClasses(const QString& text, std::vector<double>& classes);
QString parsePercent(const QString& option, const QString& text, double& percent);
QString parseCount(const QString& option, const QString& text, int& count);

// The options as text to keep with a workbook ("header=yes", "weight=D:D", one per line, the
// defaults left out), and back; a line that is not understood is left at the default.
QString optionsText(const ParetoOptions& options);
ParetoOptions optionsFromText(const QString& text);

} // namespace analysis
