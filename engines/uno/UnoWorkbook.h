#pragma once
// An office spreadsheet document as a workbook of the object model: its sheets in tab order, the
// sheet the user looks at, and sheets added or moved in the document itself.

#include "engines/uno/UnoSupport.h"
#include "excel/Workbook.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>

#include <QHash>
#include <memory>
#include <vector>

namespace uno {

class UnoApplication;
class UnoWorksheet;

class UnoWorkbook : public excel::Workbook {
public:
    UnoWorkbook(std::weak_ptr<UnoApplication> app, std::shared_ptr<UnoConnection> connection,
                Reference<css::sheet::XSpreadsheetDocument> document);

    // The file name the document was loaded from or stored as ("Defects.xlsx"); the office's
    // title ("Untitled 1") for a document never stored.
    QString Name() const override;
    QString FullName() const override { return filePath(); }
    void Activate() override;
    std::shared_ptr<excel::Worksheet> ActiveSheet() override;
    int sheetCount() const override;
    std::shared_ptr<excel::Worksheet> sheetAt(int index) const override;
    std::shared_ptr<excel::Worksheet> insertWorksheet(int index, const QString& name) override;
    void moveSheet(const excel::Worksheet* sheet, int index) override;
    QString standardFontName() const override;
    double standardFontSize() const override;
    // Stored by the office: over the document's own file (in its format), or as a workbook file
    // (.xlsx; .ods and .csv by their extension).
    void Save() override;
    void SaveAs(const QString& fileName) override;
    bool Saved() const override;
    bool needsSaveName() const override { return filePath().isEmpty(); }
    // Kept in the document's own custom properties, where the next start of this program (the
    // add-on starts one per command) finds them; setting one does not mark an unchanged
    // document as changed.
    QString programSetting(const QString& name) const override;
    void setProgramSetting(const QString& name, const QString& value) override;
    QString proposedSaveName() const override { return filePath(); }

    const Reference<css::sheet::XSpreadsheetDocument>& document() const { return m_document; }
    // The local file the document was loaded from or stored as; empty for a new document.
    QString filePath() const;
    Reference<css::frame::XController> controller() const;
    // The object-model sheet of a sheet of this document, the same one every time.
    std::shared_ptr<UnoWorksheet> sheetFor(const Reference<css::sheet::XSpreadsheet>& sheet) const;
    // The sheets the object model has used so far.
    const std::vector<std::shared_ptr<UnoWorksheet>>& knownSheets() const { return m_sheets; }
    // Tab position (from 0) of a sheet of this document.
    sal_Int16 indexOf(const Reference<css::sheet::XSpreadsheet>& sheet) const;
    std::shared_ptr<UnoApplication> application() const { return m_app.lock(); }
    UnoConnection& connection() const { return *m_connection; }
    // Puts the names the program defined (and took away) into the document.
    void putNamesIntoDocument();
    // Days from the object model's day 0 (1899-12-30) to the document's.
    double nullDateOffset() const;

private:
    Reference<css::container::XIndexAccess> sheets() const;
    Reference<css::beans::XPropertySet> defaultCellStyle() const;

    std::weak_ptr<UnoApplication> m_app;
    std::shared_ptr<UnoConnection> m_connection;
    Reference<css::sheet::XSpreadsheetDocument> m_document;
    mutable std::vector<std::shared_ptr<UnoWorksheet>> m_sheets;
    mutable std::optional<double> m_nullDateOffset;
    // The names put into the document, with what they refer to there.
    QHash<QString, QString> m_namesPut;
};

} // namespace uno
