#pragma once
// The weighted mean and standard deviation of numeric categories, from the analysis's result:
// each category value counts as many times as it was counted.

#include "core/analysis/ParetoResult.h"

#include <QString>
#include <optional>

namespace analysis {

// The caption "n=N, mean=M,  Std=S" for the result, in the user's locale; none when a category
// other than "<blank>" is not a number (its label read in the user's locale), or when there is
// no numeric data at all.
std::optional<QString> statisticsCaption(const ParetoResult& result);

} // namespace analysis
