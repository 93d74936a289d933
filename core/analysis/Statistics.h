#pragma once
// The weighted mean and standard deviation of numeric categories, from the result list alone:
// each category value counts as many times as it was counted.

#include "core/platform/ListViewModel.h"

#include <QString>
#include <optional>

namespace analysis {

// The caption "n=N, mean=M,  Std=S" for the result list, in the user's locale; none when a
// category other than "<blank>" is not a number, or when there is no numeric data at all.
std::optional<QString> statisticsCaption(const platform::ListViewModel& results);

} // namespace analysis
