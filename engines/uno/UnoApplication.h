#pragma once
// A running office as the spreadsheet application of the object model: its spreadsheet
// documents, the one the user works in, the selection there, and the office's own worksheet
// functions.

#include "engines/uno/UnoConnection.h"
#include "excel/Application.h"

#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>

#include <memory>
#include <vector>

namespace uno {

class UnoWorkbook;
class UnoWorksheet;

class UnoApplication : public excel::Application,
                       public std::enable_shared_from_this<UnoApplication> {
public:
    // The office behind connection, attached to document.
    static std::shared_ptr<UnoApplication>
    create(std::shared_ptr<UnoConnection> connection,
           const com::sun::star::uno::Reference<com::sun::star::sheet::XSpreadsheetDocument>&
               document);

    std::shared_ptr<excel::Workbook> ActiveWorkbook() override;
    std::optional<excel::Range> Selection() override;
    double CountA(const excel::Range& range) override;
    double CountIf(const excel::Range& range, const excel::Variant& criteria) override;
    QVector<double> countIfEach(const excel::Range& range,
                                const QVector<excel::Variant>& criteria) override;
    QString Caption() const override;
    std::shared_ptr<excel::Workbook> workbookNamed(const QString& name) const override;
    double maxOfRange(const excel::Range& range) override;
    // What an action changed is in the document already; the rules it changed go in now.
    void completeAction() override;
    // The frame of the document the user is in comes to the front.
    void activateOwnWindow() override;
    QString abandonAction() override;

    UnoConnection& connection() const { return *m_connection; }
    // The object-model workbook of an open document, the same one every time.
    std::shared_ptr<UnoWorkbook> workbookFor(
        const com::sun::star::uno::Reference<com::sun::star::sheet::XSpreadsheetDocument>&
            document) const;
    // The workbooks of the office's open spreadsheet documents, in the desktop's order.
    std::vector<std::shared_ptr<UnoWorkbook>> openWorkbooks() const;
    // Makes book the workbook the program works in (Workbook.Activate).
    void attachTo(const UnoWorkbook* book);
    // The range input box: the user picks the range in the office's window (its range selection
    // mode, with the prompt). None when the user cancels there.
    std::optional<excel::Range> pickRange(const QString& prompt, const QString& title);

private:
    explicit UnoApplication(std::shared_ptr<UnoConnection> connection)
        : m_connection(std::move(connection)) {}
    static const UnoWorksheet& sheetOf(const excel::Range& range, const char* member);
    void putRulesIntoDocuments();
    double callFunction(const char* member, const char* function, const excel::Range& range,
                        const excel::Variant* criteria);

    std::shared_ptr<UnoConnection> m_connection;
    mutable std::vector<std::shared_ptr<UnoWorkbook>> m_books;
    std::weak_ptr<UnoWorkbook> m_attached;
};

} // namespace uno
