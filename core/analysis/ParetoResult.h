#pragma once
// The result of one analysis as values: every counted category with its count, its share of the
// total and the cumulative share in the order the analysis ranked them, and the total. The
// result list shows it as text (the forms below); the outputs and the statistics read the values,
// and nothing reads the list's text back as numbers. The Pareto options add to a category its
// weight and class, and a last row for the merged tail (ParetoOptions.h).

#include <QLocale>
#include <QString>
#include <QStringList>
#include <vector>

namespace analysis {

struct ParetoCategory {
    QString label;         // as the list shows it; "<blank>" for the empty cells
    QString key;           // the key of its row in the result list ("K3")
    double count = 0;
    double share = 0;      // of the total, from 0 to 1
    double cumulative = 0; // the shares up to and with this one, in the ranked order
    // With weights: the sum of the weights of its rows, its share of the total weight and the
    // cumulative weight share in the ranked order.
    double weight = 0;
    double weightShare = 0;
    double weightCumulative = 0;
    QString rankClass = {}; // "A", "B" or "C" with classes; empty without
    int merged = 0;    // the row "Other": how many categories it stands for; 0 for the others
};

struct ParetoResult {
    std::vector<ParetoCategory> categories; // ranked: the largest share first
    double total = 0;
    double largest = 0; // the largest count, which the bars are measured against
    bool weighted = false;
    double totalWeight = 0;
    bool classed = false;
    double cutOff = 0; // with classes: the A limit, as a fraction
    bool rankedByWeight = false; // the order, classes and "Other" follow the weights
    QString header; // the range's header cell, when it has one
    QString group;  // the group it is the Pareto of, with a group column

    bool empty() const { return categories.empty(); }
};

// The captions of the result list, its columns in order.
QStringList resultCaptions();

// The list's text forms. A count as a whole number; a share as "0.0%" (one decimal and a percent
// sign, the locale's decimal separator, halves rounded away from zero); the bar of up to 30 stars
// in proportion to the largest count.
QString countText(double count);
QString formatPercent(double fraction, const QLocale& locale = QLocale());
QString barText(double count, double largest);
// The five texts of a category's row, in the list's column order.
QStringList rowTexts(const ParetoCategory& category, double largest,
                     const QLocale& locale = QLocale());

// The captions and a row's texts of a shaped result: the list's five, then Weight, Weight(%) and
// Cum weight(%) when it is weighted, and Class when it has classes.
QStringList resultCaptions(const ParetoResult& result);
QStringList rowTexts(const ParetoResult& result, const ParetoCategory& category,
                     const QLocale& locale = QLocale());
// A weight as plainly written: its shortest exact form, the locale's decimal separator, no
// grouping.
QString weightText(double weight, const QLocale& locale = QLocale());

} // namespace analysis
