#pragma once
// Reads a comma-separated file (RFC 4180 quoting, UTF-8 with or without a byte-order mark) as a
// workbook of one sheet named after the file. Fields that read as numbers become numbers; every
// other field stays text exactly as written; empty fields are empty cells.

#include "engines/embedded/ReadLimits.h"
#include "engines/embedded/store/WorkbookData.h"

#include <QString>

namespace embedded {

WorkbookData readCsv(const QString& path, const ReadLimits& limits = {});

} // namespace embedded
