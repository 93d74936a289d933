#include "ui/platform/SheetGridModel.h"

#include "excel/CellFormat.h"
#include "excel/FormatConditions.h"
#include "excel/TextForm.h"

#include <QBrush>
#include <QColor>
#include <QFont>

namespace platform {

namespace {

QColor rgb(int value) {
    return QColor((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
}

} // namespace

SheetGridModel::SheetGridModel(QObject* parent, Extent extent)
    : QAbstractTableModel(parent)
    , m_extent(extent) {}

void SheetGridModel::setSheet(std::shared_ptr<excel::Worksheet> sheet) {
    beginResetModel();
    m_sheet = std::move(sheet);
    if (m_extent == Extent::WholeSheet) {
        m_rows = excel::kMaxRows;
        m_columns = excel::kMaxColumns;
    } else {
        // The used part of the sheet and a margin beyond it, so that a range can reach past the
        // data.
        const excel::CellRect used = m_sheet->usedRect();
        m_rows = std::min(excel::kMaxRows, std::max(used.bottom + 50, 100));
        m_columns = std::min(excel::kMaxColumns, std::max(used.right + 5, 26));
    }
    endResetModel();
}

void SheetGridModel::reach(int row, int column) {
    if (m_extent != Extent::Growing || !m_sheet)
        return;
    const int rows = std::min(excel::kMaxRows, row + 50);
    if (rows > m_rows) {
        beginInsertRows({}, m_rows, rows - 1);
        m_rows = rows;
        endInsertRows();
    }
    const int columns = std::min(excel::kMaxColumns, column + 5);
    if (columns > m_columns) {
        beginInsertColumns({}, m_columns, columns - 1);
        m_columns = columns;
        endInsertColumns();
    }
}

void SheetGridModel::refresh() {
    if (m_rows > 0 && m_columns > 0)
        emit dataChanged(index(0, 0), index(m_rows - 1, m_columns - 1));
}

int SheetGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int SheetGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_columns;
}

QString SheetGridModel::shownText(int row, int column) const {
    const excel::Variant value = m_sheet->cellValue(row, column);
    const QString& format = m_sheet->cellFormat(row, column).numberFormat;
    return format.isEmpty() ? excel::textForm(value) : excel::shownText(value, format);
}

int SheetGridModel::ruleFill(int row, int column) const {
    // Painting never reads the workbook file again for rules nobody has touched.
    if (!m_sheet->conditionalFormatsAtHand())
        return -1;
    QString shown;
    bool read = false;
    for (const auto& rule : m_sheet->conditionalFormats()) {
        if (rule->fillColor < 0 || rule->type != excel::kTextString ||
            rule->textOperator != excel::kContains)
            continue;
        for (const excel::CellRect& r : rule->ranges) {
            if (!r.contains(row, column))
                continue;
            if (!read) { // the cell's text only for cells a rule covers
                shown = excel::textForm(m_sheet->cellValue(row, column));
                read = true;
            }
            // "Contains" as the spreadsheet's rule reads it: in the cell's value as text (not
            // as its number format shows it), the form the analysis gives its categories;
            // without regard to case; an empty cell contains nothing.
            if (!shown.isEmpty() && shown.contains(rule->text, Qt::CaseInsensitive))
                return rule->fillColor;
        }
    }
    return -1;
}

QVariant SheetGridModel::data(const QModelIndex& index, int role) const {
    if (!m_sheet || !index.isValid())
        return {};
    const int row = index.row() + 1;
    const int column = index.column() + 1;
    switch (role) {
    case Qt::DisplayRole:
        ++m_reads;
        return shownText(row, column);
    case kEmptyRole:
        return m_sheet->cellValue(row, column).isEmpty();
    case Qt::TextAlignmentRole: {
        const excel::CellFormat format = m_sheet->cellFormat(row, column);
        int horizontal = Qt::AlignLeft;
        if (format.horizontalAlignment == excel::kAlignCenter) {
            horizontal = Qt::AlignHCenter;
        } else if (format.horizontalAlignment == excel::kAlignRight) {
            horizontal = Qt::AlignRight;
        } else if (format.horizontalAlignment == excel::kAlignGeneral) {
            // General: numbers and dates to the right, logical and error values centred.
            const excel::Variant value = m_sheet->cellValue(row, column);
            if (value.isNumber() || value.isDate())
                horizontal = Qt::AlignRight;
            else if (value.isBoolean() || value.isError())
                horizontal = Qt::AlignHCenter;
        }
        return QVariant::fromValue(Qt::Alignment(horizontal) | Qt::AlignBottom);
    }
    case Qt::FontRole: {
        const excel::CellFormat format = m_sheet->cellFormat(row, column);
        if (!format.bold && format.fontName.isEmpty())
            return {};
        QFont font = m_font;
        if (!format.fontName.isEmpty())
            font.setFamily(format.fontName);
        font.setBold(format.bold);
        return font;
    }
    case Qt::ForegroundRole: {
        const int color = m_sheet->cellFormat(row, column).fontColor;
        return color >= 0 ? QVariant(QBrush(rgb(color))) : QVariant();
    }
    case Qt::BackgroundRole: {
        const int fill = ruleFill(row, column);
        if (fill >= 0)
            return QBrush(rgb(fill));
        const int own = m_sheet->cellFormat(row, column).fillColor;
        return own >= 0 ? QVariant(QBrush(rgb(own))) : QVariant();
    }
    default:
        return {};
    }
}

QVariant SheetGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    return orientation == Qt::Horizontal ? excel::columnLetters(section + 1)
                                         : QString::number(section + 1);
}

} // namespace platform
