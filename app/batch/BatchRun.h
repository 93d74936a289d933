#pragma once
// tallyvane-batch's run: the workbook opened (or the office's document attached), the range
// taken as the window's pre-fill takes it, the categories counted with the exclusions asked for,
// then the highlight and the report through the window's own code, the save, and the output.

#include "app/batch/BatchOptions.h"

#include <QString>

namespace batch {

// Why the run ended before its output, with the exit status: 1 the workbook or range was
// refused or a file could not be saved or written, 2 the arguments did not fit the workbook.
struct Stop {
    QString message;
    int code = 1;
};

// Runs the analysis the options ask for and prints or writes its result. Raises Stop, and
// excel::Error with the sentence for the user.
void runBatch(const Options& options);

} // namespace batch
