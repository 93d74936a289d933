#pragma once
// The chart members of the object model over a ChartModel: shapes and chart objects of a sheet,
// the chart with its series, axes, groups and labels, and the fill and colour formats. Every
// wrapper shares the model it changes; selecting a part only records it, as the program relies
// on nothing but the selection of an axis and of a label.

#include "excel/ChartModel.h"

#include <memory>

namespace excel {

class Worksheet;

class ColorFormat {
public:
    explicit ColorFormat(std::shared_ptr<ChartShapeModel> owner, FillModel* fill,
                         int* rgb = nullptr)
        : m_owner(std::move(owner))
        , m_fill(fill)
        , m_rgb(rgb) {}
    void setRGB(int rgb);
    void setObjectThemeColor(int index);
    void setTintAndShade(double value);
    void setBrightness(double value);

private:
    std::shared_ptr<ChartShapeModel> m_owner;
    FillModel* m_fill;
    int* m_rgb; // a plain colour (text), when this is not a fill
};

class FillFormat {
public:
    FillFormat(std::shared_ptr<ChartShapeModel> owner, FillModel* fill)
        : m_owner(std::move(owner))
        , m_fill(fill) {}
    ColorFormat ForeColor() const { return ColorFormat(m_owner, m_fill); }
    void setTransparency(double value);

private:
    std::shared_ptr<ChartShapeModel> m_owner;
    FillModel* m_fill;
};

class DataLabels {
public:
    DataLabels(std::shared_ptr<ChartShapeModel> owner, int series);
    void Select();
    void setPosition(int position);
    void setNumberFormat(const QString& format);

private:
    SeriesModel& model() const;
    std::shared_ptr<ChartShapeModel> m_owner;
    int m_series;
};

// One point of a series (Points(n)): its own fill.
class Point {
public:
    Point(std::shared_ptr<ChartShapeModel> owner, FillModel* fill)
        : m_owner(std::move(owner))
        , m_fill(fill) {}
    // Format.Fill of the point.
    FillFormat Fill() const { return FillFormat(m_owner, m_fill); }

private:
    std::shared_ptr<ChartShapeModel> m_owner;
    FillModel* m_fill;
};

class Series {
public:
    Series(std::shared_ptr<ChartShapeModel> owner, int index);
    void setName(const QString& formula);
    void setValues(const QString& reference);
    void setXValues(const QString& reference);
    void setChartType(int type);
    void setAxisGroup(int group);
    void setSmooth(bool smooth);
    void Select();
    void ApplyDataLabels();
    excel::DataLabels DataLabels() const;
    // Format.Fill of the series.
    FillFormat Fill() const;
    // The index-th point, from 1.
    excel::Point Points(int index) const;
    // MarkerStyle: kMarkerNone leaves a line's points unmarked.
    void setMarkerStyle(int style);

private:
    SeriesModel& model() const;
    std::shared_ptr<ChartShapeModel> m_owner;
    int m_index;
};

class Axis {
public:
    Axis(std::shared_ptr<ChartShapeModel> owner, int type, int group);
    void Select();
    void setTickLabelNumberFormat(const QString& format);
    void setMaximumScale(double value);

private:
    AxisModel& model() const;
    std::shared_ptr<ChartShapeModel> m_owner;
    int m_type;
    int m_group;
};

// A text shape inside a chart (a label).
class TextShape {
public:
    TextShape(std::shared_ptr<ChartShapeModel> owner, int index)
        : m_owner(std::move(owner))
        , m_index(index) {}
    void Select();
    // TextFrame2.TextRange.Characters.Text
    void setText(const QString& text);
    // TextFrame2.TextRange.Font.Fill.ForeColor
    ColorFormat TextColor() const;
    int index() const { return m_index; }

private:
    TextShapeModel& model() const;
    std::shared_ptr<ChartShapeModel> m_owner;
    int m_index;
};

class Chart {
public:
    explicit Chart(std::shared_ptr<ChartShapeModel> owner)
        : m_owner(std::move(owner)) {}

    Series NewSeries(); // SeriesCollection.NewSeries
    Series FullSeriesCollection(int index) const;
    int seriesCount() const { return int(m_owner->chart.series.size()); }
    void selectChartArea();
    void selectPlotArea();
    void setPlotAreaHeight(double points);
    excel::Axis Axes(int type, int group = kPrimaryAxis) const;
    // ChartGroups(index).GapWidth
    void setGapWidth(int group, int width);
    // 0 (or an empty argument) removes the title; other element codes are not offered.
    void SetElement(int element = 0);
    // HasTitle and ChartTitle.Text.
    void setHasTitle(bool has);
    void setTitleText(const QString& text);
    TextShape AddLabel(int orientation, double left, double top, double width, double height);
    // Hyperlinks.Add with Anchor and Address.
    void addHyperlink(const TextShape& anchor, const QString& address);

    // What is selected in the chart, when it is an axis or a text shape.
    std::optional<excel::Axis> selectedAxis() const;
    std::optional<TextShape> selectedShape() const;

    const ChartModel& model() const { return m_owner->chart; }

private:
    std::shared_ptr<ChartShapeModel> m_owner;
};

// A chart object as a shape of its sheet (Shapes(n) and ChartObjects(n) give the same one).
class ChartShape {
public:
    ChartShape(std::shared_ptr<Worksheet> sheet, std::shared_ptr<ChartShapeModel> model)
        : m_sheet(std::move(sheet))
        , m_model(std::move(model)) {}

    // Selecting or activating makes the chart the active chart of the application.
    void Select();
    void Activate() { Select(); }
    void IncrementLeft(double points);
    void IncrementTop(double points);
    // Scales from the top-left corner; other anchors are not offered.
    void ScaleWidth(double factor, int relativeToOriginalSize = 0, int scale = 0);
    void ScaleHeight(double factor, int relativeToOriginalSize = 0, int scale = 0);
    FillFormat Fill() const { return FillFormat(m_model, &m_model->fill); }
    void setShadowType(int type);
    excel::Chart Chart() const { return excel::Chart(m_model); }
    const ChartShapeModel& model() const { return *m_model; }

private:
    std::shared_ptr<Worksheet> m_sheet;
    std::shared_ptr<ChartShapeModel> m_model;
};

} // namespace excel
