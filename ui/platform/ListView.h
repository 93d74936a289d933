#pragma once
// The list control on screen: a report view of a ListViewModel with grid lines, full-row
// selection, tick boxes, header pictures from an image list, and the list control's hit tests.

#include "core/platform/ListViewModel.h"

#include <QHash>
#include <QIcon>
#include <QTableView>

namespace platform {

class ListView : public QTableView {
    Q_OBJECT

public:
    explicit ListView(QWidget* parent = nullptr);

    void setListModel(ListViewModel* model);
    ListViewModel* listModel() const { return m_model; }
    // The header pictures by key (the image list).
    void setImages(const QHash<QString, QIcon>& images);

    // The row whose first column is under the point (viewport coordinates), or -1.
    int hitTest(const QPoint& point) const;
    // The row under the point over any of its columns, or -1; column receives the column.
    int subItemHitTest(const QPoint& point, int* column = nullptr) const;

private:
    void applyColumnWidths();
    void selectionFromModel();
    void selectionFromView();

    ListViewModel* m_model = nullptr;
    QHash<QString, QIcon> m_images;
    bool m_syncing = false;
};

} // namespace platform
