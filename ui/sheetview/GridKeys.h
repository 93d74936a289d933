#pragma once
// The keys a spreadsheet user reaches for in the workbook window's grid: Ctrl+Home to A1,
// Ctrl+End to the last used cell, Ctrl+arrows to the edge of the data (with Shift, selecting to
// it), and the name box above the grid, which shows where the cursor is and goes to a reference
// typed into it (Ctrl+G puts the cursor there). Typing into a cell is answered in the status bar:
// the cells are not edited here.

#include "excel/CellRef.h"

#include <QObject>
#include <functional>
#include <memory>

class QLineEdit;
class QTableView;

namespace excel {
class Worksheet;
}
namespace platform {
class SheetGridModel;
}

namespace sheetview {

class GridKeys : public QObject {
    Q_OBJECT

public:
    // showStatus tells the user something in the window's status bar; showSheet brings the sheet
    // of that name to the front (false when there is none).
    GridKeys(QTableView* grid, platform::SheetGridModel* model, QLineEdit* nameBox,
             std::function<void(const QString&)> showStatus,
             std::function<bool(const QString& sheet)> showSheet);

    // Puts the cursor on the cell (from 1), selecting from the anchor when extend is set, and
    // shows it; the model grows to hold it.
    void goTo(int row, int column, bool extend = false);
    // Goes to a reference typed by the user ("B12", "C:C", "'Defect log'!A1:A20"); false, with a
    // word in the status bar, when it does not read.
    bool goTo(const QString& reference);
    // Where Ctrl+arrow goes from the cell: the data's edge in that direction.
    static excel::CellRect edge(const excel::Worksheet& sheet, int row, int column, int rowStep,
                                int columnStep);
    // The name box shows the cursor's cell (or the selection's block).
    void showPlace();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTableView* m_grid;
    platform::SheetGridModel* m_model;
    QLineEdit* m_nameBox;
    std::function<void(const QString&)> m_showStatus;
    std::function<bool(const QString&)> m_showSheet;
};

} // namespace sheetview
