#pragma once
// The analysis's result as text. The tab-separated text is the result list as the report puts it
// on the clipboard and the batch command prints it: a header line of captions each followed by a
// tab, one line per row, CR LF after each line and once more at the end. The batch's other
// outputs are comma-separated values and JSON. The list's text is made from the result itself
// (ParetoResult), so that a new column or row of the result is a new field of every output.

#include "core/analysis/ParetoColumns.h"
#include "core/analysis/ParetoResult.h"
#include "core/platform/ListViewModel.h"

#include <QByteArray>
#include <QString>

namespace report {

// A field that a spreadsheet would read as a formula (readsAsFormula), or that starts with an
// apostrophe, gets a leading apostrophe, the spreadsheet's mark of text: pasted anywhere, it runs
// nothing, and the paste of the report takes the mark away again. A field holding a tab, a line
// break or beginning with a double quote is then quoted as spreadsheets read quoted
// tab-separated text (inner quotes doubled), so that it stays one field on one line.
// The list as it stands in the window (its order, as the user sorted it):
QString listText(const platform::ListViewModel& list);
// The result in its ranked order, the same text as the list the analysis filled:
QString resultText(const analysis::ParetoResult& result);

// The table the report pastes for a shaped result: its text as above, and with classes a last
// column "Cut-off(%)" holding the A limit on every row, which the chart draws as a line.
QString reportTableText(const analysis::ParetoResult& result);

// The result's rows as comma-separated values (RFC 4180): the captions, then one line per row, CR
// LF after each; a field that reads as a formula gets a leading apostrophe, and a field holding a
// comma, a quote or a line break is quoted.
QString resultCsv(const analysis::ParetoResult& result);

// The result as JSON for programs: {"workbook", "range", "total", "categories": [{"label",
// "count", "share", "cumulative"}]} in the ranked order, shares as fractions from 0 to 1. A shaped
// result adds "header", "total_weight", and per category "weight", "weight_share",
// "weight_cumulative", "class", and "other" (how many categories the row "Other" merges).
QByteArray resultJson(const analysis::ParetoResult& result, const QString& workbook,
                      const QString& range);

// Where a result comes from: one workbook or several ("workbooks" then), the range, and the
// column that groups it.
struct ResultSource {
    QStringList workbooks;
    QString range;
    QString by;
};
QByteArray resultJson(const analysis::ParetoResult& result, const ResultSource& source);

// One result per group: tab-separated or comma-separated, each group's table after a line
// "Group: VALUE"; JSON {"workbook", "range", "by", "groups": [{"group", "total", "categories"}]}.
QString groupsText(const std::vector<analysis::ParetoGroup>& groups);
QString groupsCsv(const std::vector<analysis::ParetoGroup>& groups);
QByteArray groupsJson(const std::vector<analysis::ParetoGroup>& groups, const ResultSource& source);

// Whether a spreadsheet opening or pasting the text would take it as a formula: it starts with
// "=", "+", "-", "@", a tab or a carriage return and is not a plain number (-7 is one).
bool readsAsFormula(const QString& text);

} // namespace report
