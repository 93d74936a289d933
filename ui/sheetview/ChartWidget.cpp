#include "ui/sheetview/ChartWidget.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>

#include "excel/CellFormat.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QFontMetricsF>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>
#include <QHorizontalBarSeries>
#include <QLineSeries>
#include <QSplineSeries>
#include <algorithm>
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

bool isLine(int type) {
    return type == excel::kLineMarkers || type == excel::kLine;
}

// Pixels a category needs at the least: a label turned upright is a line of text high.
constexpr double kCategoryPixels = 14;

} // namespace

ChartWidget::ChartWidget(const excel::ChartShapeModel& shape, const ValuesOf& valuesOf,
                         QWidget* parent)
    : QChartView(parent)
    , m_shape(shape) {
    setObjectName(QStringLiteral("Chart"));
    setRenderHint(QPainter::Antialiasing);
    setFocusPolicy(Qt::ClickFocus); // a chart clicked takes Ctrl+C
    auto* chart = new QChart;
    const excel::ChartModel& model = m_shape.chart;
    chart->legend()->setVisible(model.hasLegend);
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setBackgroundBrush(colorOf(m_shape.fill.isSet() ? m_shape.fill : model.chartAreaFill,
                                      Qt::white));
    chart->setBackgroundRoundness(0);
    chart->setMargins(QMargins(6, 6, 6, 6));
    if (model.hasTitle && !model.title.isEmpty())
        chart->setTitle(model.title);
    // The view gives up the chart it made itself without deleting it.
    QChart* own = QChartView::chart();
    setChart(chart);
    delete own;
    if (!model.otherKind.isEmpty() || model.series.empty()) {
        showPlaceholder();
        return;
    }

    // The categories, and each series' values; what does not fit the width is summed.
    QStringList labels;
    for (const excel::Variant& x : valuesOf(model.series.front().xValues))
        labels << x.toString();
    std::vector<std::vector<double>> values;
    size_t count = size_t(labels.size());
    for (const excel::SeriesModel& s : model.series) {
        std::vector<double> v;
        for (const excel::Variant& cell : valuesOf(s.values))
            v.push_back(numberOf(cell));
        count = std::max(count, v.size());
        values.push_back(std::move(v));
    }
    while (size_t(labels.size()) < count)
        labels << QString::number(labels.size() + 1);
    const int fit = std::max(2, int((m_shape.width * 4 / 3 - 100) / kCategoryPixels));
    if (int(count) > fit) {
        m_merged = int(count) - fit + 1;
        labels = labels.mid(0, fit - 1);
        labels << QStringLiteral("Other (%1 categories)").arg(m_merged);
        for (std::vector<double>& v : values)
            v.resize(count, 0.0);
        // A Pareto chart's curve is the running sum of its shares: what it climbs over the rest
        // is their share, exactly, where the cells hold the shares rounded (the report's table
        // does; 30,000 shares rounded to 0.0 % would sum to nothing).
        const std::vector<double>* curve = nullptr;
        for (size_t i = 0; i < values.size(); ++i) {
            const std::vector<double>& v = values[i];
            const int type = model.series[i].chartType ? model.series[i].chartType
                                                       : model.chartType;
            if (isLine(type) && std::is_sorted(v.begin(), v.end()) &&
                std::abs(v.back() - 1.0) < 0.01 && v.front() >= 0)
                curve = &v;
        }
        // What the curve climbs over the rest; negative without a curve.
        const double restOfCurve = curve ? curve->back() - (*curve)[size_t(fit - 2)] : -1.0;
        const double curveStart = curve ? curve->front() : 0.0;
        for (size_t i = 0; i < values.size(); ++i) {
            std::vector<double>& v = values[i];
            const int type = model.series[i].chartType ? model.series[i].chartType
                                                       : model.chartType;
            // Bars add up; a line (the cumulative share) keeps where it ends.
            double rest = isLine(type) ? v.back() : 0.0;
            if (!isLine(type)) {
                for (size_t k = size_t(fit - 1); k < count; ++k)
                    rest += v[k];
                // The shares the curve sums (it starts at the first one) take its word.
                if (restOfCurve >= 0 && std::abs(v.front() - curveStart) < 1e-3)
                    rest = std::max(rest, restOfCurve);
            }
            v.resize(size_t(fit - 1));
            v.push_back(rest);
        }
    }
    // Category labels unique, as the axis needs them, and whole.
    for (qsizetype i = 0; i < labels.size(); ++i) {
        while (labels.indexOf(labels[i]) < i)
            labels[i] += QChar(0x200B);
    }
    const bool horizontal =
        std::all_of(model.series.begin(), model.series.end(), [&](const excel::SeriesModel& s) {
            return (s.chartType ? s.chartType : model.chartType) == excel::kBarClustered;
        });
    m_categories = new QBarCategoryAxis;
    m_categories->append(labels);
    m_categories->setTruncateLabels(false);
    chart->addAxis(m_categories, horizontal ? Qt::AlignLeft : Qt::AlignBottom);
    if (!horizontal) {
        // Drawn here, whole: the axis would cut long labels and leave out ones that touch.
        m_categories->setLabelsVisible(false);
        for (const QString& label : labels) {
            auto* item = new QGraphicsSimpleTextItem(label, chart);
            QFont font = item->font();
            font.setPointSizeF(8);
            item->setFont(font);
            item->setData(0, QStringLiteral("category"));
            m_categoryLabels.push_back(item);
        }
    }
    for (size_t i = 0; i < model.series.size(); ++i)
        addSeries(model.series[i], values[i], horizontal);
    for (const auto& [series, group] : m_groups) {
        if (!m_axes[group])
            addValueAxis(group, m_largest[group], series, horizontal);
        else
            series->attachAxis(m_axes[group]);
    }
    for (const excel::TextShapeModel& text : model.shapes) {
        auto* item = new QGraphicsSimpleTextItem(text.text, chart);
        item->setBrush(text.textRgb >= 0 ? QColor(QRgb(text.textRgb)) : QColor(Qt::black));
        item->setPos(text.left * 4 / 3, text.top * 4 / 3);
        item->setData(0, QStringLiteral("shape"));
    }
    connect(chart, &QChart::plotAreaChanged, this, &ChartWidget::layOut);
}

