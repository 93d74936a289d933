#include "excel/Chart.h"

#include "excel/Error.h"
#include "excel/Worksheet.h"

#include <algorithm>
#include <cmath>

namespace excel {

namespace {

void requireFinite(double value, const char* member) {
    if (!std::isfinite(value))
        throw Error(QString::fromLatin1(member), QStringLiteral("the value is not a number"));
}

} // namespace

void ColorFormat::setRGB(int rgb) {
    if (rgb < 0 || rgb > 0xFFFFFF)
        throw Error(QStringLiteral("RGB"), QStringLiteral("%1 is not a colour").arg(rgb));
    if (m_rgb) {
        *m_rgb = rgb;
        return;
    }
    m_fill->rgb = rgb;
    m_fill->themeColor = 0;
}

void ColorFormat::setObjectThemeColor(int index) {
    if (index < 1 || index > 16 || m_rgb)
        throw Error(QStringLiteral("ObjectThemeColor"),
                    QStringLiteral("%1 is not a theme colour of a fill").arg(index));
    m_fill->themeColor = index;
    m_fill->rgb = -1;
}

void ColorFormat::setTintAndShade(double value) {
    requireFinite(value, "TintAndShade");
    if (value < -1 || value > 1 || m_rgb)
        throw Error(QStringLiteral("TintAndShade"), QStringLiteral("the value must lie in -1..1"));
    m_fill->tintAndShade = value;
}

void ColorFormat::setBrightness(double value) {
    requireFinite(value, "Brightness");
    if (value < -1 || value > 1 || m_rgb)
        throw Error(QStringLiteral("Brightness"), QStringLiteral("the value must lie in -1..1"));
    m_fill->brightness = value;
}

void FillFormat::setTransparency(double value) {
    requireFinite(value, "Transparency");
    if (value < 0 || value > 1)
        throw Error(QStringLiteral("Transparency"), QStringLiteral("the value must lie in 0..1"));
    m_fill->transparency = value;
}

DataLabels::DataLabels(std::shared_ptr<ChartShapeModel> owner, int series)
    : m_owner(std::move(owner))
    , m_series(series) {
    if (!model().dataLabels)
        throw Error(QStringLiteral("DataLabels"),
                    QStringLiteral("series %1 shows no data labels").arg(series + 1));
}

SeriesModel& DataLabels::model() const {
    return m_owner->chart.series.at(size_t(m_series));
}

void DataLabels::Select() {}

void DataLabels::setPosition(int position) {
    // Above (0) is a place only points of a line have; columns take their labels elsewhere.
    const SeriesModel& s = model();
    const int type = s.chartType ? s.chartType : m_owner->chart.chartType;
    if (position == kLabelPositionAbove && type != kLineMarkers)
        throw Error(QStringLiteral("Position"),
                    QStringLiteral("labels above the point are offered for lines only"));
    model().labelPosition = position;
}

void DataLabels::setNumberFormat(const QString& format) {
    model().labelNumberFormat = format;
}

Series::Series(std::shared_ptr<ChartShapeModel> owner, int index)
    : m_owner(std::move(owner))
    , m_index(index) {
    if (index < 0 || size_t(index) >= m_owner->chart.series.size())
        throw Error(QStringLiteral("FullSeriesCollection"),
                    QStringLiteral("there is no series %1; the chart has %2")
                        .arg(index + 1)
                        .arg(m_owner->chart.series.size()));
}

SeriesModel& Series::model() const {
    return m_owner->chart.series[size_t(m_index)];
}

void Series::setName(const QString& formula) {
    model().name = formula;
}

void Series::setValues(const QString& reference) {
    if (!parseReference(reference))
        throw Error(QStringLiteral("Values"),
                    QStringLiteral("\"%1\" is not a cell reference").arg(reference));
    model().values = reference;
}

void Series::setXValues(const QString& reference) {
    if (!parseReference(reference))
        throw Error(QStringLiteral("XValues"),
                    QStringLiteral("\"%1\" is not a cell reference").arg(reference));
    model().xValues = reference;
}

void Series::setChartType(int type) {
    if (type != kColumnClustered && type != kLineMarkers)
        throw Error(QStringLiteral("ChartType"),
                    QStringLiteral("chart type %1 is not offered; clustered columns (51) and "
                                   "lines with markers (65) are")
                        .arg(type));
    model().chartType = type;
}

void Series::setAxisGroup(int group) {
    if (group != kPrimaryAxis && group != kSecondaryAxis)
        throw Error(QStringLiteral("AxisGroup"),
                    QStringLiteral("%1 is not an axis group").arg(group));
    model().axisGroup = group;
}

void Series::setSmooth(bool smooth) {
    model().smooth = smooth;
}

void Series::Select() {
    m_owner->chart.selectedAxis.reset();
    m_owner->chart.selectedShape = -1;
}

void Series::ApplyDataLabels() {
    model().dataLabels = true;
}

DataLabels Series::DataLabels() const {
    return excel::DataLabels(m_owner, m_index);
}

FillFormat Series::Fill() const {
    return FillFormat(m_owner, &model().fill);
}

Point Series::Points(int index) const {
    if (index < 1 || index > 1000000)
        throw Error(QStringLiteral("Points"), QStringLiteral("there is no point %1").arg(index));
    return Point(m_owner, &model().pointFills[index - 1]);
}

void Series::setMarkerStyle(int style) {
    model().markers = style != kMarkerNone;
}

Axis::Axis(std::shared_ptr<ChartShapeModel> owner, int type, int group)
    : m_owner(std::move(owner))
    , m_type(type)
    , m_group(group) {
    if ((type != kCategoryAxis && type != kValueAxis) ||
        (group != kPrimaryAxis && group != kSecondaryAxis))
        throw Error(QStringLiteral("Axes"),
                    QStringLiteral("there is no axis (%1, %2)").arg(type).arg(group));
    const auto& series = m_owner->chart.series;
    const bool used = std::any_of(series.begin(), series.end(),
                                  [&](const SeriesModel& s) { return s.axisGroup == group; });
    if (group == kSecondaryAxis && !used)
        throw Error(QStringLiteral("Axes"),
                    QStringLiteral("the chart has no secondary axis: no series is plotted on it"));
}

AxisModel& Axis::model() const {
    return m_owner->chart.axes[{m_type, m_group}];
}

void Axis::Select() {
    m_owner->chart.selectedAxis = std::make_pair(m_type, m_group);
    m_owner->chart.selectedShape = -1;
}

void Axis::setTickLabelNumberFormat(const QString& format) {
    model().numberFormat = format;
}

void Axis::setMaximumScale(double value) {
    requireFinite(value, "MaximumScale");
    if (m_type != kValueAxis)
        throw Error(QStringLiteral("MaximumScale"),
                    QStringLiteral("a category axis has no maximum"));
    model().maximum = value;
}

TextShapeModel& TextShape::model() const {
    return m_owner->chart.shapes.at(size_t(m_index));
}

void TextShape::Select() {
    m_owner->chart.selectedShape = m_index;
    m_owner->chart.selectedAxis.reset();
}

void TextShape::setText(const QString& text) {
    model().text = text;
}

ColorFormat TextShape::TextColor() const {
    return ColorFormat(m_owner, nullptr, &model().textRgb);
}

Series Chart::NewSeries() {
    m_owner->chart.series.emplace_back();
    return Series(m_owner, int(m_owner->chart.series.size()) - 1);
}

Series Chart::FullSeriesCollection(int index) const {
    return Series(m_owner, index - 1);
}

void Chart::selectChartArea() {
    m_owner->chart.selectedAxis.reset();
    m_owner->chart.selectedShape = -1;
}

void Chart::selectPlotArea() {
    selectChartArea();
}

void Chart::setPlotAreaHeight(double points) {
    requireFinite(points, "Height");
    if (points <= 0)
        throw Error(QStringLiteral("Height"), QStringLiteral("a height must be above 0"));
    // The plot area stays within the chart.
    m_owner->chart.plotAreaHeight = std::min(points, m_owner->height);
}

Axis Chart::Axes(int type, int group) const {
    return excel::Axis(m_owner, type, group);
}

void Chart::setGapWidth(int group, int width) {
    if (group != 1)
        throw Error(QStringLiteral("ChartGroups"),
                    QStringLiteral("there is no chart group %1").arg(group));
    if (width < 0 || width > 500)
        throw Error(QStringLiteral("GapWidth"), QStringLiteral("the gap width must lie in 0..500"));
    m_owner->chart.gapWidth = width;
}

void Chart::setHasTitle(bool has) {
    m_owner->chart.hasTitle = has;
}

void Chart::setTitleText(const QString& text) {
    m_owner->chart.hasTitle = true;
    m_owner->chart.title = text;
}

void Chart::SetElement(int element) {
    if (element != 0)
        throw Error(QStringLiteral("SetElement"),
                    QStringLiteral("element %1 is not offered; 0 (no title) is").arg(element));
    m_owner->chart.hasTitle = false;
}

TextShape Chart::AddLabel(int orientation, double left, double top, double width, double height) {
    for (double v : {left, top, width, height})
        requireFinite(v, "AddLabel");
    if (orientation != 1)
        throw Error(QStringLiteral("AddLabel"),
                    QStringLiteral("only horizontal labels (1) are offered"));
    if (width <= 0 || height <= 0)
        throw Error(QStringLiteral("AddLabel"), QStringLiteral("a label needs a size"));
    // A label asked for beyond the chart's edge is shown at that edge, inside the chart.
    TextShapeModel label;
    label.left = std::clamp(left, 0.0, std::max(0.0, m_owner->width - width));
    label.top = std::clamp(top, 0.0, std::max(0.0, m_owner->height - height));
    label.width = width;
    label.height = height;
    m_owner->chart.shapes.push_back(label);
    return TextShape(m_owner, int(m_owner->chart.shapes.size()) - 1);
}

void Chart::addHyperlink(const TextShape& anchor, const QString& address) {
    if (address.isEmpty())
        throw Error(QStringLiteral("Hyperlinks.Add"), QStringLiteral("the address is empty"));
    m_owner->chart.shapes.at(size_t(anchor.index())).hyperlink = address;
}

std::optional<Axis> Chart::selectedAxis() const {
    const auto& a = m_owner->chart.selectedAxis;
    if (!a)
        return std::nullopt;
    return excel::Axis(m_owner, a->first, a->second);
}

std::optional<TextShape> Chart::selectedShape() const {
    if (m_owner->chart.selectedShape < 0)
        return std::nullopt;
    return TextShape(m_owner, m_owner->chart.selectedShape);
}

void ChartShape::Select() {
    m_sheet->activateChart(m_model);
}

void ChartShape::IncrementLeft(double points) {
    requireFinite(points, "IncrementLeft");
    // A shape cannot leave the sheet at its top or left edge.
    m_model->left = std::max(0.0, m_model->left + points);
}

void ChartShape::IncrementTop(double points) {
    requireFinite(points, "IncrementTop");
    m_model->top = std::max(0.0, m_model->top + points);
}

void ChartShape::ScaleWidth(double factor, int relativeToOriginalSize, int scale) {
    requireFinite(factor, "ScaleWidth");
    if (factor <= 0 || relativeToOriginalSize != 0 || scale != 0)
        throw Error(QStringLiteral("ScaleWidth"),
                    QStringLiteral("only a positive factor of the current size, from the top-left "
                                   "corner, is offered"));
    m_model->width *= factor;
}

void ChartShape::ScaleHeight(double factor, int relativeToOriginalSize, int scale) {
    requireFinite(factor, "ScaleHeight");
    if (factor <= 0 || relativeToOriginalSize != 0 || scale != 0)
        throw Error(QStringLiteral("ScaleHeight"),
                    QStringLiteral("only a positive factor of the current size, from the top-left "
                                   "corner, is offered"));
    m_model->height *= factor;
}

void ChartShape::setShadowType(int type) {
    if (type < 0 || type > 20 + 23)
        throw Error(QStringLiteral("Shadow.Type"),
                    QStringLiteral("%1 is not a shadow type").arg(type));
    m_model->shadowType = type;
}

} // namespace excel
