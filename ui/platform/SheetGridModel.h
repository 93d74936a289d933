#pragma once
// A worksheet as a grid of cells for Qt's views, read lazily: a cell is asked of the sheet only
// when a view shows it, so a sheet of a million rows opens at once. It gives each cell's text as
// the spreadsheet shows it (through its number format), its alignment, font and fill, and the
// fill of the conditional formats that apply to it. The range input box shows the used part of a
// sheet with a margin; the workbook window starts there too and grows as the user goes further
// (so that its scroll bars span the data, as a spreadsheet's do); WholeSheet has every cell.

#include "excel/Worksheet.h"

#include <QAbstractTableModel>
#include <QFont>
#include <memory>

namespace platform {

class SheetGridModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum class Extent { UsedAndMargin, Growing, WholeSheet };
    // Whether a cell holds nothing (without making its text): for drawing a text that runs on.
    static constexpr int kEmptyRole = Qt::UserRole + 1;

    explicit SheetGridModel(QObject* parent = nullptr, Extent extent = Extent::UsedAndMargin);
    void setSheet(std::shared_ptr<excel::Worksheet> sheet);
    const std::shared_ptr<excel::Worksheet>& sheet() const { return m_sheet; }
    // The sheet's cells or rules changed: every shown cell is asked again.
    void refresh();
    // The font of cells that name none (the view's font); cells in bold or in another font are
    // given as this font changed.
    void setFont(const QFont& font) { m_font = font; }
    // Grows (a growing model) to hold the cell, with a margin beyond it.
    void reach(int row, int column);
    // Whether the model holds every row (column) of the sheet.
    bool allRows() const { return m_rows >= excel::kMaxRows; }
    bool allColumns() const { return m_columns >= excel::kMaxColumns; }
    // How many cell values the model has asked of the sheet (what views showed).
    qint64 cellReads() const { return m_reads; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    // The text the cell shows, through its number format.
    QString shownText(int row, int column) const;
    // The fill of the first conditional format that applies to the cell, or -1.
    int ruleFill(int row, int column) const;

    Extent m_extent;
    std::shared_ptr<excel::Worksheet> m_sheet;
    int m_rows = 0;
    int m_columns = 0;
    QFont m_font;
    mutable qint64 m_reads = 0;
};

} // namespace platform
