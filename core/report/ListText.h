#pragma once
// The result list as tab-separated text, as the report puts it on the clipboard and the batch
// command prints it: a header line of captions each followed by a tab, one line per row, CR LF
// after each line and once more at the end.

#include "core/platform/ListViewModel.h"

#include <QString>

namespace report {

// A field that a spreadsheet would read as a formula (readsAsFormula), or that starts with an
// apostrophe, gets a leading apostrophe, the spreadsheet's mark of text: pasted anywhere, it runs
// nothing, and the paste of the report takes the mark away again. A field holding a tab, a line
// break or beginning with a double quote is then quoted as spreadsheets read quoted
// tab-separated text (inner quotes doubled), so that it stays one field on one line.
QString listText(const platform::ListViewModel& list);

// The same rows as comma-separated values (RFC 4180): the captions, then one line per row, CR LF
// after each; a field that reads as a formula gets a leading apostrophe, and a field holding a
// comma, a quote or a line break is quoted.
QString listCsv(const platform::ListViewModel& list);

// Whether a spreadsheet opening or pasting the text would take it as a formula: it starts with
// "=", "+", "-", "@", a tab or a carriage return and is not a plain number (-7 is one).
bool readsAsFormula(const QString& text);

// The result list as JSON for programs: {"workbook", "range", "total", "categories": [{"label",
// "count", "share", "cumulative"}]} in the list's order, shares as fractions from 0 to 1 (count
// over total, and the running sum of the counts over total).
QByteArray listJson(const platform::ListViewModel& list, const QString& workbook,
                    const QString& range, double total);

} // namespace report
