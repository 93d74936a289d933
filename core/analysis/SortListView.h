#pragma once
// Orders a list control by one column as text, as numbers or as dates. The list control compares
// texts only, so numbers and dates are rewritten into texts whose text order is their order, the
// list is sorted, and the column is written back.

#include "core/analysis/AnalysisUi.h"
#include "core/platform/ListViewModel.h"

namespace analysis {

enum ListSortType { TextSort = 0, NumberSort = 1, DateSort = 2 };

// column counts from 1 (1 = the rows' own text); order 0 ascending, 1 descending, any other value
// leaves the list's order as it is. Returns false when an error ended the sort, after telling the
// user through ui ("ERROR IN SORT ROUTINE:"); the list is visible again either way.
bool SortByColumn(platform::ListViewModel& list, int column, int order, int sortType,
                  AnalysisUi& ui);

// Sets the order (0 or 1; others leave it) and the zero-based sort key, and switches the list's
// sorted mode on, which sorts it at once.
void ApplySort(platform::ListViewModel& list, int order, int sortKey);

} // namespace analysis
