// The charts of the object model as the office's own charts: at the end of each action a chart
// that is new or changed is made again in the document from its model (series from the cells
// they refer to, columns and lines, the secondary axis, data labels, colours, place and size).

#include "engines/uno/UnoWorkbook.h"
#include "engines/uno/UnoWorksheet.h"

#include <com/sun/star/util/XModifiable.hpp>
#include <com/sun/star/text/XTextCursor.hpp>
#include <com/sun/star/text/XTextContent.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/drawing/XShape.hpp>
#include <com/sun/star/drawing/XDrawPageSupplier.hpp>
#include <com/sun/star/awt/Point.hpp>
#include <com/sun/star/awt/Rectangle.hpp>
#include <com/sun/star/awt/Size.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/chart/ChartAxisAssign.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/chart/ChartDataCaption.hpp>
#include <com/sun/star/chart/ChartSymbolType.hpp>
#include <com/sun/star/chart/XAxisYSupplier.hpp>
#include <com/sun/star/chart/XChartDocument.hpp>
#include <com/sun/star/chart/XDiagram.hpp>
#include <com/sun/star/chart/XTwoAxisYSupplier.hpp>
#include <com/sun/star/document/XEmbeddedObjectSupplier.hpp>
#include <com/sun/star/lang/Locale.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/table/XTableChart.hpp>
#include <com/sun/star/table/XTableCharts.hpp>
#include <com/sun/star/table/XTableChartsSupplier.hpp>
#include <com/sun/star/util/XNumberFormats.hpp>
#include <com/sun/star/util/XNumberFormatsSupplier.hpp>

#include <cmath>

