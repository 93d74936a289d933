#include "ui/sheetview/GridKeys.h"

#include "excel/Worksheet.h"
#include "ui/platform/SheetGridModel.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>

namespace sheetview {

GridKeys::GridKeys(QTableView* grid, platform::SheetGridModel* model, QLineEdit* nameBox,
                   std::function<void(const QString&)> showStatus,
                   std::function<bool(const QString&)> showSheet)
    : QObject(grid)
    , m_grid(grid)
    , m_model(model)
    , m_nameBox(nameBox)
    , m_showStatus(std::move(showStatus))
    , m_showSheet(std::move(showSheet)) {
    grid->installEventFilter(this);
    connect(nameBox, &QLineEdit::returnPressed, this, [this] {
        if (goTo(m_nameBox->text()))
            m_grid->setFocus();
    });
}

excel::CellRect GridKeys::edge(const excel::Worksheet& sheet, int row, int column, int rowStep,
                               int columnStep) {
    const excel::CellRect used = sheet.usedRect();
    const auto inside = [](int r, int c) {
        return r >= 1 && r <= excel::kMaxRows && c >= 1 && c <= excel::kMaxColumns;
    };
    const auto filled = [&](int r, int c) {
        return r >= used.top && r <= used.bottom && c >= used.left && c <= used.right &&
               !sheet.cellValue(r, c).isEmpty();
    };
    // The sheet's own edge in this direction.
    const int lastRow = rowStep > 0 ? excel::kMaxRows : rowStep < 0 ? 1 : row;
    const int lastColumn = columnStep > 0 ? excel::kMaxColumns : columnStep < 0 ? 1 : column;
    int r = row + rowStep;
    int c = column + columnStep;
    if (!inside(r, c))
        return excel::CellRect::cell(row, column);
    if (filled(row, column) && filled(r, c)) {
        // Along the block of data to its last cell.
        while (inside(r + rowStep, c + columnStep) && filled(r + rowStep, c + columnStep)) {
            r += rowStep;
            c += columnStep;
        }
        return excel::CellRect::cell(r, c);
    }
    // To the next cell with data; past the used block there is none.
    while (inside(r, c) && !filled(r, c)) {
        const bool beyond = (rowStep > 0 && r > used.bottom) || (rowStep < 0 && r < used.top) ||
                            (columnStep > 0 && c > used.right) || (columnStep < 0 && c < used.left);
        if (beyond)
            return excel::CellRect::cell(lastRow, lastColumn);
        r += rowStep;
        c += columnStep;
    }
    return inside(r, c) ? excel::CellRect::cell(r, c) : excel::CellRect::cell(lastRow, lastColumn);
}

void GridKeys::goTo(int row, int column, bool extend) {
    m_model->reach(row, column);
    const QModelIndex target = m_model->index(row - 1, column - 1);
    if (!target.isValid())
        return;
    QItemSelectionModel* selection = m_grid->selectionModel();
    if (extend) {
        const QModelIndex anchor = selection->currentIndex().isValid() ? selection->currentIndex()
                                                                       : m_model->index(0, 0);
        // The anchor stays where the selection began: the corner of its first block across
        // from the cursor.
        const QItemSelection now = selection->selection();
        const QItemSelectionRange first = now.isEmpty() ? QItemSelectionRange(anchor) : now.front();
        const int anchorRow = first.top() == anchor.row() ? first.bottom() : first.top();
        const int anchorColumn = first.left() == anchor.column() ? first.right() : first.left();
        const QModelIndex from = m_model->index(anchorRow, anchorColumn);
        selection->select(QItemSelection(from, target), QItemSelectionModel::ClearAndSelect);
        selection->setCurrentIndex(target, QItemSelectionModel::NoUpdate);
    } else {
        selection->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
    }
    m_grid->scrollTo(target);
    showPlace();
}

bool GridKeys::goTo(const QString& reference) {
    const auto parsed = excel::parseReference(reference.trimmed());
    if (!parsed || parsed->areas.isEmpty() || !parsed->book.isEmpty() ||
        (!parsed->sheet.isEmpty() && !m_showSheet(parsed->sheet))) {
        m_showStatus(QStringLiteral("\"%1\" is no cell or range of this workbook; type one such "
                                    "as B12, C:C or 'Defect log'!A1:A20.")
                         .arg(reference.trimmed()));
        return false;
    }
    const excel::CellRect r = parsed->areas.front();
    goTo(r.top, r.left);
    if (r.cellCount() > 1) {
        m_model->reach(std::min(r.bottom, r.top + 1000), std::min(r.right, r.left + 100));
        const int bottom = std::min(r.bottom, m_model->rowCount());
        const int right = std::min(r.right, m_model->columnCount());
        m_grid->selectionModel()->select(
            QItemSelection(m_model->index(r.top - 1, r.left - 1),
                           m_model->index(bottom - 1, right - 1)),
            QItemSelectionModel::ClearAndSelect);
    }
    showPlace();
    return true;
}

void GridKeys::showPlace() {
    const QItemSelection selection = m_grid->selectionModel()->selection();
    const QModelIndex current = m_grid->selectionModel()->currentIndex();
    if (selection.size() == 1 && (selection.front().height() > 1 || selection.front().width() > 1)) {
        const QItemSelectionRange& r = selection.front();
        m_nameBox->setText(excel::formatRect({r.top() + 1, r.left() + 1, r.bottom() + 1,
                                              r.right() + 1},
                                             false, false));
    } else if (current.isValid()) {
        m_nameBox->setText(excel::formatRect(
            excel::CellRect::cell(current.row() + 1, current.column() + 1), false, false));
    }
}

bool GridKeys::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_grid || event->type() != QEvent::KeyPress || !m_model->sheet())
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const bool ctrl = key->modifiers() & Qt::ControlModifier;
    const bool shift = key->modifiers() & Qt::ShiftModifier;
    const QModelIndex current = m_grid->selectionModel()->currentIndex();
    const int row = current.isValid() ? current.row() + 1 : 1;
    const int column = current.isValid() ? current.column() + 1 : 1;
    if (ctrl && key->key() == Qt::Key_Home) {
        goTo(1, 1, shift);
        return true;
    }
    if (ctrl && key->key() == Qt::Key_End) {
        const excel::CellRect used = m_model->sheet()->usedRect();
        goTo(used.bottom, used.right, shift);
        return true;
    }
    if (ctrl && key->key() == Qt::Key_G) {
        m_nameBox->setFocus();
        m_nameBox->selectAll();
        return true;
    }
    if (ctrl) {
        int rowStep = 0, columnStep = 0;
        switch (key->key()) {
        case Qt::Key_Down: rowStep = 1; break;
        case Qt::Key_Up: rowStep = -1; break;
        case Qt::Key_Right: columnStep = 1; break;
        case Qt::Key_Left: columnStep = -1; break;
        default: return false;
        }
        const excel::CellRect to = edge(*m_model->sheet(), row, column, rowStep, columnStep);
        goTo(to.top, to.left, shift);
        return true;
    }
    const QString text = key->text();
    if (!text.isEmpty() && text.front().isPrint() && !(key->modifiers() & Qt::AltModifier)) {
        m_showStatus(QStringLiteral("The cells are read-only here: change them in your "
                                    "spreadsheet program. The analysis writes its report and "
                                    "highlight into this workbook."));
        return true;
    }
    return false;
}

} // namespace sheetview
