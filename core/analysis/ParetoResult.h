#pragma once
// The result of one analysis as values: every counted category with its count, its share of the
// total and the cumulative share in the order the analysis ranked them, and the total. The
// result list shows it as text (the forms below); the outputs and the statistics read the values,
// and nothing reads the list's text back as numbers. Room is left for what later options add to
// a category (a weight, a class).

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
};

struct ParetoResult {
    std::vector<ParetoCategory> categories; // ranked: the largest share first
    double total = 0;
    double largest = 0; // the largest count, which the bars are measured against

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

} // namespace analysis
