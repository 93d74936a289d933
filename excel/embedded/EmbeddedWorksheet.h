#pragma once
// A worksheet hosted by the embedded engine: the cells of one sheet, its saved selection, and the
// worksheet functions evaluated over it (with per-range COUNTIF indexes).

#include "CountIfIndex.h"
#include "WorkbookData.h"
#include "excel/Worksheet.h"

#include <memory>
#include <vector>

namespace embedded {

class EmbeddedWorkbook;

class EmbeddedWorksheet : public excel::Worksheet {
public:
    EmbeddedWorksheet(std::weak_ptr<EmbeddedWorkbook> book, SheetData data);

    QString Name() const override { return m_data.name; }
    std::shared_ptr<excel::Workbook> Parent() const override;
    void Activate() override;

    excel::CellRect usedRect() const override;
    excel::Variant cellValue(int row, int column) const override;
    void readValues(const excel::CellRect& rect, excel::VariantArray& out) const override;
    QVector<excel::CellRect> specialCells(const QVector<excel::CellRect>& areas, int type,
                                          int value) const override;
    void select(const QVector<excel::CellRect>& areas) override;

    qint64 countIf(const excel::CellRect& rect, const Criterion& criterion) const;
    qint64 countA(const excel::CellRect& rect) const;
    // The largest number in rect, if any; raises excel::Error on an error value.
    std::optional<double> maxOf(const excel::CellRect& rect) const;

    const SheetData& data() const { return m_data; }
    const CellStore& cells() const { return *m_data.cells; }

private:
    std::shared_ptr<const CountIfIndex> indexFor(const excel::CellRect& rect) const;

    struct CachedIndex {
        excel::CellRect rect;
        quint64 version;
        quint64 lastUse;
        std::shared_ptr<const CountIfIndex> index;
    };

    std::weak_ptr<EmbeddedWorkbook> m_book;
    SheetData m_data;
    mutable std::vector<CachedIndex> m_indexes;
    mutable quint64 m_uses = 0;
};

} // namespace embedded
