// The cell values and looks the program writes: each goes into the document as the office's own
// cell properties, so that the user sees it as if made by hand.

#include "engines/uno/UnoWorkbook.h"
#include "engines/uno/UnoWorksheet.h"

#include <com/sun/star/awt/FontWeight.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/beans/XMultiPropertySet.hpp>
#include <com/sun/star/lang/Locale.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/XSheetOperation.hpp>
#include <com/sun/star/table/BorderLine2.hpp>
#include <com/sun/star/table/CellHoriJustify.hpp>
#include <com/sun/star/table/TableBorder2.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/table/XTableColumns.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/util/NumberFormat.hpp>
#include <com/sun/star/util/XNumberFormatTypes.hpp>
#include <com/sun/star/util/XNumberFormats.hpp>
#include <com/sun/star/util/XNumberFormatsSupplier.hpp>

#include <cmath>
#include <vector>

namespace uno {

namespace {

// Column widths: characters of the standard font to points as the chart placement counts them,
// and points to the office's hundredths of a millimetre.
constexpr double kPointsPerCharacter = 5.25;
constexpr double kPaddingPoints = 3.75;
constexpr double kMm100PerPoint = 2540.0 / 72.0;
// The office's default column width, in hundredths of a millimetre.
constexpr sal_Int32 kDefaultWidth = 2258;
// A thin line, in hundredths of a millimetre.
constexpr sal_Int16 kThinLine = 26;

css::table::CellHoriJustify justifyOf(int alignment) {
    switch (alignment) {
    case excel::kAlignLeft:
        return css::table::CellHoriJustify_LEFT;
    case excel::kAlignCenter:
        return css::table::CellHoriJustify_CENTER;
    case excel::kAlignRight:
        return css::table::CellHoriJustify_RIGHT;
    default:
        return css::table::CellHoriJustify_STANDARD;
    }
}

int alignmentOf(css::table::CellHoriJustify justify) {
    switch (justify) {
    case css::table::CellHoriJustify_LEFT:
        return excel::kAlignLeft;
    case css::table::CellHoriJustify_CENTER:
        return excel::kAlignCenter;
    case css::table::CellHoriJustify_RIGHT:
        return excel::kAlignRight;
    default:
        return excel::kAlignGeneral;
    }
}

Reference<css::util::XNumberFormats> numberFormats(const UnoWorkbook& book) {
    const Reference<css::util::XNumberFormatsSupplier> supplier(book.document(), UNO_QUERY_THROW);
    return supplier->getNumberFormats();
}

// The key of a format code in the document, added when it has none. Codes are read without a
// locale, so that "0.0%" stays "0.0%" in the file the office stores.
sal_Int32 numberFormatKey(const UnoWorkbook& book, const QString& code) {
    const auto formats = numberFormats(book);
    const rtl::OUString text = toOffice(code.isEmpty() ? QStringLiteral("General") : code);
    const css::lang::Locale plain;
    sal_Int32 key = formats->queryKey(text, plain, false);
    if (key < 0)
        key = formats->addNew(text, plain);
    return key;
}

css::table::BorderLine2 lineOf(int color) {
    css::table::BorderLine2 line;
    if (color >= 0) {
        line.Color = color;
        line.OuterLineWidth = kThinLine;
        line.LineWidth = kThinLine;
    }
    return line;
}

// Which members of a format a change sets: it is applied to two formats that differ in every
// member, and a member that comes out the same from both was set.
struct Assigned {
    excel::CellFormat to;
    bool numberFormat, fontName, bold, fontColor, fillColor, borderColor, alignment;
};

Assigned assignedBy(const std::function<void(excel::CellFormat&)>& change) {
    excel::CellFormat a;
    excel::CellFormat b;
    b.numberFormat = QStringLiteral("\x01");
    b.fontName = QStringLiteral("\x01");
    b.bold = true;
    b.fontColor = b.fillColor = b.borderColor = 0x010203;
    b.horizontalAlignment = 12345;
    change(a);
    change(b);
    return {a,
            a.numberFormat == b.numberFormat,
            a.fontName == b.fontName,
            a.bold == b.bold,
            a.fontColor == b.fontColor,
            a.fillColor == b.fillColor,
            a.borderColor == b.borderColor,
            a.horizontalAlignment == b.horizontalAlignment};
}

} // namespace

void UnoWorksheet::setCellValue(int row, int column, const excel::Variant& value) {
    if (value.isArray())
        throw excel::Error(QStringLiteral("Value"),
                           QStringLiteral("one cell takes one value, not an array"));
    const auto owner = book("Value");
    guarded(*m_connection, "Value", [&] {
        const auto cell = m_sheet->getCellByPosition(column - 1, row - 1);
        switch (value.kind()) {
        case excel::Variant::Kind::Empty:
            Reference<css::sheet::XSheetOperation>(cell, UNO_QUERY_THROW)
                ->clearContents(css::sheet::CellFlags::VALUE | css::sheet::CellFlags::DATETIME |
                                css::sheet::CellFlags::STRING | css::sheet::CellFlags::FORMULA);
            break;
        case excel::Variant::Kind::Number:
            cell->setValue(value.number());
            break;
        case excel::Variant::Kind::Text:
            // Set as text, never read as a number or a formula.
            Reference<css::text::XText>(cell, UNO_QUERY_THROW)->setString(toOffice(value.text()));
            break;
        case excel::Variant::Kind::Boolean:
            cell->setFormula(rtl::OUString::createFromAscii(value.boolean() ? "=TRUE()" : "=FALSE()"));
            break;
        case excel::Variant::Kind::Error:
            cell->setFormula(toOffice(QLatin1Char('=') + excel::errorText(value.error())));
            break;
        case excel::Variant::Kind::Date: {
            cell->setValue(value.date().serial - owner->nullDateOffset());
            const Reference<css::beans::XPropertySet> props(cell, UNO_QUERY_THROW);
            sal_Int32 key = 0;
            props->getPropertyValue("NumberFormat") >>= key;
            if (key == 0) {
                const Reference<css::util::XNumberFormatTypes> types(numberFormats(*owner),
                                                                     UNO_QUERY_THROW);
                props->setPropertyValue(
                    "NumberFormat",
                    Any(types->getStandardFormat(css::util::NumberFormat::DATE, {})));
            }
            break;
        }
        case excel::Variant::Kind::Array:
            break;
        }
    });
}

excel::CellFormat UnoWorksheet::cellFormat(int row, int column) const {
    const auto owner = book("Format");
    const QString standardFont = owner->standardFontName();
    return guarded(*m_connection, "Format", [&] {
        const Reference<css::beans::XPropertySet> props(
            m_sheet->getCellByPosition(column - 1, row - 1), UNO_QUERY_THROW);
        excel::CellFormat f;
        sal_Int32 key = 0;
        props->getPropertyValue("NumberFormat") >>= key;
        rtl::OUString code;
        numberFormats(*owner)->getByKey(key)->getPropertyValue("FormatString") >>= code;
        f.numberFormat = fromOffice(code);
        if (f.numberFormat.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0)
            f.numberFormat.clear();
        rtl::OUString font;
        props->getPropertyValue("CharFontName") >>= font;
        if (fromOffice(font) != standardFont)
            f.fontName = fromOffice(font);
        float weight = 0;
        props->getPropertyValue("CharWeight") >>= weight;
        f.bold = weight > css::awt::FontWeight::NORMAL;
        sal_Int32 color = -1;
        props->getPropertyValue("CharColor") >>= color;
        f.fontColor = color < 0 ? -1 : int(color & 0xFFFFFF);
        bool transparent = true;
        props->getPropertyValue("IsCellBackgroundTransparent") >>= transparent;
        if (!transparent) {
            props->getPropertyValue("CellBackColor") >>= color;
            f.fillColor = color < 0 ? -1 : int(color & 0xFFFFFF);
        }
        css::table::BorderLine2 top;
        props->getPropertyValue("TopBorder") >>= top;
        f.borderColor = top.OuterLineWidth > 0 ? int(top.Color & 0xFFFFFF) : -1;
        css::table::CellHoriJustify justify = css::table::CellHoriJustify_STANDARD;
        props->getPropertyValue("HoriJustify") >>= justify;
        f.horizontalAlignment = alignmentOf(justify);
        return f;
    });
}

void UnoWorksheet::formatCells(const excel::CellRect& rect,
                               const std::function<void(excel::CellFormat&)>& change) {
    const auto owner = book("Format");
    const Assigned set = assignedBy(change);
    guarded(*m_connection, "Format", [&] {
        std::vector<rtl::OUString> names;
        std::vector<Any> values;
        const auto add = [&](const char* name, Any value) {
            names.push_back(rtl::OUString::createFromAscii(name));
            values.push_back(std::move(value));
        };
        if (set.numberFormat)
            add("NumberFormat", Any(numberFormatKey(*owner, set.to.numberFormat)));
        if (set.fontName) {
            const QString font = set.to.fontName.isEmpty() ? owner->standardFontName()
                                                           : set.to.fontName;
            add("CharFontName", Any(toOffice(font)));
        }
        if (set.bold)
            add("CharWeight", Any(set.to.bold ? css::awt::FontWeight::BOLD
                                              : css::awt::FontWeight::NORMAL));
        if (set.fontColor)
            add("CharColor", Any(sal_Int32(set.to.fontColor)));
        if (set.fillColor) {
            add("CellBackColor", Any(sal_Int32(set.to.fillColor)));
            add("IsCellBackgroundTransparent", Any(set.to.fillColor < 0));
        }
        if (set.borderColor) {
            // Every edge of every cell: the outer lines and the ones between cells.
            css::table::TableBorder2 border;
            const auto line = lineOf(set.to.borderColor);
            border.TopLine = border.BottomLine = border.LeftLine = border.RightLine = line;
            border.HorizontalLine = border.VerticalLine = line;
            border.IsTopLineValid = border.IsBottomLineValid = true;
            border.IsLeftLineValid = border.IsRightLineValid = true;
            border.IsHorizontalLineValid = border.IsVerticalLineValid = true;
            add("TableBorder2", Any(border));
        }
        if (set.alignment)
            add("HoriJustify", Any(justifyOf(set.to.horizontalAlignment)));
        if (names.empty())
            return;
        // Property names must be sorted for the office's multi-property call.
        std::vector<size_t> order(names.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = i;
        std::sort(order.begin(), order.end(),
                  [&](size_t x, size_t y) { return names[x].compareTo(names[y]) < 0; });
        Sequence<rtl::OUString> sortedNames(sal_Int32(names.size()));
        Sequence<Any> sortedValues(sal_Int32(names.size()));
        for (size_t i = 0; i < order.size(); ++i) {
            sortedNames.getArray()[i] = names[order[i]];
            sortedValues.getArray()[i] = values[order[i]];
        }
        Reference<css::beans::XMultiPropertySet>(cells(rect), UNO_QUERY_THROW)
            ->setPropertyValues(sortedNames, sortedValues);
    });
}

double UnoWorksheet::columnWidth(int column) const {
    return guarded(*m_connection, "ColumnWidth", [&] {
        const Reference<css::table::XColumnRowRange> range(m_sheet, UNO_QUERY_THROW);
        const Reference<css::beans::XPropertySet> props(
            range->getColumns()->getByIndex(column - 1), UNO_QUERY_THROW);
        sal_Int32 width = kDefaultWidth;
        props->getPropertyValue("Width") >>= width;
        if (std::abs(width - kDefaultWidth) <= 1)
            return 0.0;
        const double characters = (width / kMm100PerPoint - kPaddingPoints) / kPointsPerCharacter;
        return std::max(0.0, std::round(characters * 100) / 100);
    });
}

void UnoWorksheet::setColumnWidth(int column, double width) {
    if (width < 0 || width > 255)
        throw excel::Error(QStringLiteral("ColumnWidth"),
                           QStringLiteral("a column is 0 to 255 characters wide"));
    guarded(*m_connection, "ColumnWidth", [&] {
        const Reference<css::table::XColumnRowRange> range(m_sheet, UNO_QUERY_THROW);
        const Reference<css::beans::XPropertySet> props(
            range->getColumns()->getByIndex(column - 1), UNO_QUERY_THROW);
        const double points = width > 0 ? width * kPointsPerCharacter + kPaddingPoints : 0;
        props->setPropertyValue("Width", Any(sal_Int32(std::lround(points * kMm100PerPoint))));
    });
}

} // namespace uno
