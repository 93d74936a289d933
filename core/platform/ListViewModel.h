#pragma once
// The list control's data: a report view's columns and rows, as the analysis window's two lists
// use them. Rows have a key, a text, sub-items, a tick and a selected flag; the list can search by
// the start of a row's text, and keeps itself sorted by one column while its sorted flag is on.
// It is a Qt table model, so that a view shows it, and works without any widget.

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>

namespace platform {

struct ListColumn {
    QString caption;
    int width = 0; // twips
    QString tag;
    QString iconKey; // a key of the view's image list, or empty for no icon
};

class ListViewModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // The key of the header icon, for views (an image list maps it to a picture).
    static constexpr int IconKeyRole = Qt::UserRole + 1;

    explicit ListViewModel(QObject* parent = nullptr);

    // Columns.
    int addColumn(const QString& caption, int widthTwips = 0, const QString& tag = {});
    int columns() const { return int(m_columns.size()); }
    const ListColumn& column(int index) const { return m_columns.at(size_t(index)); }
    void setColumnIcon(int index, const QString& iconKey);
    void setCheckBoxes(bool on) { m_checkBoxes = on; }
    bool checkBoxes() const { return m_checkBoxes; }

    // Rows, counted from 0. position counts from 1 as the list control does: 1 puts the row at
    // the top, 0 or a position past the end at the bottom. In sorted mode the row goes where the
    // order puts it. Returns the row's index.
    int add(int position, const QString& key, const QString& text);
    void clear();
    int count() const { return int(m_rows.size()); }
    const QString& key(int row) const { return m_rows.at(size_t(row)).key; }
    const QString& text(int row) const { return m_rows.at(size_t(row)).cells.front(); }
    void setText(int row, const QString& text) { setCellText(row, 0, text); }
    // Sub-items count from 1 (the row's own text is cell 0).
    QString subItem(int row, int index) const { return cellText(row, index); }
    void setSubItem(int row, int index, const QString& text) { setCellText(row, index, text); }
    QString cellText(int row, int column) const;
    void setCellText(int row, int column, const QString& text);
    int rowOfKey(const QString& key) const;

    bool checked(int row) const { return m_rows.at(size_t(row)).checked; }
    void setChecked(int row, bool checked);
    bool selected(int row) const { return m_rows.at(size_t(row)).selected; }
    void setSelected(int row, bool selected);
    // The first selected row, or -1.
    int selectedRow() const;
    void clearSelection();

    // The first row whose text begins with text, ignoring letter case; -1 when none does.
    int findItem(const QString& text) const;

    // Sorting: the key column (from 0), the order (0 ascending, 1 descending) and the sorted flag.
    // Switching the flag on sorts at once by the key column's texts; while it is on, a change of
    // order or key sorts again and new rows go to their place. Changing a text moves no row.
    // Texts compare without regard to case; equal texts keep their order.
    int sortKey() const { return m_sortKey; }
    void setSortKey(int column);
    int sortOrder() const { return m_sortOrder; }
    void setSortOrder(int order);
    bool sorted() const { return m_sorted; }
    void setSorted(bool on);

    bool isVisible() const { return m_visible; }
    void setVisible(bool visible);

    // How views get a header picture for an icon key (set by the view that owns the images).
    void setIconProvider(std::function<QVariant(const QString& key)> provider);

    // QAbstractTableModel
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    void visibilityChanged(bool visible);
    void selectionChanged();
    // A tick changed through a view (not through setChecked).
    void itemChecked(int row, bool checked);

private:
    struct Row {
        QString key;
        QStringList cells; // cell 0 is the row's text
        bool checked = false;
        bool selected = false;
    };

    void sortRows();
    bool lessThan(const Row& a, const Row& b) const;
    int sortedPosition(const Row& row) const;

    std::deque<Row> m_rows;
    std::vector<ListColumn> m_columns;
    bool m_checkBoxes = false;
    int m_sortKey = 0;
    int m_sortOrder = 0;
    bool m_sorted = false;
    bool m_visible = true;
    std::function<QVariant(const QString&)> m_iconProvider;
};

} // namespace platform
