#include "engines/uno/UnoWorksheet.h"

#include "engines/uno/UnoApplication.h"
#include "engines/uno/UnoWorkbook.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/sheet/CellDeleteMode.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/CellInsertMode.hpp>
#include <com/sun/star/sheet/FormulaResult.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XCellRangeMovement.hpp>
#include <com/sun/star/sheet/XCellRangesQuery.hpp>
#include <com/sun/star/sheet/XSheetCellCursor.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/sheet/XUsedAreaCursor.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/view/XSelectionSupplier.hpp>

#include <QLocale>
#include <algorithm>

namespace uno {

namespace {

using excel::kCellTypeBlanks;
using excel::kCellTypeFormulas;
using excel::kValueErrors;
using excel::kValueLogical;
using excel::kValueNumbers;
using excel::kValueText;

// Cells read in one call: large enough that the round trip does not count, small enough that
// neither side holds a huge copy.
constexpr qint64 kCellsPerRead = 256 * 1024;

bool within(const QVector<excel::CellRect>& blocks, int row, int column) {
    return std::any_of(blocks.begin(), blocks.end(),
                       [&](const excel::CellRect& b) { return b.contains(row, column); });
}

} // namespace

UnoWorksheet::UnoWorksheet(std::weak_ptr<UnoWorkbook> book,
                           std::shared_ptr<UnoConnection> connection,
                           Reference<css::sheet::XSpreadsheet> sheet)
    : m_book(std::move(book))
    , m_connection(std::move(connection))
    , m_sheet(std::move(sheet)) {}

std::shared_ptr<UnoWorkbook> UnoWorksheet::book(const char* member) const {
    auto book = m_book.lock();
    if (!book)
        throw excel::Error(QString::fromLatin1(member),
                           QStringLiteral("the workbook of this sheet is no longer open"));
    return book;
}

QString UnoWorksheet::Name() const {
    return guarded(*m_connection, "Name", [&] {
        return fromOffice(Reference<css::container::XNamed>(m_sheet, UNO_QUERY_THROW)->getName());
    });
}

int UnoWorksheet::Visible() const {
    return guarded(*m_connection, "Visible", [&] {
        bool visible = true;
        Reference<css::beans::XPropertySet>(m_sheet, UNO_QUERY_THROW)
                ->getPropertyValue("IsVisible") >>= visible;
        return visible ? -1 : 0;
    });
}

std::shared_ptr<excel::Workbook> UnoWorksheet::Parent() const {
    return m_book.lock();
}

void UnoWorksheet::Activate() {
    const auto owner = book("Activate");
    guarded(*m_connection, "Activate", [&] {
        const Reference<css::sheet::XSpreadsheetView> view(owner->controller(), UNO_QUERY);
        if (view.is())
            view->setActiveSheet(m_sheet);
    });
    owner->Activate();
}

excel::CellRect UnoWorksheet::extent() const {
    // The office's sheets may have fewer columns than the object model's; their size is fixed.
    if (!m_extent) {
        const Reference<css::sheet::XCellRangeAddressable> whole(m_sheet, UNO_QUERY_THROW);
        m_extent = rectOf(whole->getRangeAddress());
    }
    return *m_extent;
}

Reference<css::table::XCellRange> UnoWorksheet::cells(const excel::CellRect& rect) const {
    // Whole rows end where the sheet ends.
    const excel::CellRect extent = this->extent();
    excel::CellRect r = rect;
    r.right = std::min(r.right, extent.right);
    r.bottom = std::min(r.bottom, extent.bottom);
    if (r.left > r.right || r.top > r.bottom)
        throw excel::Error(QStringLiteral("Range"),
                           QStringLiteral("%1 lies beyond the last column (%2) of a LibreOffice "
                                          "sheet")
                               .arg(excel::formatRect(rect, false, false),
                                    excel::columnLetters(extent.right)));
    return m_sheet->getCellRangeByPosition(r.left - 1, r.top - 1, r.right - 1, r.bottom - 1);
}

QString UnoWorksheet::formulaReference(const excel::CellRect& rect) const {
    QString name = Name();
    name.replace(QLatin1Char('\''), QStringLiteral("''"));
    const QString from = QStringLiteral("$%1$%2").arg(excel::columnLetters(rect.left)).arg(rect.top);
    const QString to = QStringLiteral("$%1$%2").arg(excel::columnLetters(rect.right)).arg(rect.bottom);
    return QStringLiteral("$'%1'.%2:%3").arg(name, from, to);
}

QVector<excel::CellRect>
UnoWorksheet::blocksOf(const Reference<css::sheet::XSheetCellRanges>& ranges) {
    QVector<excel::CellRect> blocks;
    if (!ranges.is())
        return blocks;
    const auto addresses = ranges->getRangeAddresses();
    for (sal_Int32 i = 0; i < addresses.getLength(); ++i)
        blocks.push_back(rectOf(addresses[i]));
    return blocks;
}

excel::CellRect UnoWorksheet::usedRect() const {
    return guarded(*m_connection, "UsedRange", [&] {
        const auto cursor = m_sheet->createCursor();
        const Reference<css::sheet::XUsedAreaCursor> used(cursor, UNO_QUERY_THROW);
        used->gotoStartOfUsedArea(false);
        used->gotoEndOfUsedArea(true);
        return rectOf(
            Reference<css::sheet::XCellRangeAddressable>(cursor, UNO_QUERY_THROW)->getRangeAddress());
    });
}

excel::Variant UnoWorksheet::cellValue(int row, int column) const {
    // One cell is read as it is, without asking for the used area first.
    const auto cell = excel::CellRect::cell(row, column);
    excel::VariantArray one(1, 1);
    readBlock(cell, one, cell);
    return one.at(1, 1);
}

void UnoWorksheet::readValues(const excel::CellRect& rect, excel::VariantArray& out) const {
    // Cells past the used area are empty: only the part inside it is asked for.
    const auto part = rect.intersected(usedRect());
    if (!part)
        return;
    const int rowsPerRead = int(std::max<qint64>(1, kCellsPerRead / part->columns()));
    for (int top = part->top; top <= part->bottom; top += rowsPerRead) {
        excel::CellRect slice = *part;
        slice.top = top;
        slice.bottom = std::min(part->bottom, top + rowsPerRead - 1);
        readBlock(slice, out, rect);
    }
}

void UnoWorksheet::readBlock(const excel::CellRect& rect, excel::VariantArray& out,
                             const excel::CellRect& into) const {
    const double dayOffset = book("Value")->nullDateOffset();
    guarded(*m_connection, "Value", [&] {
        const auto range = cells(rect);
        const auto rows = Reference<css::sheet::XCellRangeData>(range, UNO_QUERY_THROW)->getDataArray();
        // The data array gives "" for an empty cell and nothing for an error value, and plain
        // numbers for dates: the cell queries tell them apart.
        const Reference<css::sheet::XCellRangesQuery> query(range, UNO_QUERY_THROW);
        const auto empty = blocksOf(query->queryEmptyCells());
        const auto dates = blocksOf(query->queryContentCells(css::sheet::CellFlags::DATETIME));
        for (sal_Int32 r = 0; r < rows.getLength(); ++r) {
            const Sequence<Any>& values = rows[r];
            const int row = rect.top + int(r);
            for (sal_Int32 c = 0; c < values.getLength(); ++c) {
                const int column = rect.left + int(c);
                excel::Variant& cell = out.at(row - into.top + 1, column - into.left + 1);
                double number = 0;
                rtl::OUString text;
                if (values[c] >>= number) {
                    cell = within(dates, row, column) ? excel::Variant(excel::DateValue{number + dayOffset})
                                                      : excel::Variant(number);
                } else if (values[c] >>= text) {
                    if (!text.isEmpty() || !within(empty, row, column))
                        cell = fromOffice(text);
                } else {
                    const Reference<css::text::XText> shown(
                        range->getCellByPosition(c, r), UNO_QUERY_THROW);
                    const auto error = excel::errorFromText(fromOffice(shown->getString()));
                    cell = error.value_or(excel::ErrorValue::Value);
                }
            }
        }
    });
}

QVector<excel::CellRect> UnoWorksheet::specialCells(const QVector<excel::CellRect>& areas,
                                                    int type, int value) const {
    if (type != kCellTypeBlanks && type != kCellTypeFormulas)
        throw excel::Error(QStringLiteral("SpecialCells"),
                           QStringLiteral("cell type %1 is not offered").arg(type));
    const int wanted = value == 0 ? (kValueNumbers | kValueText | kValueLogical | kValueErrors) : value;
    sal_Int32 results = 0;
    if (wanted & (kValueNumbers | kValueLogical))
        results |= css::sheet::FormulaResult::VALUE;
    if (wanted & kValueText)
        results |= css::sheet::FormulaResult::STRING;
    if (wanted & kValueErrors)
        results |= css::sheet::FormulaResult::ERROR;
    const excel::CellRect used = usedRect();
    return guarded(*m_connection, "SpecialCells", [&] {
        QVector<excel::CellRect> found;
        for (const excel::CellRect& area : areas) {
            // Blank cells are looked for within the used range only, as the spreadsheet does.
            const auto rect = type == kCellTypeBlanks ? area.intersected(used) : std::optional(area);
            if (!rect)
                continue;
            const Reference<css::sheet::XCellRangesQuery> query(cells(*rect), UNO_QUERY_THROW);
            found += blocksOf(type == kCellTypeBlanks ? query->queryEmptyCells()
                                              : query->queryFormulaCells(results));
        }
        return found;
    });
}

void UnoWorksheet::select(const QVector<excel::CellRect>& areas) {
    const auto owner = book("Select");
    const auto app = owner->application();
    const auto active = app ? app->ActiveWorkbook() : nullptr;
    if (active.get() != owner.get() || owner->ActiveSheet().get() != this)
        throw excel::Error(QStringLiteral("Select"),
                           QStringLiteral("cells can be selected only on the active sheet; \"%1\" "
                                          "is not active")
                               .arg(Name()));
    guarded(*m_connection, "Select", [&] {
        const Reference<css::view::XSelectionSupplier> view(owner->controller(), UNO_QUERY_THROW);
        if (areas.size() == 1) {
            view->select(Any(cells(areas.front())));
            return;
        }
        view->select(Any(rangesOf(areas)));
    });
}

QVector<excel::CellRect> UnoWorksheet::selection() const {
    const auto owner = book("Selection");
    return guarded(*m_connection, "Selection", [&] {
        const QVector<excel::CellRect> none{excel::CellRect::cell(1, 1)};
        const auto controller = owner->controller();
        const Reference<css::sheet::XSpreadsheetView> view(controller, UNO_QUERY);
        if (!view.is() || owner->indexOf(view->getActiveSheet()) != owner->indexOf(m_sheet))
            return none; // the office keeps a selection for the sheet on screen only
        const Any selected =
            Reference<css::view::XSelectionSupplier>(controller, UNO_QUERY_THROW)->getSelection();
        const Reference<css::sheet::XCellRangeAddressable> one(selected, UNO_QUERY);
        if (one.is())
            return QVector<excel::CellRect>{rectOf(one->getRangeAddress())};
        const Reference<css::sheet::XSheetCellRanges> several(selected, UNO_QUERY);
        if (several.is()) {
            const auto blocks = blocksOf(several);
            return blocks.isEmpty() ? none : blocks;
        }
        return none; // a shape or a chart is selected
    });
}

void UnoWorksheet::rename(const QString& name) {
    guarded(*m_connection, "Name", [&] {
        Reference<css::container::XNamed>(m_sheet, UNO_QUERY_THROW)->setName(toOffice(name));
    });
}

void UnoWorksheet::shiftRows(int at, int count) {
    guarded(*m_connection, "Rows", [&] {
        const Reference<css::sheet::XCellRangeMovement> movement(m_sheet, UNO_QUERY_THROW);
        const sal_Int16 index = book("Rows")->indexOf(m_sheet);
        const excel::CellRect rows{at, 1, at + std::abs(count) - 1, 1};
        auto address = addressOf(rows, index);
        address.EndColumn = extent().right - 1;
        if (count > 0)
            movement->insertCells(address, css::sheet::CellInsertMode_ROWS);
        else
            movement->removeRange(address, css::sheet::CellDeleteMode_ROWS);
    });
}

} // namespace uno
