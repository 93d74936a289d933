#pragma once
// The charts a worksheet holds, as the object model's chart shapes: each chart frame of the
// sheet's drawing, placed where its anchor says, with its chart part read (bar, column and line
// charts: series and their references, axis groups, number formats and limits, fills, markers,
// data labels; the title and the legend). The drawing's text boxes that lie on a chart become
// the chart's text shapes (the report's signature). A chart of another kind is kept with its
// kind and title, to be shown as a placeholder; a chart part that does not read is left out,
// never a reason to refuse the workbook.

#include "engines/embedded/xlsx/ZipPackage.h"
#include "excel/ChartModel.h"

#include <QString>
#include <map>
#include <vector>

namespace embedded {

// The charts of the worksheet part; column widths (in characters) place the anchors.
std::vector<excel::ChartShapeModel> readSheetCharts(ZipPackage& package, const QString& sheetPart,
                                                    const std::map<int, double>& columnWidths);

} // namespace embedded
