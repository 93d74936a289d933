#include "ui/platform/ListView.h"

#include <QHeaderView>

namespace platform {

ListView::ListView(QWidget* parent)
    : QTableView(parent) {
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    // Tab moves on to the next control, as in a list view; the arrow keys move in the list.
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setHighlightSections(false);
    // A header click sorts (or does nothing); it does not select a column, which in a list of
    // whole rows would leave a row selected that nobody clicked.
    disconnect(horizontalHeader(), &QHeaderView::sectionPressed, this, nullptr);
    disconnect(horizontalHeader(), &QHeaderView::sectionEntered, this, nullptr);
}

void ListView::setListModel(ListViewModel* model) {
    m_model = model;
    setModel(model);
    model->setIconProvider([this](const QString& key) -> QVariant {
        const auto it = m_images.constFind(key);
        return it != m_images.constEnd() ? QVariant(it.value()) : QVariant();
    });
    connect(model, &ListViewModel::visibilityChanged, this, &QWidget::setVisible);
    connect(model, &ListViewModel::selectionChanged, this, &ListView::selectionFromModel);
    connect(model, &QAbstractItemModel::columnsInserted, this, &ListView::applyColumnWidths);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ListView::selectionFromView);
    applyColumnWidths();
}

void ListView::setImages(const QHash<QString, QIcon>& images) {
    m_images = images;
    if (m_model && m_model->columns() > 0)
        emit m_model->headerDataChanged(Qt::Horizontal, 0, m_model->columns() - 1);
}

void ListView::applyColumnWidths() {
    // Widths are kept in twips: 1440 to the inch, scaled with the screen's logical dpi.
    for (int c = 0; c < m_model->columns(); ++c) {
        const int twips = m_model->column(c).width;
        if (twips > 0)
            setColumnWidth(c, twips * logicalDpiX() / 1440);
    }
}

int ListView::subItemHitTest(const QPoint& point, int* column) const {
    const QModelIndex index = indexAt(point);
    if (column)
        *column = index.isValid() ? index.column() : -1;
    return index.isValid() ? index.row() : -1;
}

int ListView::hitTest(const QPoint& point) const {
    int column = -1;
    const int row = subItemHitTest(point, &column);
    return column == 0 ? row : -1;
}

void ListView::selectionFromModel() {
    if (m_syncing)
        return;
    m_syncing = true;
    const int row = m_model->selectedRow();
    if (row < 0)
        selectionModel()->clearSelection();
    else
        selectionModel()->select(m_model->index(row, 0),
                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_syncing = false;
}

void ListView::selectionFromView() {
    if (m_syncing)
        return;
    m_syncing = true;
    const QModelIndexList rows = selectionModel()->selectedRows();
    for (int r = 0; r < m_model->count(); ++r)
        m_model->setSelected(r, false);
    for (const QModelIndex& index : rows)
        m_model->setSelected(index.row(), true);
    m_syncing = false;
}

} // namespace platform
