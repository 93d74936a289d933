#include "ui/sheetview/CellDelegate.h"

#include "ui/platform/SheetGridModel.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QTableView>

namespace sheetview {

namespace {

const QColor kGridline(0xD4, 0xD4, 0xD4);
const QColor kSelection(0x21, 0x73, 0x46);
constexpr int kPadding = 3;
// How far back a cell looks for a text that runs over it.
constexpr int kLookBack = 30;

bool isEmpty(const QModelIndex& cell) {
    return cell.data(platform::SheetGridModel::kEmptyRole).toBool();
}

bool isEmptyPlain(const QModelIndex& cell) {
    return cell.isValid() && isEmpty(cell) && !cell.data(Qt::BackgroundRole).isValid();
}

// A text that may run on: left-aligned (text cells of the General alignment are).
bool runsOn(const QModelIndex& index) {
    const auto align = Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt());
    return !(align & (Qt::AlignRight | Qt::AlignHCenter));
}

int widthOf(const QAbstractItemView* view, int column) {
    const auto* table = qobject_cast<const QTableView*>(view);
    return table ? table->columnWidth(column) : 0;
}

} // namespace

int CellDelegate::textReach(const QStyleOptionViewItem& option, const QModelIndex& index,
                            const QAbstractItemView* view, const QString& text) {
    const int own = widthOf(view, index.column());
    if (text.isEmpty() || !runsOn(index))
        return own;
    QFont font = option.font;
    if (const QVariant f = index.data(Qt::FontRole); f.isValid())
        font = f.value<QFont>();
    const int needed = QFontMetrics(font).horizontalAdvance(text) + 2 * kPadding;
    int reach = own;
    for (int c = index.column() + 1; reach < needed && c < index.model()->columnCount(); ++c) {
        if (!isEmptyPlain(index.siblingAtColumn(c)))
            break;
        reach += widthOf(view, c);
    }
    return std::min(reach, std::max(own, needed));
}

bool CellDelegate::coveredFromLeft(const QModelIndex& index, const QAbstractItemView* view) {
    int distance = 0;
    for (int c = index.column() - 1; c >= 0 && index.column() - c <= kLookBack; --c) {
        const QModelIndex left = index.siblingAtColumn(c);
        distance += widthOf(view, c);
        if (isEmpty(left)) {
            if (left.data(Qt::BackgroundRole).isValid())
                return false;
            continue;
        }
        QStyleOptionViewItem option;
        option.font = view->font();
        return textReach(option, left, view, left.data(Qt::DisplayRole).toString()) > distance;
    }
    return false;
}

void CellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    const QAbstractItemView* view = qobject_cast<const QAbstractItemView*>(option.widget);
    const QRect cell = option.rect;
    const QVariant fill = index.data(Qt::BackgroundRole);
    if (fill.isValid())
        painter->fillRect(cell, fill.value<QBrush>());
    const QString text = index.data(Qt::DisplayRole).toString();
    const int reach = view ? textReach(option, index, view, text) : cell.width();
    // The gridlines: the right one gives way where a text runs on into the next cell.
    painter->setPen(kGridline);
    painter->drawLine(cell.bottomLeft(), cell.bottomRight());
    const bool textRunsPast = reach > cell.width();
    bool coveredRunsPast = false;
    if (text.isEmpty() && view && !fill.isValid() && coveredFromLeft(index, view)) {
        // Covered by a text from the left: does that text go on past this cell too?
        const QModelIndex next = index.siblingAtColumn(index.column() + 1);
        coveredRunsPast = next.isValid() && isEmptyPlain(next) && coveredFromLeft(next, view);
    }
    if (!textRunsPast && !coveredRunsPast)
        painter->drawLine(cell.topRight(), cell.bottomRight());
    if (!text.isEmpty()) {
        painter->save();
        const QVariant font = index.data(Qt::FontRole);
        painter->setFont(font.isValid() ? font.value<QFont>() : option.font);
        const QVariant color = index.data(Qt::ForegroundRole);
        painter->setPen(color.isValid() ? color.value<QBrush>().color() : QColor(Qt::black));
        const auto align = Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt());
        const QRect area(cell.left() + kPadding, cell.top(), reach - 2 * kPadding, cell.height());
        painter->setClipRect(QRect(cell.left(), cell.top(), reach, cell.height()));
        painter->drawText(area, int(align | Qt::TextSingleLine), text);
        painter->restore();
    }
    // The selection: a light tint over plain cells, a frame round filled ones (a highlighted
    // cell stays its colour).
    if (option.state & QStyle::State_Selected) {
        if (fill.isValid()) {
            painter->setPen(QPen(kSelection, 2));
            painter->drawRect(cell.adjusted(1, 1, -1, -1));
        } else {
            QColor tint = kSelection;
            tint.setAlpha(0x38);
            painter->fillRect(cell, tint);
        }
    }
}

} // namespace sheetview