void ChartWidget::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        // The chart as a picture, for a slide or a mail.
        QGuiApplication::clipboard()->setImage(grab().toImage());
        event->accept();
        return;
    }
    QChartView::keyPressEvent(event);
}

void ChartWidget::addSeries(const excel::SeriesModel& s, const std::vector<double>& values,
                            bool horizontal) {
    const excel::ChartModel& model = m_shape.chart;
    const int type = s.chartType ? s.chartType : model.chartType;
    const int group = s.axisGroup == excel::kSecondaryAxis ? 1 : 0;
    QAbstractSeries* series = nullptr;
    for (double v : values)
        m_largest[group] = std::max(m_largest[group], v);
    if (isLine(type) && !horizontal) {
        QXYSeries* xy = s.smooth ? static_cast<QXYSeries*>(new QSplineSeries)
                                 : static_cast<QXYSeries*>(new QLineSeries);
        for (size_t i = 0; i < values.size(); ++i)
            xy->append(double(i), values[i]);
        xy->setPointsVisible(s.markers);
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
        for (double v : values)
            set->append(v);
        set->setColor(colorOf(s.fill, QColor(0x4472C4)));
        set->setBorderColor(set->color());
        // Points of a colour of their own (the vital few, or the rest): drawn as the set's
        // selected bars, which take one colour; points of a third colour keep the set's.
        QList<int> own;
        QColor ownColor;
        for (const auto& [point, fill] : s.pointFills) {
            const QColor c = colorOf(fill, set->color());
            if (point >= set->count() || c == set->color() || (ownColor.isValid() && c != ownColor))
                continue;
            ownColor = c;
            own << point;
        }
        if (!own.isEmpty()) {
            set->setSelectedColor(ownColor);
            set->selectBars(own);
        }
        QAbstractBarSeries* bars = horizontal ? static_cast<QAbstractBarSeries*>(new QHorizontalBarSeries)
                                              : static_cast<QAbstractBarSeries*>(new QBarSeries);
        bars->append(set);
        // The gap between columns is a share of a column's width.
        bars->setBarWidth(1.0 / (1.0 + model.gapWidth / 100.0));
        if (!m_columns)
            m_columns = bars;
        series = bars;
    }
    series->setName(excel::seriesTitle(s.name));
    chart()->addSeries(series);
    series->attachAxis(m_categories);
    m_groups.emplace_back(series, group);
    if (!s.dataLabels)
        return;
    for (size_t i = 0; i < values.size(); ++i) {
        // Above every bar, on a light ground of its own, so that a label over a bar reads.
        auto* ground = new QGraphicsRectItem(chart());
        ground->setPen(Qt::NoPen);
        ground->setBrush(QColor(255, 255, 255, 190));
        ground->setZValue(10);
        auto* item = new QGraphicsSimpleTextItem(
            excel::shownText(excel::Variant(values[i]), s.labelNumberFormat), ground);
        QFont font = item->font();
        font.setPointSizeF(8);
        item->setFont(font);
        ground->setRect(item->boundingRect().adjusted(-1, 0, 1, 0));
        const QPointF at = horizontal ? QPointF(values[i], double(i)) : QPointF(double(i), values[i]);
        m_labels.push_back({series, at, item});
    }
}

