#include "ui/sheetview/ChartPicture.h"

#include "excel/CellRef.h"
#include "excel/Error.h"
#include "excel/Worksheet.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <cmath>

namespace sheetview {

ChartWidget::ValuesOf valuesIn(const std::shared_ptr<excel::Workbook>& book,
                               const std::shared_ptr<excel::Worksheet>& sheet) {
    return [book, sheet](const QString& reference) {
        std::vector<excel::Variant> out;
        const auto parsed = excel::parseReference(reference);
        if (!parsed)
            return out;
        try {
            const auto on = parsed->sheet.isEmpty() ? sheet : book->Worksheets()(parsed->sheet);
            for (excel::CellRect r : parsed->areas) {
                r.bottom = std::min(r.bottom, r.top + 99999); // a chart shows no more
                excel::VariantArray values(r.rows(), r.columns());
                on->readValues(r, values);
                out.insert(out.end(), values.values().begin(), values.values().end());
            }
        } catch (const excel::Error&) {
            // A series on a sheet that is gone shows nothing.
        }
        return out;
    };
}

namespace {

// Draws each chart into its cell of the grid.
void paintCharts(QPainter& painter, const std::vector<ChartToDraw>& charts, QSize size,
                 int columns) {
    for (size_t i = 0; i < charts.size(); ++i) {
        ChartWidget chart(charts[i].shape, charts[i].valuesOf);
        chart.setAttribute(Qt::WA_DontShowOnScreen);
        chart.resize(size);
        chart.show();
        // The chart lays itself out in steps (the plot area, then the labels placed by it).
        for (int round = 0; round < 4; ++round)
            QCoreApplication::processEvents();
        const QPoint at(int(i % size_t(columns)) * size.width(),
                        int(i / size_t(columns)) * size.height());
        // The view's scene, drawn as shapes and text (vectors in an SVG or a PDF).
        chart.QGraphicsView::render(&painter, QRectF(at, QSizeF(size)), chart.viewport()->rect());
    }
}

} // namespace

QString writeChartPicture(const std::vector<ChartToDraw>& charts, const QString& path, QSize size) {
    if (charts.empty())
        return QStringLiteral("There is no chart to draw.");
    const int columns = int(std::ceil(std::sqrt(double(charts.size()))));
    const int rows = int((charts.size() + size_t(columns) - 1) / size_t(columns));
    const QSize whole(columns * size.width(), rows * size.height());
    const QString suffix = QFileInfo(path).suffix().toLower();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("Could not write the chart into \"%1\": %2.").arg(path, file.errorString());
    if (suffix == QLatin1String("svg")) {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setSize(whole);
        svg.setViewBox(QRect(QPoint(), whole));
        svg.setTitle(QStringLiteral("Pareto chart"));
        QPainter painter(&svg);
        paintCharts(painter, charts, size, columns);
    } else if (suffix == QLatin1String("pdf")) {
        QPdfWriter pdf(&file);
        pdf.setResolution(96);
        pdf.setPageSize(QPageSize(QSizeF(whole) * 72.0 / 96.0, QPageSize::Point));
        pdf.setPageMargins(QMarginsF());
        pdf.setTitle(QStringLiteral("Pareto chart"));
        QPainter painter(&pdf);
        paintCharts(painter, charts, size, columns);
    } else {
        QImage image(whole, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            paintCharts(painter, charts, size, columns);
        }
        if (!image.save(&file, "PNG"))
            return QStringLiteral("Could not write the chart into \"%1\".").arg(path);
    }
    if (!file.commit())
        return QStringLiteral("Could not write the chart into \"%1\": %2.").arg(path, file.errorString());
    return {};
}

} // namespace sheetview
