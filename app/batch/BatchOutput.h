#pragma once
// tallyvane-batch's output: the analysis's result in the format asked for, written to standard
// output or into a file that is replaced whole or not at all.

#include "app/batch/BatchOptions.h"
#include "core/analysis/ParetoColumns.h"
#include "core/report/ListText.h"

#include <QByteArray>
#include <QString>

namespace batch {

// The result as text in the format: tab-separated, comma-separated or JSON (which also names the
// workbook and the analysed range, such as "'Defect log'!C1:C500").
QByteArray formatResult(Format format, const analysis::ParetoResult& result,
                        const report::ResultSource& source);
// One result per group, in the format.
QByteArray formatGroups(Format format, const std::vector<analysis::ParetoGroup>& groups,
                        const report::ResultSource& source);

// Writes the bytes to standard output, or into the file (keeping what it was: owner, mode).
// Raises excel::Error with the sentence for the user when it cannot.
void deliver(const QByteArray& bytes, const QString& file);

} // namespace batch