void ChartWidget::addValueAxis(int group, double largest, QAbstractSeries* series,
                               bool horizontal) {
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
    const Qt::Alignment side = horizontal ? (group == 1 ? Qt::AlignTop : Qt::AlignBottom)
                                          : (group == 1 ? Qt::AlignRight : Qt::AlignLeft);
    chart()->addAxis(axis, side);
    series->attachAxis(axis);
    m_axes[group] = axis;
}

void ChartWidget::showPlaceholder() {
    const excel::ChartModel& model = m_shape.chart;
    const QString kind = model.otherKind.isEmpty() ? QStringLiteral("chart") : model.otherKind;
    m_placeholder = (model.title.isEmpty() ? QString() : model.title + QLatin1Char('\n')) +
                    QStringLiteral("A %1, which this window does not draw").arg(kind);
    chart()->setBackgroundPen(QPen(QColor(0x80, 0x80, 0x80), 1, Qt::DashLine));
    chart()->legend()->setVisible(false);
    auto* text = new QGraphicsSimpleTextItem(m_placeholder, chart());
    text->setData(0, QStringLiteral("placeholder"));
    const QRectF box = text->boundingRect();
    text->setPos((m_shape.width * 4 / 3 - box.width()) / 2, (m_shape.height * 4 / 3 - box.height()) / 2);
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

QStringList ChartWidget::shownDataLabels() const {
    QStringList out;
    for (const Label& l : m_labels) {
        if (l.item->parentItem()->isVisible())
            out << l.item->text();
    }
    return out;
}

void ChartWidget::layOut() {
    if (m_layingOut)
        return;
    m_layingOut = true;
    QRectF plot = chart()->plotArea();
    // Category labels side by side where they fit, else upright (reading upwards, ending at the
    // axis) as the spreadsheet turns them; the plot gives up the height they need.
    if (!m_categoryLabels.empty()) {
        const QFontMetricsF metrics(m_categoryLabels.front()->font());
        double widest = 0;
        for (const QGraphicsSimpleTextItem* item : m_categoryLabels)
            widest = std::max(widest, metrics.horizontalAdvance(item->text()));
        const double room = plot.width() / double(m_categoryLabels.size());
        const bool upright = widest + 4 > room;
        const double need = (upright ? widest : metrics.height()) + 6;
        const QGraphicsWidget* legend = chart()->legend();
        const double floor = legend->isVisible() ? legend->geometry().top()
                                                 : chart()->size().height() - 6;
        if (floor - plot.bottom() < need - 0.5 && plot.height() > need) {
            plot.setBottom(floor - need);
            chart()->setPlotArea(plot);
            m_layingOut = false;
            QMetaObject::invokeMethod(this, &ChartWidget::layOut, Qt::QueuedConnection);
            return;
        }
        for (size_t i = 0; i < m_categoryLabels.size(); ++i) {
            QGraphicsSimpleTextItem* item = m_categoryLabels[i];
            const double x = plot.left() + room * (double(i) + 0.5);
            const double width = metrics.horizontalAdvance(item->text());
            item->setRotation(upright ? -90 : 0);
            item->setPos(upright ? QPointF(x - metrics.height() / 2, plot.bottom() + 4 + width)
                                 : QPointF(x - width / 2, plot.bottom() + 4));
        }
    }
    // Data labels above their point (beside a horizontal bar), left out where they would cover
    // one already placed or leave the plot.
    std::vector<QRectF> taken;
    const QRectF inside = chart()->plotArea().adjusted(-2, -16, 40, 2);
    for (const Label& l : m_labels) {
        const QPointF at = chart()->mapToPosition(l.value, l.series);
        const QRectF box = l.item->boundingRect();
        const bool sideways = qobject_cast<QHorizontalBarSeries*>(l.series) != nullptr;
        const QPointF place = sideways ? QPointF(at.x() + 3, at.y() - box.height() / 2)
                                       : QPointF(at.x() - box.width() / 2, at.y() - box.height() - 3);
        l.item->parentItem()->setPos(place);
        const QRectF where(place, box.size());
        const bool free = std::none_of(taken.begin(), taken.end(),
                                       [&](const QRectF& r) { return r.intersects(where); });
        const bool shown = free && inside.contains(where);
        l.item->parentItem()->setVisible(shown);
        if (shown)
            taken.push_back(where);
    }
    m_layingOut = false;
}

} // namespace sheetview
