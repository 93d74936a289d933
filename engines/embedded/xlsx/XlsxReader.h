#pragma once
// Reads a workbook file (.xlsx) into WorkbookData: small parts through a DOM, sheets and shared
// strings streamed. Every refusal raises excel::Error naming the file and the reason.

#include "engines/embedded/ReadLimits.h"
#include "engines/embedded/store/WorkbookData.h"

#include <QString>

namespace embedded {

WorkbookData readXlsx(const QString& path, const ReadLimits& limits = {});

} // namespace embedded
