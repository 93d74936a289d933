#include "engines/embedded/xlsx/XlsxChartReader.h"

#include "engines/embedded/xlsx/PackageRelationships.h"
#include "engines/embedded/xlsx/XmlStream.h"
#include "excel/Error.h"

#include <QHash>
#include <QRectF>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

namespace embedded {

namespace {

constexpr double kEmuPerPoint = 12700;

bool is(const pugi::xml_node& node, const char* local) {
    return node.type() == pugi::node_element && std::strcmp(localName(node.name()), local) == 0;
}

QString valOf(const pugi::xml_node& parent, const char* local) {
    return QString::fromUtf8(childNamed(parent, local).attribute("val").value());
}

// A column's width in points, from its width in characters, as the writer measures it.
double columnPoints(const std::map<int, double>& widths, int column) {
    const auto it = widths.find(column);
    const double chars = it == widths.end() ? 9.140625 : it->second;
    return std::trunc((256.0 * chars + std::trunc(128.0 / 7.0)) / 256.0 * 7.0) * 0.75;
}

// A point of the sheet from a cell (counted from 0) and an offset into it (EMU).
QPointF cellPoint(const pugi::xml_node& marker, const std::map<int, double>& widths) {
    const int column = std::clamp(childNamed(marker, "col").text().as_int(), 0, 16383);
    const int row = std::max(0, childNamed(marker, "row").text().as_int());
    double x = 0;
    for (int c = 1; c <= column; ++c)
        x += columnPoints(widths, c);
    return {x + childNamed(marker, "colOff").text().as_llong() / kEmuPerPoint,
            row * excel::kRowPoints + childNamed(marker, "rowOff").text().as_llong() / kEmuPerPoint};
}

QSizeF extentOf(const pugi::xml_node& ext) {
    return {ext.attribute("cx").as_llong() / kEmuPerPoint,
            ext.attribute("cy").as_llong() / kEmuPerPoint};
}

// Where an anchor of the drawing puts its object, in points from the sheet's top-left corner.
std::optional<QRectF> placeOf(const pugi::xml_node& anchor, const std::map<int, double>& widths) {
    if (is(anchor, "twoCellAnchor"))
        return QRectF(cellPoint(childNamed(anchor, "from"), widths),
                      cellPoint(childNamed(anchor, "to"), widths))
            .normalized();
    if (is(anchor, "oneCellAnchor"))
        return QRectF(cellPoint(childNamed(anchor, "from"), widths),
                      extentOf(childNamed(anchor, "ext")));
    if (is(anchor, "absoluteAnchor")) {
        const pugi::xml_node pos = childNamed(anchor, "pos");
        return QRectF(QPointF(pos.attribute("x").as_llong() / kEmuPerPoint,
                              pos.attribute("y").as_llong() / kEmuPerPoint),
                      extentOf(childNamed(anchor, "ext")));
    }
    return std::nullopt;
}

// Every text run below node, one after another.
QString textBelow(const pugi::xml_node& node) {
    QString text;
    for (const pugi::xpath_node& n : node.select_nodes(".//*[local-name()='t']"))
        text += QString::fromUtf8(n.node().text().get());
    return decodeEscapes(text);
}

// The colour of a solid fill (srgbClr, or schemeClr by the object model's theme numbers), with
// a darkening lumMod where one is given.
excel::FillModel fillOf(const pugi::xml_node& solidFill) {
    excel::FillModel fill;
    if (!solidFill)
        return fill;
    if (const pugi::xml_node rgb = childNamed(solidFill, "srgbClr")) {
        bool ok = false;
        const int v = QString::fromUtf8(rgb.attribute("val").value()).toInt(&ok, 16);
        fill.rgb = ok ? v : -1;
    } else if (const pugi::xml_node scheme = childNamed(solidFill, "schemeClr")) {
        static const char* const names[] = {"tx1",     "bg1",     "tx2",     "bg2",
                                            "accent1", "accent2", "accent3", "accent4",
                                            "accent5", "accent6", "hlink",   "folHlink"};
        const QByteArray name = scheme.attribute("val").value();
        for (int i = 0; i < 12; ++i)
            if (name == names[i])
                fill.themeColor = i + 1;
        if (const pugi::xml_node lum = childNamed(scheme, "lumMod"))
            fill.brightness = lum.attribute("val").as_double(100000) / 100000 - 1;
    }
    return fill;
}

// The text a series' name shows, as the object model sets it: ="Count(%)".
QString seriesName(const pugi::xml_node& tx) {
    QString text = QString::fromUtf8(childNamed(tx, "v").text().get());
    if (const pugi::xml_node ref = childNamed(tx, "strRef")) {
        const pugi::xml_node cache = childNamed(ref, "strCache");
        text = QString::fromUtf8(childNamed(childNamed(cache, "pt"), "v").text().get());
    }
    text = decodeEscapes(text);
    return text.isEmpty() ? QString()
                          : QStringLiteral("=\"") + text.replace(u'"', QStringLiteral("\"\"")) +
                                QLatin1Char('"');
}

QString referenceOf(const pugi::xml_node& data) {
    for (const char* kind : {"numRef", "strRef", "multiLvlStrRef"}) {
        if (const pugi::xml_node ref = childNamed(data, kind))
            return decodeEscapes(QString::fromUtf8(childNamed(ref, "f").text().get()));
    }
    return {};
}

excel::SeriesModel seriesOf(const pugi::xml_node& ser, bool line) {
    excel::SeriesModel s;
    s.name = seriesName(childNamed(ser, "tx"));
    s.values = referenceOf(childNamed(ser, "val"));
    s.xValues = referenceOf(childNamed(ser, "cat"));
    const pugi::xml_node shape = childNamed(ser, "spPr");
    s.fill = fillOf(childNamed(line ? childNamed(shape, "ln") : shape, "solidFill"));
    if (line && !s.fill.isSet())
        s.fill = fillOf(childNamed(shape, "solidFill"));
    s.smooth = valOf(ser, "smooth") == QLatin1String("1");
    s.markers = valOf(childNamed(ser, "marker"), "symbol") != QLatin1String("none");
    // Points with fills of their own (a few; a point number beyond any chart's is left out).
    for (const pugi::xml_node& point : ser.children()) {
        if (is(point, "dPt") && s.pointFills.size() < 100000) {
            bool ok = false;
            const int index = valOf(point, "idx").toInt(&ok);
            const excel::FillModel fill = fillOf(childNamed(childNamed(point, "spPr"), "solidFill"));
            if (ok && index >= 0 && index < 1000000 && fill.isSet())
                s.pointFills[index] = fill;
        }
    }
    if (const pugi::xml_node labels = childNamed(ser, "dLbls")) {
        s.dataLabels = valOf(labels, "showVal") == QLatin1String("1") ||
                       valOf(labels, "showVal") == QLatin1String("true");
        s.labelNumberFormat =
            QString::fromUtf8(childNamed(labels, "numFmt").attribute("formatCode").value());
        if (valOf(labels, "dLblPos") == QLatin1String("t"))
            s.labelPosition = excel::kLabelPositionAbove;
    }
    return s;
}

// The kinds of chart the window does not draw, in words.
QString otherKindOf(const char* local) {
    static const std::pair<const char*, const char*> kinds[] = {
        {"pieChart", "pie chart"},         {"pie3DChart", "3-D pie chart"},
        {"doughnutChart", "doughnut chart"}, {"ofPieChart", "pie of pie chart"},
        {"areaChart", "area chart"},       {"area3DChart", "3-D area chart"},
        {"scatterChart", "scatter chart"}, {"bubbleChart", "bubble chart"},
        {"radarChart", "radar chart"},     {"stockChart", "stock chart"},
        {"surfaceChart", "surface chart"}, {"surface3DChart", "3-D surface chart"},
        {"bar3DChart", "3-D bar chart"},   {"line3DChart", "3-D line chart"}};
    for (const auto& [name, words] : kinds) {
        if (std::strcmp(local, name) == 0)
            return QString::fromLatin1(words);
    }
    return {};
}

// A value axis as the model keeps it: its number format (where not taken from the cells) and
// its limits.
excel::AxisModel axisOf(const pugi::xml_node& valAx) {
    excel::AxisModel axis;
    const pugi::xml_node format = childNamed(valAx, "numFmt");
    if (QString::fromUtf8(format.attribute("sourceLinked").value()) != QLatin1String("1"))
        axis.numberFormat = QString::fromUtf8(format.attribute("formatCode").value());
    const pugi::xml_node scaling = childNamed(valAx, "scaling");
    if (const pugi::xml_node max = childNamed(scaling, "max"))
        axis.maximum = max.attribute("val").as_double();
    if (const pugi::xml_node min = childNamed(scaling, "min"))
        axis.minimum = min.attribute("val").as_double();
    return axis;
}

excel::ChartModel chartOf(const pugi::xml_document& doc) {
    excel::ChartModel model;
    const pugi::xml_node chart = childNamed(childNamed(doc, "chartSpace"), "chart");
    const pugi::xml_node title = childNamed(chart, "title");
    model.hasTitle = bool(title) && valOf(chart, "autoTitleDeleted") != QLatin1String("1");
    model.title = model.hasTitle ? textBelow(title) : QString();
    model.hasLegend = bool(childNamed(chart, "legend"));
    const pugi::xml_node plot = childNamed(chart, "plotArea");
    QHash<QString, pugi::xml_node> valueAxes;
    for (const pugi::xml_node& child : plot.children()) {
        if (is(child, "valAx"))
            valueAxes.insert(valOf(child, "axId"), child);
    }
    QString primary; // the value axis of the first group of series
    bool first = true;
    for (const pugi::xml_node& group : plot.children()) {
        if (group.type() != pugi::node_element)
            continue;
        const char* local = localName(group.name());
        const bool bars = is(group, "barChart");
        const bool line = is(group, "lineChart");
        if (!bars && !line) {
            if (model.otherKind.isEmpty())
                model.otherKind = otherKindOf(local);
            continue;
        }
        QString valueAxis;
        for (const pugi::xml_node& id : group.children()) {
            if (is(id, "axId") && valueAxes.contains(QString::fromUtf8(id.attribute("val").value())))
                valueAxis = QString::fromUtf8(id.attribute("val").value());
        }
        if (primary.isEmpty())
            primary = valueAxis;
        const int axisGroup = valueAxis == primary ? excel::kPrimaryAxis : excel::kSecondaryAxis;
        if (valueAxes.contains(valueAxis))
            model.axes[{excel::kValueAxis, axisGroup}] = axisOf(valueAxes.value(valueAxis));
        const int type = bars ? (valOf(group, "barDir") == QLatin1String("bar")
                                     ? excel::kBarClustered
                                     : excel::kColumnClustered)
                              : (valOf(group, "marker") == QLatin1String("0") ? excel::kLine
                                                                              : excel::kLineMarkers);
        if (first)
            model.chartType = type;
        if (bars && childNamed(group, "gapWidth"))
            model.gapWidth = childNamed(group, "gapWidth").attribute("val").as_int(150);
        for (const pugi::xml_node& ser : group.children()) {
            if (!is(ser, "ser"))
                continue;
            excel::SeriesModel s = seriesOf(ser, line);
            s.chartType = type == model.chartType ? 0 : type;
            s.axisGroup = axisGroup;
            model.series.push_back(std::move(s));
        }
        first = false;
    }
    if (model.series.empty() && model.otherKind.isEmpty())
        model.otherKind = QStringLiteral("chart");
    return model;
}

// A text box of the drawing: its place, text, colour and link.
struct TextBox {
    QRectF place;
    excel::TextShapeModel shape;
};

std::optional<TextBox> textBoxOf(const pugi::xml_node& sp, const QRectF& place,
                                 const QHash<QString, Relationship>& rels) {
    const pugi::xml_node body = childNamed(sp, "txBody");
    if (!body)
        return std::nullopt;
    TextBox box{place, {}};
    box.shape.text = textBelow(body);
    const pugi::xml_node color =
        body.select_node(".//*[local-name()='rPr']/*[local-name()='solidFill']/"
                         "*[local-name()='srgbClr']")
            .node();
    bool ok = false;
    const int rgb = QString::fromUtf8(color.attribute("val").value()).toInt(&ok, 16);
    box.shape.textRgb = color && ok ? rgb : -1;
    const pugi::xml_node link =
        childNamed(childNamed(childNamed(sp, "nvSpPr"), "cNvPr"), "hlinkClick");
    for (const pugi::xml_attribute& a : link.attributes()) {
        if (std::strcmp(localName(a.name()), "id") == 0)
            box.shape.hyperlink = rels.value(QString::fromUtf8(a.value())).target;
    }
    return box;
}

} // namespace

std::vector<excel::ChartShapeModel> readSheetCharts(ZipPackage& package, const QString& sheetPart,
                                                    const std::map<int, double>& columnWidths) {
    std::vector<excel::ChartShapeModel> charts;
    const QString drawingPart = findByType(readRelationships(package, sheetPart), "drawing");
    if (drawingPart.isEmpty() || !package.contains(drawingPart))
        return charts;
    const pugi::xml_document drawing = loadPart(package, drawingPart);
    const auto rels = readRelationships(package, drawingPart, true);
    std::vector<TextBox> boxes;
    for (const pugi::xml_node& anchor : childNamed(drawing, "wsDr").children()) {
        const auto place = placeOf(anchor, columnWidths);
        if (!place)
            continue;
        if (const pugi::xml_node sp = childNamed(anchor, "sp")) {
            if (auto box = textBoxOf(sp, *place, rels))
                boxes.push_back(std::move(*box));
            continue;
        }
        const pugi::xml_node frame = childNamed(anchor, "graphicFrame");
        const pugi::xml_node chartRef =
            frame.select_node(".//*[local-name()='chart']").node();
        QString id;
        for (const pugi::xml_attribute& a : chartRef.attributes()) {
            if (std::strcmp(localName(a.name()), "id") == 0)
                id = QString::fromUtf8(a.value());
        }
        const QString chartPart = rels.value(id).target;
        if (id.isEmpty() || !package.contains(chartPart))
            continue;
        excel::ChartShapeModel shape;
        shape.name = QString::fromUtf8(
            childNamed(childNamed(frame, "nvGraphicFramePr"), "cNvPr").attribute("name").value());
        shape.left = place->left();
        shape.top = place->top();
        shape.width = place->width();
        shape.height = place->height();
        try {
            shape.chart = chartOf(loadPart(package, chartPart));
        } catch (const excel::Error&) {
            continue; // a chart that does not read is left out, the workbook is not refused
        }
        charts.push_back(std::move(shape));
    }
    // Text boxes on a chart are drawn with it, at their place within it.
    for (const TextBox& box : boxes) {
        for (excel::ChartShapeModel& chart : charts) {
            const QRectF area(chart.left, chart.top, chart.width, chart.height);
            if (!area.contains(box.place.topLeft()))
                continue;
            excel::TextShapeModel shape = box.shape;
            shape.left = box.place.left() - chart.left;
            shape.top = box.place.top() - chart.top;
            shape.width = box.place.width();
            shape.height = box.place.height();
            chart.chart.shapes.push_back(shape);
            break;
        }
    }
    return charts;
}

} // namespace embedded
