#include "core/platform/ListViewModel.h"

#include <algorithm>

namespace platform {

ListViewModel::ListViewModel(QObject* parent)
    : QAbstractTableModel(parent) {}

int ListViewModel::addColumn(const QString& caption, int widthTwips, const QString& tag) {
    const int index = columns();
    beginInsertColumns({}, index, index);
    m_columns.push_back({caption, widthTwips, tag, {}});
    endInsertColumns();
    return index;
}

void ListViewModel::setColumnIcon(int index, const QString& iconKey) {
    m_columns.at(size_t(index)).iconKey = iconKey;
    emit headerDataChanged(Qt::Horizontal, index, index);
}

bool ListViewModel::lessThan(const Row& a, const Row& b) const {
    static const QString kNone;
    const QString& x = m_sortKey < a.cells.size() ? a.cells[m_sortKey] : kNone;
    const QString& y = m_sortKey < b.cells.size() ? b.cells[m_sortKey] : kNone;
    const int cmp = x.compare(y, Qt::CaseInsensitive);
    return m_sortOrder == 1 ? cmp > 0 : cmp < 0;
}

int ListViewModel::sortedPosition(const Row& row) const {
    // After the last row that does not come after it: equal texts keep their order of arrival.
    const auto it = std::upper_bound(m_rows.begin(), m_rows.end(), row,
                                     [this](const Row& a, const Row& b) { return lessThan(a, b); });
    return int(it - m_rows.begin());
}

int ListViewModel::add(int position, const QString& key, const QString& text) {
    Row row;
    row.key = key;
    row.cells = QStringList(qMax(1, columns()));
    row.cells[0] = text;
    int index = (position <= 0 || position > count()) ? count() : position - 1;
    if (m_sorted)
        index = sortedPosition(row);
    beginInsertRows({}, index, index);
    m_rows.insert(m_rows.begin() + index, std::move(row));
    endInsertRows();
    return index;
}

void ListViewModel::clear() {
    beginResetModel();
    m_rows.clear();
    endResetModel();
    emit selectionChanged();
}

QString ListViewModel::cellText(int row, int column) const {
    const QStringList& cells = m_rows.at(size_t(row)).cells;
    return column >= 0 && column < cells.size() ? cells[column] : QString();
}

void ListViewModel::setCellText(int row, int column, const QString& text) {
    QStringList& cells = m_rows.at(size_t(row)).cells;
    if (column < 0)
        return;
    while (cells.size() <= column)
        cells.append(QString());
    cells[column] = text;
    // A changed text does not move its row, even in sorted mode: only switching the mode on,
    // a new key or order, and new rows bring the order about.
    static const QList<int> kDisplay{Qt::DisplayRole};
    emit dataChanged(index(row, column), index(row, column), kDisplay);
}

int ListViewModel::rowOfKey(const QString& key) const {
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].key == key)
            return int(i);
    }
    return -1;
}

void ListViewModel::setChecked(int row, bool checked) {
    m_rows.at(size_t(row)).checked = checked;
    emit dataChanged(index(row, 0), index(row, 0), {Qt::CheckStateRole});
}

void ListViewModel::setSelected(int row, bool selected) {
    if (m_rows.at(size_t(row)).selected == selected)
        return;
    m_rows[size_t(row)].selected = selected;
    emit selectionChanged();
}

int ListViewModel::selectedRow() const {
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].selected)
            return int(i);
    }
    return -1;
}

void ListViewModel::clearSelection() {
    for (Row& row : m_rows)
        row.selected = false;
    emit selectionChanged();
}

int ListViewModel::findItem(const QString& text) const {
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].cells.front().startsWith(text, Qt::CaseInsensitive))
            return int(i);
    }
    return -1;
}

void ListViewModel::setSortKey(int column) {
    m_sortKey = column;
    if (m_sorted)
        sortRows();
}

void ListViewModel::setSortOrder(int order) {
    m_sortOrder = order == 1 ? 1 : 0;
    if (m_sorted)
        sortRows();
}

void ListViewModel::setSorted(bool on) {
    m_sorted = on;
    if (on)
        sortRows();
}

void ListViewModel::sortRows() {
    emit layoutAboutToBeChanged();
    std::stable_sort(m_rows.begin(), m_rows.end(),
                     [this](const Row& a, const Row& b) { return lessThan(a, b); });
    emit layoutChanged();
    emit selectionChanged();
}

void ListViewModel::setVisible(bool visible) {
    if (m_visible == visible)
        return;
    m_visible = visible;
    emit visibilityChanged(visible);
}

void ListViewModel::setIconProvider(std::function<QVariant(const QString&)> provider) {
    m_iconProvider = std::move(provider);
    if (columns() > 0)
        emit headerDataChanged(Qt::Horizontal, 0, columns() - 1);
}

int ListViewModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

int ListViewModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns();
}

QVariant ListViewModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || size_t(index.row()) >= m_rows.size())
        return {};
    if (role == Qt::DisplayRole)
        return cellText(index.row(), index.column());
    if (role == Qt::CheckStateRole && m_checkBoxes && index.column() == 0)
        return m_rows[size_t(index.row())].checked ? Qt::Checked : Qt::Unchecked;
    return {};
}

bool ListViewModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || !m_checkBoxes || index.column() != 0)
        return false;
    const bool checked = value.toInt() == Qt::Checked;
    setChecked(index.row(), checked);
    emit itemChecked(index.row(), checked);
    return true;
}

Qt::ItemFlags ListViewModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (m_checkBoxes && index.column() == 0)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant ListViewModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columns())
        return {};
    const ListColumn& c = m_columns[size_t(section)];
    switch (role) {
    case Qt::DisplayRole:
        return c.caption;
    case IconKeyRole:
        return c.iconKey;
    case Qt::DecorationRole:
        return m_iconProvider && !c.iconKey.isEmpty() ? m_iconProvider(c.iconKey) : QVariant();
    default:
        return {};
    }
}

} // namespace platform
