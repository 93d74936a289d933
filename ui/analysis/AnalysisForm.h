#pragma once
// The analysis window: chooses the range (or takes the spreadsheet's selection), shows the list of
// all categories with their ticks and the ranked result list, and hosts search, select-all,
// refresh and statistics. Closing it ends the program.

#include "core/analysis/AnalysisUi.h"
#include "core/analysis/CategoryTable.h"
#include "core/analysis/ExcelSession.h"
#include "ui/platform/ListView.h"
#include "core/platform/ListViewModel.h"

#include <QWidget>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace controls {
class ProgressBar;
class ThemedButton;
} // namespace controls

namespace analysis {

class ListEvents;

class AnalysisForm : public QWidget, public AnalysisUi {
    Q_OBJECT

public:
    explicit AnalysisForm(ExcelSession& session, QWidget* parent = nullptr);
    ~AnalysisForm() override;

    // The load steps: lists prepared, and the spreadsheet's selection analysed when it holds more
    // than one value. The window is shown at the end.
    void load();

    CategoryTable& table() { return *m_table; }
    platform::ListViewModel& includedView() { return m_included; }
    platform::ListViewModel& mainListView() { return m_main; }
    QString includeSortDirection = QStringLiteral("A");

    // Event handlers.
    void rangeInput();
    void refresh();
    void search();
    void selectAll();
    void stats();
    void showStatisticsHelp();
    void showHighlightHelp();
    // The report button: writes the report sheet, then the window unloads.
    void reportAction();
    // The double click on IncludedView: highlights the selected row's category.
    void highlightSelected();
    // The "Clear highlight" button.
    void clearHighlight();

    // AnalysisUi
    void setWindowState(int state) override;
    bool askYesNo(const QString& text, const QString& caption) override;
    void endProgram() override;
    void showMessage(const QString& text) override;
    void processEvents() override;
    void keepAnswering() override;
    void setProgressVisible(bool visible) override;
    void setProgress(int value, const QString& caption) override;
    void setCategoriesText(const QString& text) override;
    void setTotalText(const QString& text) override;
    void clearStatistics() override;

signals:
    // The window was closed: the program ends.
    void unloaded();
    // The user chose to end the program (the question before counting many categories).
    void programEnded();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void hideRangeMessages();
    // Shows the label for a refused range; true when the range was taken.
    // addressFirst: the address is shown before the error-cell check (the load's pre-fill) rather
    // than only once every check has passed (range input).
    bool accept(RangeProblem problem, bool addressFirst);
    void analyseTakenRange();
    void setBusyVisible(bool visible);
    // The program lets go of the spreadsheet; a host that keeps a file saves it now.
    void releaseSpreadsheet();

    ExcelSession& m_session;
    platform::ListViewModel m_included;
    platform::ListViewModel m_main;
    std::unique_ptr<CategoryTable> m_table;
    std::unique_ptr<ListEvents> m_events;
    bool m_ended = false;

    platform::ListView* m_includedView = nullptr;
    platform::ListView* m_mainView = nullptr;
    QLineEdit* m_inputRange = nullptr;
    QLineEdit* m_searchText = nullptr;
    QLabel* m_erorCells = nullptr;
    QLabel* m_contiguousMsg = nullptr;
    QLabel* m_anotherWbkMsg = nullptr;
    QLabel* m_nbOfCategories = nullptr;
    QLabel* m_total = nullptr;
    QLabel* m_statsLabel = nullptr;
    controls::ProgressBar* m_progress = nullptr;
    QCheckBox* m_selectAll = nullptr;
    controls::ThemedButton* m_condFormat = nullptr;
    QCheckBox* m_includeChart = nullptr;
    QLabel* m_busy = nullptr;
};

} // namespace analysis
