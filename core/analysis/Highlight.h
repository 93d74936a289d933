#pragma once
// Highlighting a category: one conditional format on the analysed range that fills every cell
// whose text contains the category's label in light yellow; clearing removes the range's
// conditional formats.

#include "excel/Application.h"

#include <QString>
#include <functional>

namespace analysis {

// Raises excel::Error when the spreadsheet refuses a step; the steps before it stay done.
void HighlightCategory(const excel::Range& analysedRange, const QString& label);
void ClearHighlight(const excel::Range& analysedRange);

// Runs one of the two as an action of the window: a completed action is kept by the host; a
// failure gives the message for the user (empty when all went well).
QString runHighlightAction(excel::Application& app, const std::function<void()>& action,
                           const QString& what);

} // namespace analysis
