#pragma once
// Saves a hosted workbook: every part of the original file that the session did not change is
// copied byte for byte (compressed data included); new sheets, their drawings and charts are
// added; the workbook, its relationships, content types and styles are edited in place; sheets
// whose conditional formats changed are spliced. The file is written to a temporary file beside
// the target and renamed over it, so a failure leaves the original as it was.

#include "engines/embedded/store/WorkbookSnapshot.h"

#include <QString>

namespace embedded {

struct SaveRequest {
    QString sourcePackage;     // the .xlsx the workbook came from; empty to start a new package
    QString target;            // where to write
    bool replaceTarget = true; // false: refuse when the target exists (never overwrite)
    QString fileName;          // for messages
};

// Raises excel::Error (member "Save") with the reason when the workbook cannot be saved.
void saveWorkbook(const WorkbookSnapshot& snapshot, const SaveRequest& request);

// The .xlsx file beside a file of another kind: "data.csv" gives "data.xlsx", or
// "data (2).xlsx" and so on when that name is taken.
QString xlsxBeside(const QString& path);

} // namespace embedded
