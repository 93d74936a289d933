#pragma once
// The process-wide references to the attached spreadsheet: the application, the workbook that was
// active when the program attached, and whether attachment succeeded. Start-up sets them; the
// analysis window reads them.

#include "excel/Application.h"

#include <memory>

namespace analysis {

struct ExcelSession {
    std::shared_ptr<excel::Application> ExcelApp;
    std::shared_ptr<excel::Workbook> SourceWorkbook;
    bool LaunchedFromExcel = false;
};

} // namespace analysis
