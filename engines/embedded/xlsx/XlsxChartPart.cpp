// The drawing and chart parts of a sheet added in this session.
#include "engines/embedded/xlsx/XlsxParts.h"
#include "excel/CellRef.h"

#include <cmath>

namespace embedded {

namespace {

const char* const kRelNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
const char* const kChartNs = "http://schemas.openxmlformats.org/drawingml/2006/chart";
const char* const kDrawingNs = "http://schemas.openxmlformats.org/drawingml/2006/main";
const char* const kSheetDrawingNs =
    "http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing";
const QByteArray kRelTypes = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

constexpr qint64 kEmuPerPoint = 12700;

QByteArray val(const char* element, const QByteArray& value) {
    return QByteArray("<c:") + element + " val=\"" + value + "\"/>";
}

QByteArray rgbHex(int rgb) {
    return QByteArray::number(rgb, 16).rightJustified(6, '0').toUpper();
}

// A column's width in points, from its width in characters (Calibri 11: 7-pixel digits).
double columnPoints(const NewSheetContent& content, int column) {
    const auto it = content.columnWidths.find(column);
    const double chars = it == content.columnWidths.end() ? 9.140625 : it->second;
    const double pixels = std::trunc((256.0 * chars + std::trunc(128.0 / 7.0)) / 256.0 * 7.0);
    return pixels * 0.75;
}

// The cell and offset (EMU) of a point on the sheet.
QByteArray anchorPoint(const char* tag, const NewSheetContent& content, double x, double y) {
    int column = 1;
    double left = 0;
    while (column < excel::kMaxColumns && left + columnPoints(content, column) <= x) {
        left += columnPoints(content, column);
        ++column;
    }
    const int row = int(y / excel::kRowPoints);
    const qint64 colOff = qint64(std::llround((x - left) * kEmuPerPoint));
    const qint64 rowOff = qint64(std::llround((y - row * excel::kRowPoints) * kEmuPerPoint));
    return QByteArray("<xdr:") + tag + "><xdr:col>" + QByteArray::number(column - 1) +
           "</xdr:col><xdr:colOff>" + QByteArray::number(colOff) + "</xdr:colOff><xdr:row>" +
           QByteArray::number(row) + "</xdr:row><xdr:rowOff>" + QByteArray::number(rowOff) +
           "</xdr:rowOff></xdr:" + tag + ">";
}

QByteArray anchor(const NewSheetContent& content, double x, double y, double w, double h) {
    return anchorPoint("from", content, x, y) + anchorPoint("to", content, x + w, y + h);
}

// Light 1, dark 1, ... as the object model numbers theme colours.
const char* themeColorName(int index) {
    static const char* const names[] = {"tx1",     "bg1",     "tx2",     "bg2",
                                        "accent1", "accent2", "accent3", "accent4",
                                        "accent5", "accent6", "hlink",   "folHlink"};
    return index >= 1 && index <= 12 ? names[index - 1] : "bg1";
}

QByteArray solidFill(const excel::FillModel& fill) {
    QByteArray color;
    QByteArray mods;
    if (fill.brightness < 0)
        mods += "<a:lumMod val=\"" +
                QByteArray::number(std::llround((1 + fill.brightness) * 100000)) + "\"/>";
    else if (fill.brightness > 0)
        mods += "<a:lumMod val=\"" +
                QByteArray::number(std::llround((1 - fill.brightness) * 100000)) +
                "\"/><a:lumOff val=\"" +
                QByteArray::number(std::llround(fill.brightness * 100000)) + "\"/>";
    if (fill.transparency > 0)
        mods += "<a:alpha val=\"" +
                QByteArray::number(std::llround((1 - fill.transparency) * 100000)) + "\"/>";
    if (fill.rgb >= 0)
        color = "<a:srgbClr val=\"" + rgbHex(fill.rgb) + "\">" + mods + "</a:srgbClr>";
    else
        color = QByteArray("<a:schemeClr val=\"") + themeColorName(fill.themeColor) + "\">" + mods +
                "</a:schemeClr>";
    return "<a:solidFill>" + color + "</a:solidFill>";
}

QByteArray dataLabels(const excel::SeriesModel& s, bool line) {
    if (!s.dataLabels)
        return {};
    QByteArray x = "<c:dLbls>";
    if (!s.labelNumberFormat.isEmpty())
        x += "<c:numFmt formatCode=\"" + xmlEscape(s.labelNumberFormat) + "\" sourceLinked=\"0\"/>";
    x += "<c:spPr><a:noFill/><a:ln><a:noFill/></a:ln></c:spPr>";
    if (line && s.labelPosition == excel::kLabelPositionAbove)
        x += val("dLblPos", "t");
    x += val("showLegendKey", "0") + val("showVal", "1") + val("showCatName", "0") +
         val("showSerName", "0") + val("showPercent", "0") + val("showBubbleSize", "0");
    return x + "</c:dLbls>";
}

QByteArray reference(const QString& formula, const std::vector<excel::Variant>& values,
                     bool numbers, const QString& formatCode) {
    const QByteArray kind = numbers ? "num" : "str";
    QByteArray x = "<c:" + kind + "Ref><c:f>" + xmlEscape(formula) + "</c:f><c:" + kind + "Cache>";
    if (numbers)
        x += "<c:formatCode>" +
             xmlEscape(formatCode.isEmpty() ? QStringLiteral("General") : formatCode) +
             "</c:formatCode>";
    x += "<c:ptCount val=\"" + QByteArray::number(qsizetype(values.size())) + "\"/>";
    for (size_t i = 0; i < values.size(); ++i) {
        const excel::Variant& v = values[i];
        if (v.isEmpty() || (numbers && !v.isNumber()))
            continue;
        x += "<c:pt idx=\"" + QByteArray::number(qsizetype(i)) + "\"><c:v>" +
             (numbers ? QByteArray::number(v.number(), 'g', 17) : xmlEscape(v.toString())) +
             "</c:v></c:pt>";
    }
    return x + "</c:" + kind + "Cache></c:" + kind + "Ref>";
}

QByteArray series(const excel::SeriesModel& s, int index, bool line,
                  const ReferenceValues& values) {
    QByteArray x =
        "<c:ser>" + val("idx", QByteArray::number(index)) + val("order", QByteArray::number(index));
    x += "<c:tx><c:v>" + xmlEscape(excel::seriesTitle(s.name)) + "</c:v></c:tx>";
    if (line) {
        const QByteArray color = s.fill.isSet()
                                     ? solidFill(s.fill)
                                     : "<a:solidFill><a:srgbClr val=\"ED7D31\"/></a:solidFill>";
        x += "<c:spPr><a:ln w=\"28575\" cap=\"rnd\">" + color + "<a:round/></a:ln></c:spPr>";
        x += s.markers ? "<c:marker><c:symbol val=\"circle\"/><c:size val=\"5\"/><c:spPr>" + color +
                             "</c:spPr></c:marker>"
                       : QByteArray("<c:marker><c:symbol val=\"none\"/></c:marker>");
    } else {
        x += "<c:spPr>" + (s.fill.isSet() ? solidFill(s.fill) : QByteArray()) + "</c:spPr>";
        x += val("invertIfNegative", "0");
        for (const auto& [point, fill] : s.pointFills) {
            if (fill.isSet())
                x += "<c:dPt>" + val("idx", QByteArray::number(point)) +
                     val("invertIfNegative", "0") + val("bubble3D", "0") + "<c:spPr>" +
                     solidFill(fill) + "</c:spPr></c:dPt>";
        }
    }
    x += dataLabels(s, line);
    if (!s.xValues.isEmpty())
        x += "<c:cat>" + reference(s.xValues, values(s.xValues), false, {}) + "</c:cat>";
    x += "<c:val>" + reference(s.values, values(s.values), true, s.labelNumberFormat) + "</c:val>";
    if (line)
        x += val("smooth", s.smooth ? "1" : "0");
    return x + "</c:ser>";
}

QByteArray axisPair(const excel::ChartModel& chart, int group, int catId, int valId) {
    const auto axis = chart.axes.find({excel::kValueAxis, group});
    const excel::AxisModel v = axis == chart.axes.end() ? excel::AxisModel() : axis->second;
    const bool secondary = group == excel::kSecondaryAxis;
    QByteArray x = "<c:catAx>" + val("axId", QByteArray::number(catId)) +
                   "<c:scaling><c:orientation val=\"minMax\"/></c:scaling>" +
                   val("delete", secondary ? "1" : "0") + val("axPos", "b") +
                   "<c:numFmt formatCode=\"General\" sourceLinked=\"1\"/>" +
                   val("majorTickMark", "none") + val("minorTickMark", "none") +
                   val("tickLblPos", "nextTo") + val("crossAx", QByteArray::number(valId)) +
                   val("crosses", "autoZero") + val("auto", "1") + val("lblAlgn", "ctr") +
                   val("lblOffset", "100") + val("noMultiLvlLbl", "0") + "</c:catAx>";
    x += "<c:valAx>" + val("axId", QByteArray::number(valId)) +
         "<c:scaling><c:orientation val=\"minMax\"/>";
    if (v.maximum)
        x += val("max", QByteArray::number(*v.maximum, 'g', 17));
    if (v.minimum || secondary)
        x += val("min", QByteArray::number(v.minimum.value_or(0), 'g', 17));
    x += "</c:scaling>" + val("delete", "0") + val("axPos", secondary ? "r" : "l");
    if (!secondary)
        x += "<c:majorGridlines><c:spPr><a:ln w=\"9525\"><a:solidFill><a:srgbClr "
             "val=\"D9D9D9\"/></a:solidFill></a:ln></c:spPr></c:majorGridlines>";
    x += v.numberFormat.isEmpty()
             ? QByteArray("<c:numFmt formatCode=\"General\" sourceLinked=\"1\"/>")
             : "<c:numFmt formatCode=\"" + xmlEscape(v.numberFormat) + "\" sourceLinked=\"0\"/>";
    x += val("majorTickMark", secondary ? "out" : "none") + val("minorTickMark", "none") +
         val("tickLblPos", "nextTo") + val("crossAx", QByteArray::number(catId)) +
         val("crosses", secondary ? "max" : "autoZero") + val("crossBetween", "between") +
         "</c:valAx>";
    return x;
}

} // namespace

QByteArray chartXml(const excel::ChartShapeModel& shape, const ReferenceValues& values) {
    const excel::ChartModel& chart = shape.chart;
    QByteArray bars, lines;
    bool secondaryLines = false;
    for (size_t i = 0; i < chart.series.size(); ++i) {
        const excel::SeriesModel& s = chart.series[i];
        const int type = s.chartType ? s.chartType : chart.chartType;
        if (type == excel::kLineMarkers) {
            lines += series(s, int(i), true, values);
            secondaryLines = secondaryLines || s.axisGroup == excel::kSecondaryAxis;
        } else {
            bars += series(s, int(i), false, values);
        }
    }
    QByteArray x = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";
    x += QByteArray("<c:chartSpace xmlns:c=\"") + kChartNs + "\" xmlns:a=\"" + kDrawingNs +
         "\" xmlns:r=\"" + kRelNs + "\">";
    x += val("date1904", "0") + val("lang", "en-US") + val("roundedCorners", "0");
    x += "<c:chart>";
    if (chart.hasTitle && !chart.title.isEmpty())
        x += "<c:title><c:tx><c:rich><a:bodyPr/><a:lstStyle/><a:p><a:pPr><a:defRPr sz=\"1400\" "
             "b=\"0\"/></a:pPr><a:r><a:rPr lang=\"en-US\" sz=\"1400\" b=\"0\"/><a:t>" +
             xmlEscape(chart.title) + "</a:t></a:r></a:p></c:rich></c:tx>" + val("overlay", "0") +
             "</c:title>" + val("autoTitleDeleted", "0");
    else if (!chart.hasTitle)
        x += val("autoTitleDeleted", "1");
    x += "<c:plotArea>";
    if (chart.plotAreaHeight && shape.height > 0) {
        const double h = std::min(0.97, *chart.plotAreaHeight / shape.height);
        x += "<c:layout><c:manualLayout><c:xMode val=\"edge\"/><c:yMode val=\"edge\"/>"
             "<c:x val=\"0.015\"/><c:y val=\"0.02\"/><c:w val=\"0.97\"/><c:h val=\"" +
             QByteArray::number(h, 'g', 6) + "\"/></c:manualLayout></c:layout>";
    } else {
        x += "<c:layout/>";
    }
    // Bars on the primary axes (ids 1001/1002); lines on the secondary ones (1003/1004) when
    // they were moved there, else on the primary ones.
    if (!bars.isEmpty())
        x += "<c:barChart>" + val("barDir", "col") + val("grouping", "clustered") +
             val("varyColors", "0") + bars + val("gapWidth", QByteArray::number(chart.gapWidth)) +
             val("axId", "1001") + val("axId", "1002") + "</c:barChart>";
    if (!lines.isEmpty())
        x += "<c:lineChart>" + val("grouping", "standard") + val("varyColors", "0") + lines +
             val("marker", "1") + val("axId", secondaryLines ? "1003" : "1001") +
             val("axId", secondaryLines ? "1004" : "1002") + "</c:lineChart>";
    x += axisPair(chart, excel::kPrimaryAxis, 1001, 1002);
    if (secondaryLines)
        x += axisPair(chart, excel::kSecondaryAxis, 1003, 1004);
    x += "</c:plotArea>";
    x += "<c:legend>" + val("legendPos", "b") + val("overlay", "0") + "</c:legend>";
    x += val("plotVisOnly", "1") + val("dispBlanksAs", "gap") + "</c:chart>";
    x +=
        "<c:spPr>" +
        (shape.fill.isSet() ? solidFill(shape.fill)
                            : QByteArray("<a:solidFill><a:schemeClr val=\"bg1\"/></a:solidFill>")) +
        "<a:ln w=\"9525\"><a:solidFill><a:srgbClr val=\"D9D9D9\"/></a:solidFill></a:ln>";
    if (shape.shadowType > 0)
        x += "<a:effectLst><a:outerShdw blurRad=\"50800\" dist=\"38100\" dir=\"2700000\" "
             "algn=\"tl\" rotWithShape=\"0\"><a:prstClr val=\"black\"><a:alpha val=\"40000\"/>"
             "</a:prstClr></a:outerShdw></a:effectLst>";
    x += "</c:spPr></c:chartSpace>";
    return x;
}

std::vector<PartRelationship> drawingRelationships(const NewSheetContent& content,
                                                   const std::vector<QByteArray>& chartTargets) {
    std::vector<PartRelationship> rels;
    for (size_t k = 0; k < content.charts.size(); ++k)
        rels.push_back(
            {"rId" + QByteArray::number(qsizetype(k + 1)), kRelTypes + "chart", chartTargets[k]});
    int next = int(content.charts.size()) + 1;
    for (const auto& chart : content.charts) {
        for (const auto& label : chart.chart.shapes) {
            if (!label.hyperlink.isEmpty())
                rels.push_back({"rId" + QByteArray::number(next++), kRelTypes + "hyperlink",
                                xmlEscape(label.hyperlink), true});
        }
    }
    return rels;
}

QByteArray drawingXml(const NewSheetContent& content) {
    QByteArray x = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";
    x += QByteArray("<xdr:wsDr xmlns:xdr=\"") + kSheetDrawingNs + "\" xmlns:a=\"" + kDrawingNs +
         "\" xmlns:r=\"" + kRelNs + "\">";
    int id = 2;
    for (size_t k = 0; k < content.charts.size(); ++k) {
        const excel::ChartShapeModel& c = content.charts[k];
        x += "<xdr:twoCellAnchor>" + anchor(content, c.left, c.top, c.width, c.height);
        x += "<xdr:graphicFrame macro=\"\"><xdr:nvGraphicFramePr><xdr:cNvPr id=\"" +
             QByteArray::number(id++) + "\" name=\"" + xmlEscape(c.name) +
             "\"/><xdr:cNvGraphicFramePr/></xdr:nvGraphicFramePr>"
             "<xdr:xfrm><a:off x=\"0\" y=\"0\"/><a:ext cx=\"0\" cy=\"0\"/></xdr:xfrm>"
             "<a:graphic><a:graphicData uri=\"" +
             QByteArray(kChartNs) + "\"><c:chart xmlns:c=\"" + kChartNs + "\" r:id=\"rId" +
             QByteArray::number(qsizetype(k + 1)) +
             "\"/></a:graphicData></a:graphic></xdr:graphicFrame><xdr:clientData/></"
             "xdr:twoCellAnchor>";
    }
    // Labels drawn in a chart go over it, at their place in the chart; their links are the
    // drawing's relationships after the charts'.
    int link = int(content.charts.size()) + 1;
    for (const auto& c : content.charts) {
        for (const auto& label : c.chart.shapes) {
            x += "<xdr:twoCellAnchor>" +
                 anchor(content, c.left + label.left, c.top + label.top, label.width, label.height);
            x += "<xdr:sp macro=\"\" textlink=\"\"><xdr:nvSpPr><xdr:cNvPr id=\"" +
                 QByteArray::number(id) + "\" name=\"TextBox " + QByteArray::number(id - 1) + "\"";
            ++id;
            if (!label.hyperlink.isEmpty())
                x += "><a:hlinkClick r:id=\"rId" + QByteArray::number(link++) + "\"/></xdr:cNvPr>";
            else
                x += "/>";
            x += "<xdr:cNvSpPr txBox=\"1\"/></xdr:nvSpPr><xdr:spPr><a:xfrm><a:off x=\"0\" y=\"0\"/>"
                 "<a:ext cx=\"0\" cy=\"0\"/></a:xfrm><a:prstGeom "
                 "prst=\"rect\"><a:avLst/></a:prstGeom>"
                 "<a:noFill/></xdr:spPr><xdr:txBody><a:bodyPr wrap=\"none\" lIns=\"0\" tIns=\"0\" "
                 "rIns=\"0\" bIns=\"0\" rtlCol=\"0\" anchor=\"t\"/><a:lstStyle/><a:p><a:r>"
                 "<a:rPr lang=\"en-US\" sz=\"900\">";
            if (label.textRgb >= 0)
                x +=
                    "<a:solidFill><a:srgbClr val=\"" + rgbHex(label.textRgb) + "\"/></a:solidFill>";
            x += "<a:latin typeface=\"Calibri\"/></a:rPr><a:t>" + xmlEscape(label.text) +
                 "</a:t></a:r></a:p></xdr:txBody></xdr:sp>"
                 "<xdr:clientData/></xdr:twoCellAnchor>";
        }
    }
    return x + "</xdr:wsDr>";
}

QByteArray relationshipsXml(const std::vector<PartRelationship>& rels) {
    QByteArray x =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    for (const PartRelationship& r : rels) {
        x +=
            "<Relationship Id=\"" + r.id + "\" Type=\"" + r.type + "\" Target=\"" + r.target + "\"";
        if (r.external)
            x += " TargetMode=\"External\"";
        x += "/>";
    }
    return x + "</Relationships>";
}

} // namespace embedded
