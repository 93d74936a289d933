#pragma once
// What a hosted workbook holds after the last completed action, as the writer needs it: every
// sheet in tab order (new sheets with a copy of their content, sheets from the file with their
// conditional formats when those were touched) and the workbook's defined names.

#include "engines/embedded/store/CellStore.h"
#include "engines/embedded/store/WorkbookData.h"
#include "excel/CellFormat.h"
#include "excel/ChartModel.h"
#include "excel/Worksheet.h"

#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace embedded {

struct NewSheetContent {
    std::shared_ptr<const CellStore> cells;
    std::map<std::pair<int, int>, excel::CellFormat> formats;
    excel::CellFormat sheetFormat;
    std::map<int, double> columnWidths;
    std::vector<excel::ChartShapeModel> charts;
    bool rightToLeft = false;
};

struct SheetSnapshot {
    QString name;
    QString partName; // where the sheet is in the file; empty for a sheet added in this session
    std::optional<NewSheetContent> content; // sheets added in this session
    // For sheets from the file: whether their conditional formats differ from the file's.
    bool rulesChanged = false;
    std::vector<excel::ConditionalFormat> rules;
    std::vector<StoredRule> storedRules;
};

struct WorkbookSnapshot {
    std::vector<SheetSnapshot> sheets;
    // Workbook-level names: name and formula.
    std::vector<std::pair<QString, QString>> names;
    // Anything to write at all.
    bool changed = false;
};

} // namespace embedded
