#pragma once
// The workbook window of this program's own host: the workbook on screen as the spreadsheet shows it, with
// a tab for each sheet the user can see, the grid of the sheet (cells read only as they come into
// view), and what the analysis does drawn as it happens: after every action the window shows the
// workbook's active sheet again and repaints the cells in view, so that a highlight appears in
// the sheet and a new report sheet comes to the front. It saves as a spreadsheet does: only when
// the user says so (File > Save, Save As), and it asks before closing with unsaved changes.

#include "core/analysis/ParetoOptions.h"
#include "excel/Application.h"

#include <QMainWindow>
#include <QPoint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class QLineEdit;
class QTabBar;
class QTableView;

namespace platform {
class SheetGridModel;
}
namespace sheetview {

class ChartWidget;
class GridKeys;

class WorkbookWindow : public QMainWindow {
    Q_OBJECT

public:
    WorkbookWindow(std::shared_ptr<excel::Application> app, std::shared_ptr<excel::Workbook> book,
                   QWidget* parent = nullptr);
    ~WorkbookWindow() override;

    QTableView* grid() const { return m_grid; }
    QLineEdit* nameBox() const { return m_nameBox; }
    GridKeys* keys() const { return m_keys; }
    QTabBar* tabs() const { return m_tabs; }
    platform::SheetGridModel* model() const { return m_model; }
    // The charts of the sheet shown, over its cells.
    const std::vector<ChartWidget*>& charts() const { return m_charts; }
    const std::shared_ptr<excel::Workbook>& workbook() const { return m_book; }
    const std::shared_ptr<excel::Application>& application() const { return m_app; }
    // Shows the workbook as it is now: its sheets, its active sheet, the cells in view.
    void sync();

    // Saving, through the object model. Each gives whether the workbook is saved (a failure is
    // said to the user, and the file on disk stays as it was).
    bool save();
    bool saveAs();

    // How the window asks and tells; tests put their own. The name for Save As (empty when the
    // user cancels), given a proposal; whether to save before closing (QMessageBox::Save,
    // Discard or Cancel); a failure.
    std::function<QString(const QString& proposed)> askFileName;
    std::function<int(const QString& question)> askSaveChanges;
    std::function<void(const QString& text)> showMessage;
    // The workbook file to open from File > Open (empty when the user cancels).
    std::function<QString()> askOpenFile;
    // Analysis > Pareto options: the options the user chose from these (none: cancelled).
    std::function<std::optional<analysis::ParetoOptions>(const analysis::ParetoOptions&)>
        askParetoOptions;
    // File > Export chart: the picture file (.png, .svg, .pdf); empty when the user cancels.
    std::function<QString()> askChartFile;

signals:
    void closed();
    // The window became the active one.
    void activated();
    // File > Open (or Recent files) chose another workbook: it opens in a window of its own.
    void openRequested(const QString& path);
    // Analysis > Pareto analysis: the analysis window on this workbook, with its selection.
    void analysisRequested();
    // File > Quit: every workbook window closes (each asking about its changes), then the
    // program ends.
    void quitRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildMenus();
    // File > Export chart: the charts of the sheet shown, as one picture.
    void exportCharts();
    void showTab(int tab);
    void selectionChanged();
    void applyColumnWidths();
    void showCharts();
    void placeCharts();
    std::vector<excel::Variant> valuesOf(const QString& reference) const;

    std::shared_ptr<excel::Application> m_app;
    std::shared_ptr<excel::Workbook> m_book;
    double m_points = 11; // the size of the standard font
    QTableView* m_grid;
    QTabBar* m_tabs;
    platform::SheetGridModel* m_model;
    std::vector<std::shared_ptr<excel::Worksheet>> m_sheetOfTab;
    std::vector<ChartWidget*> m_charts;
    QLineEdit* m_nameBox;
    GridKeys* m_keys = nullptr;
    std::map<const excel::Worksheet*, QPoint> m_scrollOf;
    bool m_syncing = false;
    bool m_applying = false; // the window itself sets the grid's selection
};

} // namespace sheetview
