#include "ui/sheetview/ChartWidget.h"

#include "excel/CellFormat.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QGraphicsSimpleTextItem>
#include <QLineSeries>
#include <QSplineSeries>
#include <QValueAxis>
#include <cmath>

namespace sheetview {

namespace {

// The theme colours of the default theme, as the object model numbers them (1 dark 1, 2 light 1,
// 3 dark 2, 4 light 2, 5 to 10 the accents).
QColor themeColor(int index) {
    static const QRgb colors[] = {0x000000, 0xFFFFFF, 0x44546A, 0xE7E6E6, 0x4472C4,
                                  0xED7D31, 0xA5A5A5, 0xFFC000, 0x5B9BD5, 0x70AD47};
    return index >= 1 && index <= 10 ? QColor(colors[index - 1]) : QColor(Qt::white);
}

// A fill as the file writes it: its colour, its brightness as a change of luminance, and its
// transparency.
QColor colorOf(const excel::FillModel& fill, const QColor& unset) {
    if (!fill.isSet())
        return unset;
    QColor c = fill.rgb >= 0 ? QColor(QRgb(fill.rgb)) : themeColor(fill.themeColor);
    float h = 0, s = 0, l = 0, a = 0;
    c.getHslF(&h, &s, &l, &a);
    if (fill.brightness < 0)
        l = l * float(1 + fill.brightness);
    else if (fill.brightness > 0)
        l = l * float(1 - fill.brightness) + float(fill.brightness);
    return QColor::fromHslF(h, s, l, float(1 - fill.transparency)).toRgb();
}

double numberOf(const excel::Variant& v) {
    return v.isNumber() ? v.number() : (v.isDate() ? v.date().serial : 0.0);
}

// A round upper limit a little above the largest value, as the spreadsheet picks one.
double roundLimit(double largest) {
    if (!(largest > 0))
        return 1;
    const double magnitude = std::pow(10, std::floor(std::log10(largest)));
    for (double step : {1.0, 2.0, 2.5, 5.0, 10.0}) {
        if (largest <= step * magnitude)
            return step * magnitude;
    }
    return 10 * magnitude;
}

} // namespace

ChartWidget::ChartWidget(const excel::ChartShapeModel& shape, const ValuesOf& valuesOf,
                         QWidget* parent)
    : QChartView(parent)
    , m_shape(shape) {
    setObjectName(QStringLiteral("Chart"));
    setRenderHint(QPainter::Antialiasing);
    auto* chart = new QChart;
    chart->legend()->setVisible(true);
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setBackgroundBrush(colorOf(m_shape.fill.isSet() ? m_shape.fill
                                                            : m_shape.chart.chartAreaFill,
                                      Qt::white));
    chart->setBackgroundRoundness(0);
    chart->setMargins(QMargins(6, 6, 6, 6));
    setChart(chart);

    auto* categories = new QBarCategoryAxis;
    chart->addAxis(categories, Qt::AlignBottom);
    double largest[2] = {0, 0};
    std::vector<std::pair<QAbstractSeries*, int>> groups;
    for (const excel::SeriesModel& s : m_shape.chart.series) {
        const std::vector<excel::Variant> values = valuesOf(s.values);
        if (categories->count() == 0) {
            QStringList labels;
            for (const excel::Variant& x : valuesOf(s.xValues))
                labels << x.toString();
            categories->append(labels);
        }
        const int type = s.chartType ? s.chartType : m_shape.chart.chartType;
        const int group = s.axisGroup == excel::kSecondaryAxis ? 1 : 0;
        QAbstractSeries* series = nullptr;
        std::vector<QPointF> points;
        for (size_t i = 0; i < values.size(); ++i) {
            points.emplace_back(double(i), numberOf(values[i]));
            largest[group] = std::max(largest[group], numberOf(values[i]));
        }
        if (type == excel::kLineMarkers) {
            QXYSeries* xy = s.smooth ? static_cast<QXYSeries*>(new QSplineSeries)
                                     : static_cast<QXYSeries*>(new QLineSeries);
            for (const QPointF& p : points)
                xy->append(p);
            xy->setPointsVisible(true);
            QPen pen(colorOf(s.fill, QColor(0xED7D31)));
            pen.setWidthF(2.25);
            xy->setPen(pen);
            xy->setMarkerSize(7);
            xy->setBrush(pen.color());
            if (!m_line)
                m_line = xy;
            series = xy;
        } else {
            auto* set = new QBarSet(excel::seriesTitle(s.name));
            for (const QPointF& p : points)
                set->append(p.y());
            set->setColor(colorOf(s.fill, QColor(0x4472C4)));
            set->setBorderColor(set->color());
            auto* bars = new QBarSeries;
            bars->append(set);
            // The gap between columns is a share of a column's width.
            bars->setBarWidth(1.0 / (1.0 + m_shape.chart.gapWidth / 100.0));
            if (!m_columns)
                m_columns = bars;
            series = bars;
        }
        series->setName(excel::seriesTitle(s.name));
        chart->addSeries(series);
        series->attachAxis(categories);
        groups.emplace_back(series, group);
        if (s.dataLabels) {
            for (const QPointF& p : points) {
                auto* item = new QGraphicsSimpleTextItem(
                    excel::shownText(excel::Variant(p.y()), s.labelNumberFormat), chart);
                QFont font = item->font();
                font.setPointSizeF(8);
                item->setFont(font);
                m_labels.push_back({series, p, true, item});
            }
        }
    }
    for (const auto& [series, group] : groups) {
        if (!m_axes[group])
            addValueAxis(group, largest[group], series);
        else
            series->attachAxis(m_axes[group]);
    }
    for (const excel::TextShapeModel& text : m_shape.chart.shapes) {
        auto* item = new QGraphicsSimpleTextItem(text.text, chart);
        item->setBrush(text.textRgb >= 0 ? QColor(QRgb(text.textRgb)) : QColor(Qt::black));
        item->setPos(text.left * 4 / 3, text.top * 4 / 3);
        item->setData(0, QStringLiteral("shape"));
    }
    connect(chart, &QChart::plotAreaChanged, this, &ChartWidget::placeLabels);
}

void ChartWidget::addValueAxis(int group, double largest, QAbstractSeries* series) {
    const excel::AxisModel model = [&] {
        const auto it = m_shape.chart.axes.find({excel::kValueAxis, group + 1});
        return it != m_shape.chart.axes.end() ? it->second : excel::AxisModel();
    }();
    const double low = model.minimum.value_or(0);
    const double high = model.maximum.value_or(roundLimit(largest));
    // Labels through the axis's number format ("0.0%" shows 0.25 as 25.0%).
    auto* axis = new QCategoryAxis;
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    const double step = (high - low) / 5;
    for (int i = 0; i <= 5; ++i) {
        const double v = low + step * i;
        axis->append(excel::shownText(excel::Variant(v), model.numberFormat), v);
    }
    axis->setRange(low, high);
    chart()->addAxis(axis, group == 1 ? Qt::AlignRight : Qt::AlignLeft);
    series->attachAxis(axis);
    m_axes[group] = axis;
}

QValueAxis* ChartWidget::valueAxis(int group) const {
    return group == excel::kSecondaryAxis ? m_axes[1] : m_axes[0];
}

QStringList ChartWidget::dataLabels() const {
    QStringList out;
    for (const Label& l : m_labels)
        out << l.item->text();
    return out;
}

void ChartWidget::placeLabels() {
    for (const Label& l : m_labels) {
        const QPointF at = chart()->mapToPosition(l.value, l.series);
        const QRectF box = l.item->boundingRect();
        l.item->setPos(at.x() - box.width() / 2, at.y() - box.height() - 3);
    }
}

} // namespace sheetview
