#include "app/batch/BatchRun.h"

#include "app/batch/BatchOutput.h"
#include "core/analysis/CategoryTable.h"
#include "core/analysis/HeadlessUi.h"
#include "core/analysis/Highlight.h"
#include "core/platform/ListViewModel.h"
#include "core/report/ReportAction.h"
#include "engines/embedded/EmbeddedApplication.h"
#include "excel/CellRef.h"
#include "excel/Error.h"
#include "excel/Worksheet.h"
#ifdef TALLYVANE_WITH_UNO
#include "engines/uno/UnoHost.h"
#endif

#include <cstdio>
#include <memory>
#include <optional>

namespace batch {

namespace {

QString problemText(analysis::RangeProblem problem, const QString& address) {
    switch (problem) {
    case analysis::RangeProblem::NoValues:
        return QStringLiteral("The range %1 holds no values.").arg(address);
    case analysis::RangeProblem::AnotherWorkbook:
        return QStringLiteral("The range %1 is in another workbook.").arg(address);
    case analysis::RangeProblem::SeveralAreas:
        return QStringLiteral(
                   "The range %1 is made of several blocks; give one block of one column.")
            .arg(address);
    case analysis::RangeProblem::ErrorCells:
        return QStringLiteral("The range %1 holds formulas that show errors (starting with #); "
                              "correct them or choose another range.")
            .arg(address);
    case analysis::RangeProblem::None:
        break;
    }
    return {};
}

// One analysis without a window: the lists the window would show, and its table.
struct Analysis {
    explicit Analysis(std::shared_ptr<excel::Application> app)
        : table(std::move(app), included, results, ui) {
        table.prepareLists();
    }
    platform::ListViewModel included;
    platform::ListViewModel results;
    analysis::HeadlessUi ui;
    analysis::CategoryTable table;
};

// --range, or the selection saved in the workbook (more than one value).
excel::Range rangeToAnalyse(excel::Application& app, const excel::Workbook& source,
                            const Options& options) {
    if (!options.range.isEmpty()) {
        const excel::Range range = app.Range(options.range);
        if (app.CountA(range) < 1)
            throw Stop{problemText(analysis::RangeProblem::NoValues, options.range)};
        return range;
    }
    const auto selection = app.Selection();
    if (!selection || app.CountA(*selection) <= 1)
        throw Stop{QString::fromLatin1(options.office
                                           ? "The selection in %1 (%2) holds at most one value; "
                                             "select the column in LibreOffice or name the range "
                                             "to analyse with --range."
                                           : "The selection saved in %1 (%2) holds at most one "
                                             "value; name the range to analyse with --range.")
                       .arg(source.Name(), selection ? selection->Address(false, false) : QString())};
    return *selection;
}

int rowOf(const platform::ListViewModel& list, const QString& label) {
    for (int row = 0; row < list.count(); ++row) {
        if (list.text(row) == label)
            return row;
    }
    return -1;
}

// Takes the range, collects the categories, ticks them as the options say and counts.
void count(Analysis& a, excel::Application& app, const std::shared_ptr<excel::Workbook>& source,
           const Options& options) {
    const excel::Range range = rangeToAnalyse(app, *source, options);
    const auto problem = a.table.takeRange(range, source, !options.range.isEmpty());
    if (problem != analysis::RangeProblem::None)
        throw Stop{problemText(problem, range.Address(false, false, true))};
    a.table.CollectUniqueValues();
    if (!a.table.DetectUniqueCategories())
        throw Stop{a.ui.messages.join(QLatin1Char(' '))};
    if (const int blank = rowOf(a.included, QStringLiteral("<blank>")); blank >= 0)
        a.included.setChecked(blank, options.includeBlank);
    for (const QString& label : options.excluded) {
        const int row = rowOf(a.included, label);
        if (row < 0)
            throw Stop{QStringLiteral("There is no category \"%1\" in %2.")
                           .arg(label, a.table.AnalysedRange->Address(false, false, true)),
                       2};
        a.included.setChecked(row, false);
    }
    a.table.Refresh();
    if (!a.ui.messages.isEmpty())
        throw Stop{a.ui.messages.join(QLatin1Char(' '))};
}

// The highlight and the report, through the window's own actions.
void act(Analysis& a, excel::Application& app, const std::shared_ptr<excel::Workbook>& source,
         const Options& options) {
    if (options.highlightGiven) {
        const excel::Range analysed = *a.table.AnalysedRange;
        if (rowOf(a.included, options.highlight) < 0)
            throw Stop{QStringLiteral("There is no category \"%1\" to highlight in %2.")
                           .arg(options.highlight, analysed.Address(false, false, true)),
                       2};
        const QString error = analysis::runHighlightAction(
            app, [&] { analysis::HighlightCategory(analysed, options.highlight); },
            QStringLiteral("set"));
        if (!error.isEmpty())
            throw Stop{error};
    }
    if (options.report) {
        const auto written = report::runReport(app, source, a.results, options.chart);
        if (written.outcome != report::ReportResult::Outcome::Written)
            throw Stop{written.message};
        std::fprintf(stderr, "tallyvane-batch: wrote the report sheet %s\n",
                     qPrintable(written.sheetName));
    }
}

} // namespace

void runBatch(const Options& options) {
    std::shared_ptr<excel::Application> app;
    std::shared_ptr<embedded::EmbeddedApplication> host;
#ifdef TALLYVANE_WITH_UNO
    if (options.office)
        app = uno::attachToOffice({}, options.document);
#endif
    if (!app) {
        host = embedded::EmbeddedApplication::create();
        host->open(options.workbook, readLimitsFor(options));
        app = host;
    }
    const auto source = app->ActiveWorkbook();
    Analysis analysis(app);
    count(analysis, *app, source, options);
    act(analysis, *app, source, options);
    app->endSession();
    if (host) {
        for (const QString& saved : host->savedFiles())
            std::fprintf(stderr, "tallyvane-batch: saved %s\n", qPrintable(saved));
    }
    const excel::Range analysed = *analysis.table.AnalysedRange;
    deliver(formatResult(options.format, analysis.table.Result, source->Name(),
                         excel::quotedSheetName(analysed.Worksheet()->Name()) + QLatin1Char('!') +
                             analysed.Address(false, false)),
            options.output);
}

} // namespace batch
