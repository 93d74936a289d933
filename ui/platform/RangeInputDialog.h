#pragma once
// The workbook host's range input box: a prompt, a reference field that takes what the
// spreadsheet's own box takes (A1:A500, B:B, Sheet1!$B$2:$B$90, 'My sheet'!B2:B9), and a grid of
// the sheet with its sheet tabs, where a range is chosen with the mouse. The grid reads cells only
// as they come into view, so a sheet of a million rows opens at once.

#include "excel/Application.h"

#include <QDialog>
#include <optional>
#include <vector>

class QLineEdit;
class QTabBar;
class QVBoxLayout;
class QTableView;

namespace platform {

class SheetGridModel;

class RangeInputDialog : public QDialog {
    Q_OBJECT

public:
    RangeInputDialog(excel::Application& app, const QString& prompt, const QString& title,
                     QWidget* parent = nullptr);

    // The box over a sheet shown elsewhere (the workbook window's grid): a selection there fills
    // the reference.
    RangeInputDialog(excel::Application& app, const QString& prompt, const QString& title,
                     QTableView* sheetGrid, SheetGridModel* sheetModel, QWidget* parent);

    // Shows the box and waits; none when the user cancels.
    static std::optional<excel::Range> ask(excel::Application& app, const QString& prompt,
                                           const QString& title);
    // Shows the small box over the sheet grid, lets the user select there, and waits.
    static std::optional<excel::Range> pickIn(excel::Application& app, const QString& prompt,
                                              const QString& title, QTableView* sheetGrid,
                                              SheetGridModel* sheetModel, QWidget* parent);
    std::optional<excel::Range> range() const { return m_range; }

    void accept() override;

private:
    QVBoxLayout* buildBox(const QString& prompt, const QString& title);
    void showSheet(int index);
    void referenceFromGrid();

    excel::Application& m_app;
    std::shared_ptr<excel::Workbook> m_book;
    QLineEdit* m_reference;
    QTabBar* m_tabs;
    std::vector<int> m_sheetOfTab; // the sheet (from 1) each tab shows
    QTableView* m_grid;
    SheetGridModel* m_model;
    std::optional<excel::Range> m_range;
    std::optional<excel::Range> m_picked; // selected in a grid, with the text that shows it
    QString m_pickedText;
};

} // namespace platform
