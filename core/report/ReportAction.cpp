#include "core/report/ReportAction.h"

#include "core/report/ListText.h"
#include "excel/Clipboard.h"
#include "excel/Error.h"
#include "excel/ListObjects.h"
#include "excel/Sort.h"
#include "core/platform/ProductAddresses.h"

namespace report {

namespace {

constexpr int kMaxReportSheets = 100;

struct StepFailure {
    QString step;
    excel::Error error;
};

template <typename F>
void step(const char* what, F&& f) {
    try {
        f();
    } catch (const excel::Error& e) {
        throw StepFailure{QString::fromUtf8(what), e};
    }
}

} // namespace

ReportSteps::ReportSteps(excel::Application& app, std::shared_ptr<excel::Workbook> sourceWorkbook,
                         QString webSite)
    : m_app(app)
    , m_source(std::move(sourceWorkbook))
    , m_webSite(webSite.isEmpty() ? QString::fromLatin1(platform::kWebSite) : std::move(webSite)) {}

bool ReportSteps::WorksheetExists(const QString& name) {
    try {
        return !m_app.Worksheets()(name)->Name().isEmpty();
    } catch (const excel::Error&) {
        return false;
    }
}

bool ReportSteps::CreateNewSheet() {
    QString candidate;
    for (int n = 1; n <= kMaxReportSheets; ++n) {
        if (!WorksheetExists(QStringLiteral("Tallyvane%1").arg(n))) {
            candidate = QStringLiteral("Tallyvane%1").arg(n);
            break;
        }
    }
    if (candidate.isEmpty())
        return false;
    auto sheets = m_app.Worksheets();
    sheets.Add()->setName(candidate);
    m_app.ActiveSheet()->Range(QStringLiteral("A1")).Select();
    auto sheet = m_app.ActiveSheet();
    sheet->Move(m_app.Sheets()(m_app.Sheets().Count()));
    sheet->setDisplayRightToLeft(false);
    m_sheetName = candidate;
    return true;
}

void ReportSteps::setResult(const analysis::ParetoResult& result) {
    m_result = result;
}

void ReportSteps::CopyListViewToClipboard(const platform::ListViewModel& list) {
    const QString text = m_result ? reportTableText(*m_result) : listText(list);
    excel::clearClipboard();
    excel::setClipboardText(text);
}

void ReportSteps::PasteTable() {
    m_app.ActiveSheet()->Cells(m_top, 1).Select();
    m_app.ActiveSheet()->PasteSpecial(QStringLiteral("Text"), false, false);
}

void ReportSteps::setBlock(int top, int chart) {
    m_top = top;
    m_chart = chart;
}

void ReportSteps::PasteGroupLine(const QString& group) {
    excel::clearClipboard();
    // One line of one cell, whatever the group's value holds.
    QString line = QStringLiteral("Group: ") + group;
    for (QChar& c : line) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    }
    excel::setClipboardText(line);
    PasteTable();
}

excel::Range ReportSteps::tableRange() {
    const excel::Range used = m_source->ActiveSheet()->UsedRange();
    if (m_top == 1)
        return used;
    const excel::CellRect all = used.rects().front();
    return m_app.ActiveSheet()->Cells(m_top, 1).Resize(all.bottom - m_top + 1, all.right);
}

int ReportSteps::blockEnd() {
    // The chart stands 7.2 points below its first row and is 406 points high: 28 rows of 15
    // points, 32 of the office's lower rows, and one to spare.
    constexpr int kChartRows = 33;
    const excel::CellRect all = m_app.ActiveSheet()->UsedRange().rects().front();
    return std::max(all.bottom, m_top + kChartRows);
}

void ReportSteps::FormatMe() {
    const excel::Range table = tableRange();
    table.Select();
    auto sheet = m_app.ActiveSheet();
    sheet->ListObjects().Add(1, table, 2).setName(QStringLiteral("Table1"));
    sheet->ListObjects()(QStringLiteral("Table1"))
        .setTableStyle(QStringLiteral("TableStyleMedium11"));
    sheet->ListObjects()(QStringLiteral("Table1")).Unlist();
    sheet->Cells().setHorizontalAlignment(excel::kAlignLeft);
    sheet->Cells().EntireColumn().AutoFit();
    sheet->Cells(1, 1).Select();
    table.setFontName(QStringLiteral("Calibri"));
    sheet->Cells(1, 1).Select();
    sheet->Rows()(m_top).Delete();
}

void ReportSteps::NameIt() {
    const excel::Range used = tableRange();
    const int rows = int(used.Rows().Count());
    auto names = m_app.ActiveWorkbook()->Names();
    // A Pareto of weights charts the weights' shares (the table's Weight(%) and Cum weight(%)).
    const bool weights = m_result && m_result->rankedByWeight;
    const std::pair<const char*, int> columns[] = {
        {kLabelsName, 1}, {kShareName, weights ? 7 : 3}, {kCumulativeName, weights ? 8 : 4}};
    for (const auto& [name, column] : columns)
        names.Add(QString::fromLatin1(name),
                  used.Columns()(column).Offset(1, 0).Resize(rows - 1, 1));
    if (m_result && m_result->classed)
        names.Add(QString::fromLatin1(kCutOffName),
                  used.Columns()(int(used.Columns().Count())).Offset(1, 0).Resize(rows - 1, 1));
}

