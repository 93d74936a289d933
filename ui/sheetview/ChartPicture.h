#pragma once
// Charts of a sheet as a picture for a slide or a document: drawn by the chart widget itself, so
// the picture is the chart the workbook window shows, into a PNG, an SVG or a PDF file (by the
// file's extension). Several charts stand in a grid, each at the size asked for.

#include "excel/Workbook.h"
#include "ui/sheetview/ChartWidget.h"

#include <QSize>
#include <QString>
#include <memory>
#include <vector>

namespace sheetview {

// What a chart's series references read in a workbook: a reference without a sheet is on
// sheet (the chart's own).
ChartWidget::ValuesOf valuesIn(const std::shared_ptr<excel::Workbook>& book,
                               const std::shared_ptr<excel::Worksheet>& sheet);

struct ChartToDraw {
    excel::ChartShapeModel shape;
    ChartWidget::ValuesOf valuesOf;
};

// Writes the charts into path, each size pixels (points in a PDF) in a grid of as many columns
// as make it nearly square. Returns the reason it could not, for the user; empty when written.
QString writeChartPicture(const std::vector<ChartToDraw>& charts, const QString& path, QSize size);

} // namespace sheetview
