#include "engines/uno/UnoApplication.h"

#include "engines/uno/UnoSupport.h"
#include "engines/uno/UnoWorkbook.h"
#include "engines/uno/UnoWorksheet.h"

#include <com/sun/star/awt/XTopWindow.hpp>
#include <com/sun/star/awt/XWindow2.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XTitle.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XSheetCellRanges.hpp>
#include <com/sun/star/view/XSelectionSupplier.hpp>

#include <algorithm>
#include <cmath>
#include <limits>

namespace uno {

std::shared_ptr<UnoApplication>
UnoApplication::create(std::shared_ptr<UnoConnection> connection,
                       const Reference<css::sheet::XSpreadsheetDocument>& document) {
    std::shared_ptr<UnoApplication> app(new UnoApplication(std::move(connection)));
    app->setRangeInputHandler([](excel::Application& self, const QString& prompt,
                                 const QString& title) {
        return static_cast<UnoApplication&>(self).pickRange(prompt, title);
    });
    if (document.is())
        app->m_attached = app->workbookFor(document);
    return app;
}

std::vector<std::shared_ptr<UnoWorkbook>> UnoApplication::openWorkbooks() const {
    return guarded(*m_connection, "Workbooks", [&] {
        std::vector<std::shared_ptr<UnoWorkbook>> found;
        const auto all = m_connection->desktop()->getComponents()->createEnumeration();
        while (all->hasMoreElements()) {
            try {
                Reference<css::sheet::XSpreadsheetDocument> document(all->nextElement(),
                                                                     UNO_QUERY);
                if (document.is())
                    found.push_back(workbookFor(document));
            } catch (const css::uno::RuntimeException&) {
                // closed while being listed
            }
        }
        return found;
    });
}

std::shared_ptr<UnoWorkbook>
UnoApplication::workbookFor(const Reference<css::sheet::XSpreadsheetDocument>& document) const {
    const Reference<css::uno::XInterface> key(document, UNO_QUERY);
    for (const auto& book : m_books) {
        if (Reference<css::uno::XInterface>(book->document(), UNO_QUERY) == key)
            return book;
    }
    auto self = std::const_pointer_cast<UnoApplication>(shared_from_this());
    m_books.push_back(std::make_shared<UnoWorkbook>(self, m_connection, document));
    return m_books.back();
}

void UnoApplication::attachTo(const UnoWorkbook* book) {
    for (const auto& b : m_books) {
        if (b.get() == book)
            m_attached = b;
    }
}

void UnoApplication::activateOwnWindow() {
    const auto book = std::dynamic_pointer_cast<UnoWorkbook>(ActiveWorkbook());
    if (!book)
        return;
    guarded(*m_connection, "ActivateMainWindow", [&] {
        const auto controller = book->controller();
        const auto frame = controller.is() ? controller->getFrame() : nullptr;
        const Reference<css::awt::XTopWindow> top(frame.is() ? frame->getContainerWindow() : nullptr,
                                                   UNO_QUERY);
        if (top.is())
            top->toFront();
    });
}

std::shared_ptr<excel::Workbook> UnoApplication::ActiveWorkbook() {
    return guarded(*m_connection, "ActiveWorkbook", [&]() -> std::shared_ptr<excel::Workbook> {
        // The document the user works in is the desktop's current one when it is a spreadsheet
        // on screen; documents without a window (loaded hidden) are never current for the user,
        // and the program stays with the one it was attached to.
        Reference<css::sheet::XSpreadsheetDocument> current(
            m_connection->desktop()->getCurrentComponent(), UNO_QUERY);
        if (current.is()) {
            const auto book = workbookFor(current);
            const auto controller = book->controller();
            const auto frame = controller.is() ? controller->getFrame() : nullptr;
            const Reference<css::awt::XWindow2> window(
                frame.is() ? frame->getContainerWindow() : nullptr, UNO_QUERY);
            if (window.is() && window->isVisible())
                return book;
        }
        const auto open = openWorkbooks();
        const auto attached = m_attached.lock();
        if (attached && std::find(open.begin(), open.end(), attached) != open.end())
            return attached;
        if (current.is())
            return workbookFor(current);
        return open.empty() ? nullptr : open.front();
    });
}

std::optional<excel::Range> UnoApplication::Selection() {
    const auto book = std::static_pointer_cast<UnoWorkbook>(ActiveWorkbook());
    if (!book)
        return std::nullopt;
    const auto sheet = book->ActiveSheet();
    if (!sheet)
        return std::nullopt;
    const QVector<excel::CellRect> blocks = sheet->selection();
    if (blocks.isEmpty())
        return std::nullopt;
    return excel::Range(sheet, blocks);
}

const UnoWorksheet& UnoApplication::sheetOf(const excel::Range& range, const char* member) {
    const auto* sheet = dynamic_cast<const UnoWorksheet*>(range.Worksheet().get());
    if (!sheet)
        throw excel::Error(QString::fromLatin1(member),
                           QStringLiteral("the range belongs to another application"));
    return *sheet;
}

double UnoApplication::callFunction(const char* member, const char* function,
                                    const excel::Range& range, const excel::Variant* criteria) {
    const UnoWorksheet& sheet = sheetOf(range, member);
    return guarded(*m_connection, member, [&] {
        const auto functions = m_connection->functions();
        double total = 0;
        // The office's functions take one block each; a range of several adds them up.
        for (const excel::CellRect& r : range.rects()) {
            Sequence<Any> arguments(criteria ? 2 : 1);
            arguments.getArray()[0] <<= sheet.cells(r);
            if (criteria) {
                if (criteria->isNumber())
                    arguments.getArray()[1] <<= criteria->number();
                else
                    arguments.getArray()[1] <<= toOffice(criteria->toString());
            }
            double value = 0;
            functions->callFunction(rtl::OUString::createFromAscii(function), arguments) >>=
                value;
            total += value;
        }
        return total;
    });
}

double UnoApplication::CountA(const excel::Range& range) {
    return callFunction("CountA", "COUNTA", range, nullptr);
}

double UnoApplication::CountIf(const excel::Range& range, const excel::Variant& criteria) {
    return callFunction("CountIf", "COUNTIF", range, &criteria);
}

double UnoApplication::maxOfRange(const excel::Range& range) {
    // The office's MAX passes over error values; the object model's fails on them, as the
    // spreadsheet's does. Error values in the office are formula results.
    const UnoWorksheet& sheet = sheetOf(range, "Max");
    if (!sheet.specialCells(range.rects(), excel::kCellTypeFormulas, excel::kValueErrors).isEmpty())
        throw excel::Error(QStringLiteral("Max"),
                           QStringLiteral("the range %1 holds an error value").arg(range.Address()));
    try {
        return callFunction("Max", "MAX", range, nullptr);
    } catch (const excel::HostGone&) {
        throw;
    } catch (const excel::Error&) {
        // The office refuses MAX of a range that holds an error value.
        throw excel::Error(QStringLiteral("Max"),
                           QStringLiteral("the range %1 holds an error value").arg(range.Address()));
    }
}

void UnoApplication::putRulesIntoDocuments() {
    for (const auto& book : m_books) {
        book->putNamesIntoDocument();
        for (const auto& sheet : book->knownSheets()) {
            sheet->putRulesIntoDocument();
            sheet->putChartsIntoDocument();
        }
    }
}

void UnoApplication::completeAction() {
    putRulesIntoDocuments();
    actionEnded();
}

QString UnoApplication::abandonAction() {
    // The document on screen keeps what the action did up to its failure, as after a failed
    // step done by hand.
    try {
        putRulesIntoDocuments();
    } catch (const excel::Error&) {
    }
    actionEnded();
    return {};
}

QString UnoApplication::Caption() const {
    return guarded(*m_connection, "Caption", [&]() -> QString {
        const auto book = m_attached.lock();
        const auto controller = book ? book->controller() : nullptr;
        const Reference<css::frame::XTitle> title(
            controller.is() ? controller->getFrame() : nullptr, UNO_QUERY);
        return title.is() ? fromOffice(title->getTitle()) : QStringLiteral("LibreOffice Calc");
    });
}

std::shared_ptr<excel::Workbook> UnoApplication::workbookNamed(const QString& name) const {
    for (const auto& book : openWorkbooks()) {
        if (book->Name().compare(name, Qt::CaseInsensitive) == 0)
            return book;
    }
    return nullptr;
}

} // namespace uno
