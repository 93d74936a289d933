#pragma once
// The program's start: the switches of its argument string, attachment to the running
// spreadsheet, the process-wide references, and the single instances of its windows.

#include "ui/analysis/AnalysisForm.h"
#include "core/analysis/ExcelSession.h"
#include "core/analysis/ParetoOptions.h"
#include "ui/sheetview/WorkbookWindow.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <optional>

class QProgressDialog;

class Startup : public QObject {
    Q_OBJECT

public:
    explicit Startup(QObject* parent = nullptr);

    // Runs the switch table on the whole argument string (the arguments joined by single blanks).
    void Main(const QString& argument);
    void AttachToExcel(const QString& argument);
    // "--office-options": the Pareto options of the document the user is in, in the running
    // office, asked for and kept with that document for the analysis started after.
    void ChooseOfficeOptions();
    void OpenHelpPage();
    void OpenContactPage();

    analysis::ExcelSession& session() { return m_session; }
    analysis::AnalysisForm* analysisForm() const { return m_form; }
    // The embedded host's workbook window that was active last, while one is open.
    sheetview::WorkbookWindow* workbookWindow() const { return m_bookWindow; }
    // Every workbook window open.
    QList<sheetview::WorkbookWindow*> workbookWindows() const;

    // How start-up failures reach the user: a message box with the exclamation icon, an OK button
    // and the caption "Tallyvane". Tests put their own.
    std::function<void(const QString&)> showMessage;
    // How a web page is opened; the result is not looked at.
    std::function<void(const char* address)> openAddress;
    // Asks for a workbook file when nothing names one and no spreadsheet is running (a start
    // from the desktop menu); empty when the user cancels.
    std::function<QString()> askWorkbookFile;
    // The running office that the argument "--office" attaches to (the Calc add-on starts the
    // program so); raises excel::Error with what the user can do. Unset in a build without the
    // office backend.
    std::function<std::shared_ptr<excel::Application>()> attachOffice;
    // Asks for the Pareto options, starting from those given (the options dialog); none when the
    // user cancels. Tests put their own.
    std::function<std::optional<analysis::ParetoOptions>(const analysis::ParetoOptions&,
                                                         const QString& workbook)>
        askParetoOptions;
    // Told of the progress window of a workbook being read (tests cancel through it).
    std::function<void(QProgressDialog*)> onOpening;

signals:
    // The program is to end: the workbook window was closed (or, without one, the analysis
    // window), or the user chose to stop.
    void finished();

private:
    // Reads a workbook file for the embedded host on a worker thread, with a progress window
    // whose Cancel stops the read; raises excel::Error (embedded::ReadCancelled on a cancel).
    std::shared_ptr<excel::Application> readInBackground(const QString& path);
    void showWorkbook(const std::shared_ptr<excel::Application>& app,
                      const std::shared_ptr<excel::Workbook>& book);
    void openAnother(const QString& path);
    // The analysis window on a workbook (the start-up flow), or the one open brought forward.
    // The running office (attachOffice), or excel::Error saying why not.
    std::shared_ptr<excel::Application> officeApplication();
    void openAnalysis(const std::shared_ptr<excel::Application>& app,
                      const std::shared_ptr<excel::Workbook>& book);
    // Analysis > Pareto analysis in a workbook window.
    void analyseIn(sheetview::WorkbookWindow* window);
    // File > Quit: the workbook windows close, each asking about its changes.
    void quit();
    // Where the user left a window last, kept in the user's settings under key.
    static void savePlace(QWidget* window, const char* key);
    static void restorePlace(QWidget* window, const char* key, bool withSize);
    static constexpr const char* kAnalysisWindowPlace = "AnalysisWindow/geometry";
    static constexpr const char* kWorkbookWindowPlace = "WorkbookWindow/geometry";
    void windowClosed(sheetview::WorkbookWindow* window);

    analysis::ExcelSession m_session;
    QPointer<analysis::AnalysisForm> m_form;
    QPointer<sheetview::WorkbookWindow> m_bookWindow;
    QList<QPointer<sheetview::WorkbookWindow>> m_bookWindows;
};