void ReportSteps::SortRange() {
    auto sheet = m_app.ActiveSheet();
    const excel::Range range = sheet->UsedRange();
    excel::Sort& sort = sheet->Sort();
    sort.clearSortFields();
    sort.addSortField(m_app.Range(QString::fromLatin1(kShareName)), 0, 2, 0);
    sort.SetRange(range);
    sort.setHeader(1);
    sort.setMatchCase(false);
    sort.setOrientation(1);
    sort.setSortMethod(1);
    sort.Apply();
}

QString ReportSteps::referenceTo(const char* name) {
    return m_app.ActiveSheet()->Name() + QLatin1Char('!') +
           m_app.Range(QString::fromLatin1(name)).Address();
}

void ReportSteps::DeleteNames() {
    auto names = m_app.ActiveWorkbook()->Names();
    for (const char* name : {kLabelsName, kShareName, kCumulativeName})
        names(QString::fromLatin1(name)).Delete();
    if (m_result && m_result->classed)
        names(QString::fromLatin1(kCutOffName)).Delete();
}

ReportResult runReport(excel::Application& app, const std::shared_ptr<excel::Workbook>& source,
                       const platform::ListViewModel& list, bool includeChart,
                       const ReportHooks& hooks, const QString& webSite) {
    ReportSteps steps(app, source, webSite);
    return runReport(app, steps, list, includeChart, hooks);
}

ReportResult runReport(excel::Application& app, const std::shared_ptr<excel::Workbook>& source,
                       const analysis::ParetoResult& shaped, bool includeChart,
                       const ReportHooks& hooks, const QString& webSite) {
    ReportSteps steps(app, source, webSite);
    steps.setResult(shaped);
    platform::ListViewModel none;
    return runReport(app, steps, none, includeChart, hooks);
}

namespace {

// One table, and its chart, written on the report sheet at the steps' block.
void writeTable(excel::Application& app, ReportSteps& steps, const platform::ListViewModel& list,
                bool includeChart, const std::function<void()>& playSound) {
    step("copying the table", [&] { steps.CopyListViewToClipboard(list); });
    if (playSound)
        playSound();
    step("pasting the table", [&] { steps.PasteTable(); });
    step("formatting the table", [&] { steps.FormatMe(); });
    if (includeChart) {
        app.setScreenUpdating(false);
        step("naming the table's columns", [&] { steps.NameIt(); });
        if (!steps.keepsOrder())
            step("sorting the table", [&] { steps.SortRange(); });
        step("drawing the Pareto chart", [&] { steps.DrawChart(); });
        step("removing the temporary names", [&] {
            app.ActiveSheet()->Cells(1, 1).Select();
            steps.DeleteNames();
        });
        app.setScreenUpdating(true);
    }
}

// The report sheet added and written by write; spreadsheet errors end it at the failing step,
// and the host drops what the unfinished action changed.
ReportResult writeReport(excel::Application& app, ReportSteps& steps, const ReportHooks& hooks,
                         const std::function<void()>& write) {
    ReportResult result;
    const auto busy = [&](bool on) {
        if (hooks.setBusyVisible)
            hooks.setBusyVisible(on);
    };
    busy(true);
    try {
        bool added = false;
        step("adding the report sheet", [&] { added = steps.CreateNewSheet(); });
        if (!added) {
            busy(false);
            result.outcome = ReportResult::Outcome::NoFreeName;
            result.message = QStringLiteral(
                "No report was written: this workbook already has sheets named Tallyvane1 to "
                "Tallyvane100. Rename or delete one of them and try again.");
            return result;
        }
        result.sheetName = steps.sheetName();
        write();
        busy(false);
        app.completeAction();
        result.outcome = ReportResult::Outcome::Written;
        return result;
    } catch (const StepFailure& failure) {
        app.setScreenUpdating(true);
        busy(false);
        const QString dropped = app.abandonAction();
        result.outcome = ReportResult::Outcome::Failed;
        result.message = QStringLiteral("The report could not be finished: %1 failed.\r\n%2: %3")
                             .arg(failure.step, failure.error.member(), failure.error.message());
        if (!dropped.isEmpty())
            result.message += QStringLiteral("\r\n\r\n") + dropped;
        return result;
    }
}

} // namespace

ReportResult runReport(excel::Application& app, ReportSteps& steps,
                       const platform::ListViewModel& list, bool includeChart,
                       const ReportHooks& hooks) {
    if (list.count() == 0 && !steps.keepsOrder())
        return {};
    return writeReport(app, steps, hooks,
                       [&] { writeTable(app, steps, list, includeChart, hooks.playSound); });
}

ReportResult runReport(excel::Application& app, const std::shared_ptr<excel::Workbook>& source,
                       const std::vector<analysis::ParetoGroup>& groups, bool includeChart,
                       const ReportHooks& hooks, const QString& webSite) {
    if (groups.empty())
        return {};
    ReportSteps steps(app, source, webSite);
    const platform::ListViewModel none;
    return writeReport(app, steps, hooks, [&] {
        int top = 1;
        int chart = 1;
        for (const analysis::ParetoGroup& group : groups) {
            steps.setBlock(top, chart);
            step("writing the group's name", [&] { steps.PasteGroupLine(group.name); });
            steps.setBlock(top + 1, chart);
            steps.setResult(group.result);
            writeTable(app, steps, none, includeChart,
                       chart == 1 ? hooks.playSound : std::function<void()>());
            top = steps.blockEnd() + 1;
            chart += includeChart ? 1 : 0;
        }
        app.ActiveSheet()->Cells(1, 1).Select();
    });
}

} // namespace report
