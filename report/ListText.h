#pragma once
// The result list as tab-separated text, as the report puts it on the clipboard and the batch
// command prints it: a header line of captions each followed by a tab, one line per row, CR LF
// after each line and once more at the end.

#include "platform/ListViewModel.h"

#include <QString>

namespace report {

// A field holding a tab, a line break or beginning with a double quote or "=" is quoted as
// spreadsheets read quoted tab-separated text (inner quotes doubled), so that it stays one field
// on one line and a paste keeps it as text rather than reading a formula.
QString listText(const platform::ListViewModel& list);

} // namespace report
