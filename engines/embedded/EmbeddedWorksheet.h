#pragma once
// A worksheet hosted by the embedded engine: the cells of one sheet, its saved selection, and the
// worksheet functions evaluated over it (with per-range COUNTIF indexes).

#include "engines/embedded/CountIfIndex.h"
#include "engines/embedded/xlsx/SheetPartLayout.h"
#include "engines/embedded/store/WorkbookData.h"
#include "engines/embedded/store/WorkbookSnapshot.h"
#include "excel/Worksheet.h"

#include <map>
#include <memory>
#include <vector>

namespace embedded {

class EmbeddedWorkbook;

class EmbeddedWorksheet : public excel::Worksheet {
public:
    EmbeddedWorksheet(std::weak_ptr<EmbeddedWorkbook> book, SheetData data);

    QString Name() const override { return m_data.name; }
    int Visible() const override { return m_data.hidden ? 0 : -1; }
    std::shared_ptr<excel::Workbook> Parent() const override;
    void Activate() override;

    excel::CellRect usedRect() const override;
    excel::Variant cellValue(int row, int column) const override;
    void readValues(const excel::CellRect& rect, excel::VariantArray& out) const override;
    QVector<excel::CellRect> specialCells(const QVector<excel::CellRect>& areas, int type,
                                          int value) const override;
    void select(const QVector<excel::CellRect>& areas) override;
    QVector<excel::CellRect> selection() const override { return m_data.selection; }
    void rename(const QString& name) override { m_data.name = name; }
    void setCellValue(int row, int column, const excel::Variant& value) override;
    excel::CellFormat cellFormat(int row, int column) const override;
    // The format a cell has before the program formats it: its style in the file, or the
    // sheet's format.
    excel::CellFormat baseFormat(int row, int column) const;
    void formatCells(const excel::CellRect& rect,
                     const std::function<void(excel::CellFormat&)>& change) override;
    double columnWidth(int column) const override;
    void setColumnWidth(int column, double width) override;
    void shiftRows(int at, int count) override;
    std::vector<std::shared_ptr<excel::ConditionalFormat>>& conditionalFormats() override;
    // The file's rules are read with the sheet: always at hand.
    bool conditionalFormatsAtHand() const override { return true; }

    // Formats by cell (row, column); cells without an entry have the sheet's format.
    using FormatMap = std::map<std::pair<int, int>, excel::CellFormat>;
    const FormatMap& formats() const { return m_formats; }
    const excel::CellFormat& sheetFormat() const { return m_sheetFormat; }
    const std::map<int, double>& columnWidths() const { return m_widths; }
    // The conditional formats as the file stores them; whether the sheet's rules were taken up
    // as the object model's (when first asked for).
    const std::vector<StoredRule>& storedRules() const { return m_data.storedRules; }
    bool rulesLoaded() const { return m_rulesLoaded; }
    // Added in this session, not read from the file.
    bool isNew() const { return m_data.partName.isEmpty(); }
    const QString& partName() const { return m_data.partName; }
    NewSheetContent content() const;
    // Copies of the conditional formats as they are now (without loading them), and as the file
    // stores them.
    std::vector<excel::ConditionalFormat> ruleState() const;
    std::vector<excel::ConditionalFormat> storedRuleState() const;
    // Replaces the conditional formats (putting back an earlier state).
    void restoreRules(const std::vector<excel::ConditionalFormat>& rules);

    qint64 countIf(const excel::CellRect& rect, const Criterion& criterion) const;
    qint64 countA(const excel::CellRect& rect) const;
    // The largest number in rect, if any; raises excel::Error on an error value.
    std::optional<double> maxOf(const excel::CellRect& rect) const;

    const SheetData& data() const { return m_data; }
    const CellStore& cells() const { return *m_data.cells; }

private:
    std::shared_ptr<const CountIfIndex> indexFor(const excel::CellRect& rect) const;
    void setRules(const std::vector<excel::ConditionalFormat>& rules);

    struct CachedIndex {
        excel::CellRect rect;
        quint64 version;
        quint64 lastUse;
        std::shared_ptr<const CountIfIndex> index;
    };

    std::weak_ptr<EmbeddedWorkbook> m_book;
    SheetData m_data;
    FormatMap m_formats;
    excel::CellFormat m_sheetFormat;
    std::map<int, double> m_widths;
    std::vector<std::shared_ptr<excel::ConditionalFormat>> m_rules;
    bool m_rulesLoaded = false;
    mutable std::vector<CachedIndex> m_indexes;
    mutable quint64 m_uses = 0;
};

} // namespace embedded
