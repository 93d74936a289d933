#pragma once
// What a chart object on a worksheet holds, as plain data: its place and size in points, its
// series and axes, fills, labels and the shapes drawn inside it. The object-model wrappers in
// Chart.h change it call by call; a backend that writes files reads it.

#include <QString>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace excel {

// Chart types and positions as the object model numbers them.
constexpr int kColumnClustered = 51;
constexpr int kBarClustered = 57;
constexpr int kLine = 4;
constexpr int kLineMarkers = 65;
constexpr int kPrimaryAxis = 1;
constexpr int kSecondaryAxis = 2;
constexpr int kCategoryAxis = 1;
constexpr int kValueAxis = 2;
constexpr int kLabelPositionAbove = 0;
constexpr int kMarkerNone = -4142; // MarkerStyle

struct FillModel {
    int rgb = -1;       // 0xRRGGBB, -1 when unset
    int themeColor = 0; // 0 when unset; 2 is the theme's first light colour
    double tintAndShade = 0;
    double brightness = 0; // -1 .. 1; below 0 darkens
    double transparency = 0;
    bool isSet() const { return rgb >= 0 || themeColor > 0; }
};

struct SeriesModel {
    QString name;   // as set: a formula such as ="Count(%)"
    QString values; // a reference text such as Sheet!$C$2:$C$9
    QString xValues;
    int chartType = 0; // 0: the chart's own type
    int axisGroup = kPrimaryAxis;
    bool smooth = false;
    bool dataLabels = false;
    int labelPosition = -1; // -1: the chart type's default place
    QString labelNumberFormat;
    FillModel fill;
    bool markers = true; // a line's points are marked
    std::map<int, FillModel> pointFills; // the points' own fills, by point from 0
};

struct AxisModel {
    QString numberFormat;
    std::optional<double> maximum;
    std::optional<double> minimum;
};

struct TextShapeModel {
    int orientation = 1;
    double left = 0, top = 0, width = 0, height = 0; // points, within the chart
    QString text;
    int textRgb = -1;
    QString hyperlink;
};

struct ChartModel {
    int style = 0;
    int chartType = kColumnClustered;
    std::vector<SeriesModel> series;
    int gapWidth = 150;
    bool hasTitle = true;
    std::map<std::pair<int, int>, AxisModel> axes; // (type, group)
    FillModel chartAreaFill;
    std::optional<double> plotAreaHeight; // points
    std::vector<TextShapeModel> shapes;
    QString title;         // the title's text, where the chart has one of its own
    bool hasLegend = true;
    // A chart read from a file that is of a kind not drawn here ("pie chart"): shown as a framed
    // placeholder with its title and kind.
    QString otherKind;

    // The selected part, while the chart is being worked on (not kept in files).
    std::optional<std::pair<int, int>> selectedAxis;
    int selectedShape = -1;
};

// The text a series' name shows: ="Count(%)" names the series Count(%).
inline QString seriesTitle(const QString& name) {
    QString t = name.startsWith(u'=') ? name.mid(1) : name;
    if (t.size() >= 2 && t.startsWith(u'"') && t.endsWith(u'"'))
        t = t.mid(1, t.size() - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
    return t;
}

// A row of the default height, in points: a chart's place counts rows of this height, in the
// file's anchors and on screen, whatever height the rows are drawn at.
inline constexpr double kRowPoints = 15.0;

// A chart object as a shape of its worksheet.
struct ChartShapeModel {
    QString name;
    double left = 0, top = 0, width = 360, height = 216; // points
    FillModel fill;
    int shadowType = 0; // 0: none
    ChartModel chart;
};

} // namespace excel
