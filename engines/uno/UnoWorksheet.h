#pragma once
// A sheet of an office spreadsheet document as a worksheet of the object model. Every hook reads
// or changes the sheet in the document, where the user sees it.

#include "engines/uno/UnoSupport.h"
#include "excel/Worksheet.h"

#include <com/sun/star/sheet/XSheetCellRanges.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/table/XTableCharts.hpp>

#include <QHash>

#include <map>
#include <memory>

namespace uno {

class UnoWorkbook;

class UnoWorksheet : public excel::Worksheet {
public:
    UnoWorksheet(std::weak_ptr<UnoWorkbook> book, std::shared_ptr<UnoConnection> connection,
                 Reference<css::sheet::XSpreadsheet> sheet);

    QString Name() const override;
    int Visible() const override;
    std::shared_ptr<excel::Workbook> Parent() const override;
    void Activate() override;

    excel::CellRect usedRect() const override;
    excel::Variant cellValue(int row, int column) const override;
    void readValues(const excel::CellRect& rect, excel::VariantArray& out) const override;
    QVector<excel::CellRect> specialCells(const QVector<excel::CellRect>& areas, int type,
                                          int value) const override;
    void select(const QVector<excel::CellRect>& areas) override;
    QVector<excel::CellRect> selection() const override;
    void rename(const QString& name) override;
    void setCellValue(int row, int column, const excel::Variant& value) override;
    excel::CellFormat cellFormat(int row, int column) const override;
    void formatCells(const excel::CellRect& rect,
                     const std::function<void(excel::CellFormat&)>& change) override;
    double columnWidth(int column) const override;
    void setColumnWidth(int column, double width) override;
    void shiftRows(int at, int count) override;
    std::vector<std::shared_ptr<excel::ConditionalFormat>>& conditionalFormats() override;
    bool conditionalFormatsAtHand() const override { return m_rulesLoaded; }

    const Reference<css::sheet::XSpreadsheet>& sheet() const { return m_sheet; }
    Reference<css::table::XCellRange> cells(const excel::CellRect& rect) const;
    // The whole sheet as the office sizes it.
    excel::CellRect extent() const;
    // A reference to rect in the office's formula grammar: $'Sheet'.$A$1:$B$2.
    QString formulaReference(const excel::CellRect& rect) const;
    // Blocks of the office's answer to a cell query, in the object model's numbering.
    static QVector<excel::CellRect> blocksOf(const Reference<css::sheet::XSheetCellRanges>& ranges);
    // Blocks of this sheet as the office's range list.
    Reference<css::sheet::XSheetCellRanges> rangesOf(const QVector<excel::CellRect>& blocks) const;
    // Puts the conditional formats as the object model left them into the document.
    void putRulesIntoDocument();
    // Makes the charts that are new or changed in the object model in the document.
    void putChartsIntoDocument();

private:
    std::shared_ptr<UnoWorkbook> book(const char* member) const;
    rtl::OUString officeChartName(const QString& name);
    void placeChart(const Reference<css::table::XTableCharts>& tableCharts,
                    const excel::ChartShapeModel& shape);
    void readBlock(const excel::CellRect& rect, excel::VariantArray& out,
                   const excel::CellRect& into) const;

    std::weak_ptr<UnoWorkbook> m_book;
    mutable std::optional<excel::CellRect> m_extent;
    std::shared_ptr<UnoConnection> m_connection;
    Reference<css::sheet::XSpreadsheet> m_sheet;
    std::vector<std::shared_ptr<excel::ConditionalFormat>> m_rules;
    // The blocks of each of the document's rules when they were read, by the rule's id.
    std::map<int, QVector<excel::CellRect>> m_documentRules;
    bool m_rulesLoaded = false;
    // What each chart put into the document showed, by chart name.
    QHash<QString, QString> m_chartsPlaced;
    // The office's name of each chart, by chart name: the office names charts once for the
    // whole document, and each report sheet has its own "Chart 1".
    QHash<QString, rtl::OUString> m_chartNames;
};

} // namespace uno
