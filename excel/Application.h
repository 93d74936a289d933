#pragma once
// The running spreadsheet application as the object model shows it: the active workbook and sheet,
// the selection, references, and the worksheet functions the analysis calls.

#include "excel/ApplicationBackend.h"
#include "excel/Range.h"
#include "excel/Variant.h"
#include "excel/Workbook.h"

#include <QString>
#include <QVector>
#include <functional>
#include <vector>
#include <memory>
#include <optional>

namespace excel {

class Application : public ApplicationBackend {
public:
    virtual ~Application() = default;

    // Null when no workbook is open.
    virtual std::shared_ptr<Workbook> ActiveWorkbook() = 0;
    std::shared_ptr<Worksheet> ActiveSheet();
    // The active sheet's selection; none when nothing that is a range is selected.
    virtual std::optional<excel::Range> Selection() = 0;
    SheetCollection Worksheets();
    SheetCollection Sheets();
    // A reference with or without a sheet (and book) prefix; without one it means the active sheet.
    excel::Range Range(const QString& reference);
    // The cells and the rows of the active sheet, as the sheet's own Cells and Rows give them.
    excel::Range Cells() { return ActiveSheet()->Cells(); }
    excel::Range Cells(int row, int column) { return ActiveSheet()->Cells(row, column); }
    excel::Range Rows() { return ActiveSheet()->Rows(); }
    // The cells common to both ranges; none when they share no cell. Both must be on one sheet.
    std::optional<excel::Range> Intersect(const excel::Range& a, const excel::Range& b) const;

    // Worksheet functions, evaluated by the application with its own rules.
    virtual double CountA(const excel::Range& range) = 0;
    virtual double CountIf(const excel::Range& range, const Variant& criteria) = 0;
    // COUNTIF of one range for each of several criteria, in their order: what a loop of CountIf
    // calls gives. A backend for which one call costs far more than one count serves the list
    // at once; a criterion it cannot count gives NaN, as a refused CountIf would raise.
    virtual QVector<double> countIfEach(const excel::Range& range,
                                        const QVector<Variant>& criteria);
    double Max(const excel::Range& range);
    double Max(const QVector<Variant>& values);

    virtual QString Caption() const = 0;

    // Screen updating only matters to a spreadsheet that draws; it is kept so callers can
    // restore it.
    bool ScreenUpdating() const { return m_screenUpdating; }
    void setScreenUpdating(bool on) { m_screenUpdating = on; }
    // CommandBars(name).Visible: the spreadsheet's panes. Nothing to show here; accepted.
    void setCommandBarVisible(const QString& name, bool visible);
    // The chart selected or activated last on the active sheet.
    excel::Chart ActiveChart();

    // The host keeps what a completed action changed: a host that saves a workbook file at the
    // end saves the state of the last completed action, never one left halfway by a failure.
    virtual void completeAction() {}
    // An action failed halfway. A host that keeps a file may drop what the action changed; it
    // says so in a sentence for the user (empty when it keeps everything, as a spreadsheet on
    // screen does).
    virtual QString abandonAction() { return {}; }
    // The program ends: a host that saves files saves now. Raises excel::Error when it cannot.
    virtual void endSession() {}
    // What shows the workbooks (the workbook window) hears when an action has ended, completed
    // or abandoned, to draw what it changed.
    void addActionListener(std::function<void()> listener) {
        m_actionListeners.push_back(std::move(listener));
    }

    // The range input box (type 8). The host serves it through the handler; a cancelled box gives
    // none. Other types are not offered.
    using RangeInputHandler = std::function<std::optional<excel::Range>(
        Application& app, const QString& prompt, const QString& title)>;
    std::optional<excel::Range> InputBox(const QString& prompt, const QString& title = {},
                                         int type = 8);
    void setRangeInputHandler(RangeInputHandler handler) { m_rangeInput = std::move(handler); }
    // Whether the host serves the input box already (an office asks in its own window).
    bool hasRangeInputHandler() const { return bool(m_rangeInput); }

    // Brings the spreadsheet's main window to the front (the user is about to work in it): the
    // window of this program that shows the workbooks, through the handler, else the host's
    // own window (an office's frame); nothing where there is neither.
    void ActivateMainWindow() {
        if (m_activateWindow)
            m_activateWindow();
        else
            activateOwnWindow();
    }
    void setMainWindowActivator(std::function<void()> activate) {
        m_activateWindow = std::move(activate);
    }

protected:
    virtual void activateOwnWindow() {}
    void actionEnded() {
        for (const auto& listener : m_actionListeners)
            listener();
    }

private:
    RangeInputHandler m_rangeInput;
    std::function<void()> m_activateWindow;
    std::vector<std::function<void()>> m_actionListeners;
    bool m_screenUpdating = true;
};

} // namespace excel
