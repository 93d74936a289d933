#pragma once
// The report action: a new worksheet in the spreadsheet's active workbook holding the result list
// as a formatted table and, on request, a Pareto chart of it. The steps are the window's members
// of the same names; runReport() runs them in order, as the report button does.

#include "core/analysis/ParetoColumns.h"
#include "core/analysis/ParetoResult.h"
#include "excel/Application.h"
#include "core/platform/ListViewModel.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace report {

// The temporary names through which the chart reads the table.
inline constexpr const char* kLabelsName = "LabelsPareto";
inline constexpr const char* kShareName = "Y1_Pareto";
inline constexpr const char* kCumulativeName = "Y2_Pareto";
inline constexpr const char* kCutOffName = "Y3_Pareto";

class ReportSteps {
public:
    ReportSteps(excel::Application& app, std::shared_ptr<excel::Workbook> sourceWorkbook,
                QString webSite = {});
    virtual ~ReportSteps() = default;

    // Adds "TallyvaneN" (the first N from 1 to 100 not taken) as the last sheet; false, adding
    // nothing, when all hundred are taken.
    virtual bool CreateNewSheet();
    bool WorksheetExists(const QString& name);
    virtual void CopyListViewToClipboard(const platform::ListViewModel& list);
    // Pastes the clipboard's table as text at A1 of the active sheet.
    virtual void PasteTable();
    virtual void FormatMe();
    virtual void NameIt();
    virtual void SortRange();
    virtual void DrawChart();
    // What a shaped result adds to the chart: the title of its header, and with classes the
    // vital few set apart and the cut-off line.
    void DrawOptions();
    virtual void ResizeChart();
    virtual void CreateHyperlink();
    virtual void DeleteNames();

    QString sheetName() const { return m_sheetName; }

    // A shaped result (weights, "Other", classes) is written as its own table in its own order:
    // its text replaces the list's, and the table is not sorted again.
    void setResult(const analysis::ParetoResult& result);
    bool keepsOrder() const { return m_result.has_value(); }

    // Where the next table goes when a sheet holds several (one per group): its first row, and
    // the number its chart will have on the sheet. The sheet is the one already added.
    void setBlock(int top, int chart);
    // The first row after the block just written and its chart.
    int blockEnd();
    // The line that names a group, above its table.
    void PasteGroupLine(const QString& group);

private:
    QString referenceTo(const char* name);
    // The table just pasted and formatted: the whole used range for a sheet of one table, else
    // from the block's first row down.
    excel::Range tableRange();

    excel::Application& m_app;
    std::shared_ptr<excel::Workbook> m_source;
    QString m_webSite;
    QString m_sheetName;
    std::optional<analysis::ParetoResult> m_result;
    int m_top = 1;
    int m_chart = 1;
};

struct ReportHooks {
    std::function<void(bool)> setBusyVisible; // the busy animation
    std::function<void()> playSound;          // "copy.wav", without waiting
};

struct ReportResult {
    enum class Outcome { NothingToReport, Written, NoFreeName, Failed };
    Outcome outcome = Outcome::NothingToReport;
    QString sheetName;
    QString message; // for the user, when the report was not written
};

// The report button's action. Spreadsheet errors end it at the failing step: the user is told
// which step failed, screen updating and the busy animation are put back, and the host drops
// what the unfinished action changed. A written report is a completed action.
ReportResult runReport(excel::Application& app, const std::shared_ptr<excel::Workbook>& source,
                       const platform::ListViewModel& list, bool includeChart,
                       const ReportHooks& hooks = {}, const QString& webSite = {});
// The report of a shaped result: its table with the columns the options add, in its order (the
// "Other" row last), and the chart of it.
ReportResult runReport(excel::Application& app, const std::shared_ptr<excel::Workbook>& source,
                       const analysis::ParetoResult& result, bool includeChart,
                       const ReportHooks& hooks = {}, const QString& webSite = {});
// One report sheet for the results of several groups, each ranked in itself: per group a line
// "Group: L2", its table and its chart beside it, one group below the other.
ReportResult runReport(excel::Application& app, const std::shared_ptr<excel::Workbook>& source,
                       const std::vector<analysis::ParetoGroup>& groups, bool includeChart,
                       const ReportHooks& hooks = {}, const QString& webSite = {});
// The same with steps of the caller's (a step may be replaced).
ReportResult runReport(excel::Application& app, ReportSteps& steps,
                       const platform::ListViewModel& list, bool includeChart,
                       const ReportHooks& hooks = {});

} // namespace report
