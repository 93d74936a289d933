#pragma once
// How the workbook window draws a cell, as a spreadsheet draws it: its fill, its gridlines, and
// its text, which runs on over empty cells to its right (and the gridlines under it give way)
// instead of being cut at the cell's edge; the selection as a light tint over plain cells and as
// a frame over filled ones, so that a highlighted cell stays visibly yellow when selected.

#include <QStyledItemDelegate>

namespace sheetview {

class CellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    // How far to the right the text of the cell at index runs, in pixels from the cell's left
    // edge: its own width, or further over the empty cells that follow (up to the text's width).
    static int textReach(const QStyleOptionViewItem& option, const QModelIndex& index,
                         const QAbstractItemView* view, const QString& text);
    // Whether the text of a cell further left runs over the cell at index.
    static bool coveredFromLeft(const QModelIndex& index, const QAbstractItemView* view);
};

} // namespace sheetview