namespace uno {

namespace {

constexpr double kMm100PerPoint = 2540.0 / 72.0;

sal_Int32 mm100(double points) {
    return sal_Int32(std::lround(points * kMm100PerPoint));
}

// What a chart shows, as text: a chart whose text changed is made again.
QString fingerprint(const excel::ChartShapeModel& shape) {
    QString f = QStringLiteral("%1|%2|%3|%4|%5|%6|%7|")
                    .arg(shape.name)
                    .arg(shape.left)
                    .arg(shape.top)
                    .arg(shape.width)
                    .arg(shape.height)
                    .arg(shape.chart.chartType)
                    .arg(shape.chart.hasTitle);
    for (const auto& s : shape.chart.series)
        f += QStringLiteral("%1;%2;%3;%4;%5;%6;%7;%8;%9|")
                 .arg(s.name, s.values, s.xValues)
                 .arg(s.chartType)
                 .arg(s.axisGroup)
                 .arg(s.smooth)
                 .arg(s.dataLabels)
                 .arg(s.labelNumberFormat)
                 .arg(s.fill.rgb) +
             QStringLiteral("%1;").arg(s.markers);
    for (const auto& s : shape.chart.series)
        for (const auto& [point, fill] : s.pointFills)
            f += QStringLiteral("%1:%2;").arg(point).arg(fill.rgb);
    f += shape.chart.title + QLatin1Char('|');
    for (const auto& t : shape.chart.shapes)
        f += QStringLiteral("%1;%2;%3;%4;%5;%6;%7|")
                 .arg(t.left)
                 .arg(t.top)
                 .arg(t.width)
                 .arg(t.height)
                 .arg(t.text, t.hyperlink)
                 .arg(t.textRgb);
    for (const auto& [key, axis] : shape.chart.axes)
        f += QStringLiteral("%1.%2:%3:%4:%5|")
                 .arg(key.first)
                 .arg(key.second)
                 .arg(axis.numberFormat)
                 .arg(axis.maximum.value_or(-1e300))
                 .arg(axis.minimum.value_or(-1e300));
    return f;
}

sal_Int32 formatKey(const Reference<css::chart::XChartDocument>& chart, const QString& code) {
    const auto formats =
        Reference<css::util::XNumberFormatsSupplier>(chart, UNO_QUERY_THROW)->getNumberFormats();
    const css::lang::Locale plain;
    const rtl::OUString text = toOffice(code);
    sal_Int32 key = formats->queryKey(text, plain, false);
    return key >= 0 ? key : formats->addNew(text, plain);
}

void setNumberFormat(const Reference<css::beans::XPropertySet>& props,
                     const Reference<css::chart::XChartDocument>& chart, const QString& code) {
    if (code.isEmpty())
        return;
    props->setPropertyValue("LinkNumberFormatToSource", Any(false));
    props->setPropertyValue("NumberFormat", Any(formatKey(chart, code)));
}

// The text shapes drawn inside the chart (the signature with its link), on the chart's own page
// of shapes, in the chart's coordinates. A chart of an office that takes no shapes keeps none.
void addTextShapes(const Reference<css::chart::XChartDocument>& chart,
                   const std::vector<excel::TextShapeModel>& shapes) {
    const Reference<css::drawing::XDrawPageSupplier> pages(chart, UNO_QUERY);
    const Reference<css::lang::XMultiServiceFactory> factory(chart, UNO_QUERY);
    if (shapes.empty() || !pages.is() || !factory.is())
        return;
    // The chart's page of shapes: the interface is marked as old, but a chart has no other.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const auto page = pages->getDrawPage();
#pragma GCC diagnostic pop
    for (const auto& label : shapes) {
        const Reference<css::drawing::XShape> text(
            factory->createInstance("com.sun.star.drawing.TextShape"), UNO_QUERY);
        if (!text.is() || !page.is())
            return;
        page->add(text);
        text->setPosition(css::awt::Point(mm100(label.left), mm100(label.top)));
        text->setSize(css::awt::Size(mm100(label.width), mm100(label.height)));
        const Reference<css::text::XText> body(text, UNO_QUERY_THROW);
        Reference<css::text::XTextContent> link;
        if (!label.hyperlink.isEmpty()) {
            link.set(factory->createInstance("com.sun.star.text.TextField.URL"), UNO_QUERY);
            if (link.is()) {
                const Reference<css::beans::XPropertySet> field(link, UNO_QUERY_THROW);
                field->setPropertyValue("URL", Any(toOffice(label.hyperlink)));
                field->setPropertyValue("Representation", Any(toOffice(label.text)));
            }
        }
        if (link.is())
            body->insertTextContent(body->getEnd(), link, false);
        else
            body->setString(toOffice(label.text));
        if (label.textRgb >= 0) {
            const Reference<css::beans::XPropertySet> cursor(body->createTextCursorByRange(body->getStart()), UNO_QUERY);
            Reference<css::text::XTextCursor>(cursor, UNO_QUERY_THROW)->gotoEnd(true);
            cursor->setPropertyValue("CharColor", Any(sal_Int32(label.textRgb)));
        }
    }
    // The sheet shows the chart from a picture of it, made again when the chart says it changed.
    const Reference<css::util::XModifiable> modified(chart, UNO_QUERY);
    if (modified.is())
        modified->setModified(true);
}

} // namespace

void UnoWorksheet::putChartsIntoDocument() {
    if (charts().empty() && m_chartsPlaced.empty())
        return;
    guarded(*m_connection, "Chart", [&] {
        const auto tableCharts =
            Reference<css::table::XTableChartsSupplier>(m_sheet, UNO_QUERY_THROW)->getCharts();
        for (const auto& shape : charts()) {
            const QString print = fingerprint(*shape);
            if (m_chartsPlaced.value(shape->name) == print)
                continue;
            placeChart(tableCharts, *shape);
            m_chartsPlaced.insert(shape->name, print);
        }
    });
}

rtl::OUString UnoWorksheet::officeChartName(const QString& name) {
    if (const auto known = m_chartNames.constFind(name); known != m_chartNames.constEnd())
        return *known;
    // The chart's own name where no sheet of the document has a chart of that name, else with
    // the sheet's name, numbered if need be.
    const auto sheets = book("Chart")->document()->getSheets();
    const Reference<css::container::XIndexAccess> all(sheets, UNO_QUERY_THROW);
    const auto taken = [&](const rtl::OUString& candidate) {
        for (sal_Int32 i = 0; i < all->getCount(); ++i) {
            const Reference<css::table::XTableChartsSupplier> sheet(all->getByIndex(i),
                                                                    UNO_QUERY_THROW);
            if (sheet->getCharts()->hasByName(candidate))
                return true;
        }
        return false;
    };
    rtl::OUString candidate = toOffice(name);
    const QString sheetName =
        fromOffice(Reference<css::container::XNamed>(m_sheet, UNO_QUERY_THROW)->getName());
    for (int n = 1; taken(candidate); ++n)
        candidate = toOffice(n == 1 ? QStringLiteral("%1 %2").arg(sheetName, name)
                                    : QStringLiteral("%1 %2 (%3)").arg(sheetName, name).arg(n));
    m_chartNames.insert(name, candidate);
    return candidate;
}

void UnoWorksheet::placeChart(const Reference<css::table::XTableCharts>& tableCharts,
                              const excel::ChartShapeModel& shape) {
    const rtl::OUString name = officeChartName(shape.name);
    if (tableCharts->hasByName(name))
        tableCharts->removeByName(name);
    const auto& series = shape.chart.series;
    if (series.empty())
        return; // a chart without data shows nothing; the office makes none
    // Categories first, then each series' values, each with the header cell above it: the
    // office takes the names from the first row and the categories from the first column.
    const sal_Int16 index = book("Chart")->indexOf(m_sheet);
    std::vector<css::table::CellRangeAddress> ranges;
    const auto add = [&](const QString& reference) {
        const auto parsed = excel::parseReference(reference);
        if (!parsed || parsed->areas.isEmpty())
            return;
        excel::CellRect r = parsed->areas.front();
        r.top = std::max(1, r.top - 1);
        ranges.push_back(addressOf(r, index));
    };
    add(series.front().xValues);
    for (const auto& s : series)
        add(s.values);
    Sequence<css::table::CellRangeAddress> addresses(sal_Int32(ranges.size()));
    for (size_t i = 0; i < ranges.size(); ++i)
        addresses.getArray()[i] = ranges[i];
    // The top in the row the model counts it in (rows of the default height), at that row's
    // place in the office, whose rows are lower: a chart stays beside the table it charts.
    sal_Int32 top = mm100(shape.top);
    const int row = int(shape.top / excel::kRowPoints);
    if (row < excel::kMaxRows) {
        const Reference<css::beans::XPropertySet> cell(m_sheet->getCellByPosition(0, row),
                                                       UNO_QUERY_THROW);
        css::awt::Point at;
        css::awt::Size size;
        cell->getPropertyValue("Position") >>= at;
        cell->getPropertyValue("Size") >>= size;
        top = at.Y + sal_Int32((shape.top / excel::kRowPoints - row) * size.Height);
    }
    const css::awt::Rectangle place(mm100(shape.left), top, mm100(shape.width),
                                    mm100(shape.height));
    tableCharts->addNewByName(name, place, addresses, true, !series.front().xValues.isEmpty());

    const Reference<css::table::XTableChart> table(tableCharts->getByName(name), UNO_QUERY_THROW);
    const Reference<css::chart::XChartDocument> chart(
        Reference<css::document::XEmbeddedObjectSupplier>(table, UNO_QUERY_THROW)
            ->getEmbeddedObject(),
        UNO_QUERY_THROW);
    const Reference<css::lang::XMultiServiceFactory> factory(chart, UNO_QUERY_THROW);
    chart->setDiagram(Reference<css::chart::XDiagram>(
        factory->createInstance("com.sun.star.chart.BarDiagram"), UNO_QUERY_THROW));
    const auto diagram = chart->getDiagram();
    const Reference<css::beans::XPropertySet> diagramProps(diagram, UNO_QUERY_THROW);
    // The office draws the last NumberOfLines series as lines: lines come after the columns.
    sal_Int32 lines = 0;
    bool secondary = false;
    bool smooth = false;
    for (const auto& s : series) {
        lines += s.chartType == excel::kLineMarkers ? 1 : 0;
        secondary = secondary || s.axisGroup == excel::kSecondaryAxis;
        smooth = smooth || s.smooth;
    }
    diagramProps->setPropertyValue("Vertical", Any(false));
    diagramProps->setPropertyValue("NumberOfLines", Any(lines));
    diagramProps->setPropertyValue("HasSecondaryYAxis", Any(secondary));
    if (smooth)
        diagramProps->setPropertyValue("SplineType", Any(sal_Int32(1)));
    const bool titled = shape.chart.hasTitle && !shape.chart.title.isEmpty();
    Reference<css::beans::XPropertySet>(chart, UNO_QUERY_THROW)
        ->setPropertyValue("HasMainTitle", Any(titled));
    if (titled)
        Reference<css::beans::XPropertySet>(chart->getTitle(), UNO_QUERY_THROW)
            ->setPropertyValue("String", Any(toOffice(shape.chart.title)));
    for (size_t i = 0; i < series.size(); ++i) {
        const auto& s = series[i];
        const auto props = diagram->getDataRowProperties(sal_Int32(i));
        if (s.axisGroup == excel::kSecondaryAxis)
            props->setPropertyValue("Axis", Any(css::chart::ChartAxisAssign::SECONDARY_Y));
        if (s.dataLabels) {
            props->setPropertyValue("DataCaption", Any(css::chart::ChartDataCaption::VALUE));
            setNumberFormat(props, chart, s.labelNumberFormat);
        }
        if (s.fill.rgb >= 0)
            props->setPropertyValue("Color", Any(sal_Int32(s.fill.rgb)));
        if (!s.markers) {
            try {
                props->setPropertyValue("SymbolType", Any(css::chart::ChartSymbolType::NONE));
            } catch (const css::uno::Exception&) {
                // An office without the property marks the points; the line is still drawn.
            }
        }
        for (const auto& [point, fill] : s.pointFills) {
            if (fill.rgb >= 0)
                diagram->getDataPointProperties(sal_Int32(point), sal_Int32(i))
                    ->setPropertyValue("Color", Any(sal_Int32(fill.rgb)));
        }
    }
    for (const auto& [key, axis] : shape.chart.axes) {
        if (key.first != excel::kValueAxis)
            continue;
        Reference<css::beans::XPropertySet> props;
        if (key.second == excel::kSecondaryAxis)
            props = Reference<css::chart::XTwoAxisYSupplier>(diagram, UNO_QUERY_THROW)->getSecondaryYAxis();
        else
            props = Reference<css::chart::XAxisYSupplier>(diagram, UNO_QUERY_THROW)->getYAxis();
        if (!props.is())
            continue;
        if (axis.maximum) {
            props->setPropertyValue("AutoMax", Any(false));
            props->setPropertyValue("Max", Any(*axis.maximum));
        }
        if (axis.minimum) {
            props->setPropertyValue("AutoMin", Any(false));
            props->setPropertyValue("Min", Any(*axis.minimum));
        }
        setNumberFormat(props, chart, axis.numberFormat);
    }
    addTextShapes(chart, shape.chart.shapes);
}

} // namespace uno
