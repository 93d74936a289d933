#include "app/batch/BatchRun.h"

#include "app/batch/BatchOutput.h"
#include "core/analysis/CategoryTable.h"
#include "core/analysis/ParetoColumns.h"
#include "core/analysis/HeadlessUi.h"
#include "core/analysis/Highlight.h"
#include "core/platform/ListViewModel.h"
#include "core/report/ReportAction.h"
#include "engines/embedded/EmbeddedApplication.h"
#include "engines/embedded/store/CellStore.h"
#include "engines/embedded/FileRefusal.h"
#include "ui/sheetview/ChartPicture.h"
#include "excel/CellRef.h"
#include "excel/Error.h"
#include "excel/TextForm.h"
#include "excel/Worksheet.h"
#ifdef TALLYVANE_WITH_UNO
#include "engines/uno/UnoHost.h"
#endif

#include <atomic>
#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

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
    QString header; // with --skip-header
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
    auto problem = a.table.takeRange(range, source, !options.range.isEmpty());
    if (problem != analysis::RangeProblem::None)
        throw Stop{problemText(problem, range.Address(false, false, true))};
    if (options.pareto.skipHeader) {
        const excel::Range withHeader = *a.table.AnalysedRange;
        const excel::CellRect block = withHeader.rects().front();
        a.header = excel::textForm(withHeader.Cells(1, 1).Value());
        if (block.rows() < 2)
            throw Stop{QStringLiteral("The range %1 holds nothing below its header.")
                           .arg(withHeader.Address(false, false, true))};
        problem = a.table.takeRange(withHeader.Offset(1, 0).Resize(block.rows() - 1, block.columns()),
                                    source, true);
        if (problem != analysis::RangeProblem::None)
            throw Stop{problemText(problem, withHeader.Address(false, false, true))};
    }
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
         const Options& options, const analysis::ParetoResult* shaped = nullptr,
         const std::vector<analysis::ParetoGroup>* groups = nullptr) {
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
        const auto written = groups   ? report::runReport(app, source, *groups, options.chart)
                             : shaped ? report::runReport(app, source, *shaped, options.chart)
                                      : report::runReport(app, source, a.results, options.chart);
        if (written.outcome != report::ReportResult::Outcome::Written)
            throw Stop{written.message};
        std::fprintf(stderr, "tallyvane-batch: wrote the report sheet %s\n",
                     qPrintable(written.sheetName));
    }
}

} // namespace

namespace {

// One workbook's count with what the Pareto options read beside it.
struct Counted {
    QString workbook;
    QString range; // 'Defect log'!C2:C500
    QString by;    // the group column's address, with --by
    analysis::ParetoResult result;
    QVector<excel::Variant> values, weights, groups;
    analysis::Weighing weighing;
};

QString sheetAddress(const excel::Range& range) {
    return excel::quotedSheetName(range.Worksheet()->Name()) + QLatin1Char('!') +
           range.Address(false, false);
}

// The weight and group columns on the analysed rows, and each category's weight.
void readBeside(Counted& c, Analysis& a, excel::Application& app, const Options& options) {
    const analysis::ParetoOptions& p = options.pareto;
    c.result.header = a.header;
    if (p.weightRange.isEmpty() && p.groupRange.isEmpty())
        return;
    const excel::Range analysed = *a.table.AnalysedRange;
    c.values = a.table.flattenedValues();
    QString error;
    if (!p.weightRange.isEmpty()) {
        const auto column =
            analysis::columnOnRowsOf(app, p.weightRange, analysed, QStringLiteral("--weight"), error);
        if (!column)
            throw Stop{error, 2};
        c.weights = analysis::columnValues(*column);
        c.weighing = analysis::weighCategories(c.result, c.values, c.weights, *column);
    }
    if (!p.groupRange.isEmpty()) {
        const auto column =
            analysis::columnOnRowsOf(app, p.groupRange, analysed, QStringLiteral("--by"), error);
        if (!column)
            throw Stop{error, 2};
        c.groups = analysis::columnValues(*column);
        c.by = sheetAddress(*column);
    }
}

void warn(const Counted& c, bool nameTheWorkbook) {
    const QString warning = analysis::weighingWarning(c.weighing);
    if (!warning.isEmpty())
        std::fprintf(stderr, "tallyvane-batch: %s%s\n",
                     qPrintable(nameTheWorkbook ? c.workbook + QStringLiteral(": ") : QString()),
                     qPrintable(warning));
}

// The counts of several workbooks as one: categories told apart as the analysis does, the first
// form seen standing for each (in the workbooks' order), ranked by the summed counts.
Counted merge(const std::vector<Counted>& books) {
    Counted all;
    std::unordered_map<QString, size_t, excel::FoldedTextHash, excel::FoldedTextEqual> index;
    std::vector<double> weights;
    for (const Counted& book : books) {
        for (size_t i = 0; i < book.result.categories.size(); ++i) {
            const analysis::ParetoCategory& category = book.result.categories[i];
            auto [at, added] = index.emplace(category.label, all.result.categories.size());
            if (added) {
                analysis::ParetoCategory first = category;
                first.count = 0;
                first.key = QStringLiteral("K%1").arg(all.result.categories.size() + 1);
                all.result.categories.push_back(first);
                weights.push_back(0);
            }
            all.result.categories[at->second].count += category.count;
            if (!book.weighing.weights.empty())
                weights[at->second] += book.weighing.weights[i];
        }
        all.values += book.values;
        all.weights += book.weights;
        all.groups += book.groups;
        all.result.header = all.result.header.isEmpty() ? book.result.header : all.result.header;
    }
    for (double& sum : weights)
        sum = analysis::withoutNoise(sum);
    analysis::rankByCount(all.result, weights);
    all.weighing.weights = std::move(weights);
    return all;
}

// The report's chart of each result, drawn into the image file: each report is written into a
// workbook of its own in memory (nothing is saved), and its chart drawn by the window's widget.
void drawCharts(const std::vector<analysis::ParetoResult>& results, const Options& options) {
    std::vector<sheetview::ChartToDraw> charts;
    std::vector<std::shared_ptr<embedded::EmbeddedApplication>> scratch;
    for (const analysis::ParetoResult& result : results) {
        if (result.empty())
            continue;
        embedded::WorkbookData data;
        data.name = QStringLiteral("Chart.xlsx");
        embedded::SheetData sheet;
        sheet.name = QStringLiteral("Data");
        sheet.cells = std::make_shared<embedded::CellStore>(data.context);
        data.sheets.push_back(std::move(sheet));
        auto app = embedded::EmbeddedApplication::create();
        app->host(std::move(data));
        const auto book = app->ActiveWorkbook();
        const auto written = report::runReport(*app, book, result, true);
        if (written.outcome != report::ReportResult::Outcome::Written)
            throw Stop{written.message};
        const auto reportSheet = book->Worksheets()(written.sheetName);
        if (reportSheet->charts().empty())
            throw Stop{QStringLiteral("The report drew no chart.")};
        charts.push_back({*reportSheet->charts().front(), sheetview::valuesIn(book, reportSheet)});
        scratch.push_back(std::move(app));
    }
    const QString error = sheetview::writeChartPicture(
        charts, options.chartImage, QSize(options.chartWidth, options.chartHeight));
    if (!error.isEmpty())
        throw Stop{error};
}

// The result shaped by the options and written in the format asked for.
void output(const Counted& c, const Options& options, const QStringList& workbooks) {
    const analysis::ParetoOptions& p = options.pareto;
    const bool weighted = !p.weightRange.isEmpty();
    report::ResultSource source{workbooks, workbooks.size() > 1 ? options.range : c.range, {}};
    if (!p.groupRange.isEmpty()) {
        source.by = workbooks.size() > 1 ? p.groupRange : c.by;
        const auto groups = analysis::groupResults(c.result, c.values, c.groups,
                                                   weighted ? &c.weights : nullptr, p);
        if (!options.chartImage.isEmpty()) {
            std::vector<analysis::ParetoResult> results;
            for (const analysis::ParetoGroup& group : groups)
                results.push_back(group.result);
            drawCharts(results, options);
        }
        deliver(formatGroups(options.format, groups, source), options.output);
        return;
    }
    analysis::ParetoResult shaped =
        analysis::shapeResult(c.result, p, weighted ? &c.weighing.weights : nullptr);
    if (!options.chartImage.isEmpty())
        drawCharts({shaped}, options);
    deliver(formatResult(options.format, shaped, source), options.output);
}

// One workbook read into an engine of its own and counted there; what stops it is kept for the
// run to say (in the workbooks' order).
Counted countOne(const QString& file, const Options& options, const embedded::ReadLimits& limits) {
    try {
        auto app = embedded::EmbeddedApplication::create();
        app->host(embedded::readWorkbookFile(file, limits), file);
        const auto source = app->ActiveWorkbook();
        Analysis analysis(app);
        count(analysis, *app, source, options);
        Counted c;
        c.workbook = source->Name();
        c.result = analysis.table.Result;
        readBeside(c, analysis, *app, options);
        return c;
    } catch (const embedded::TooManyValues&) {
        throw Stop{QStringLiteral("%1: %2").arg(file, analysis::CategoryTable::tooManyValuesText())};
    } catch (const excel::Error& e) {
        throw Stop{QStringLiteral("%1 could not be read: %2").arg(file, e.message())};
    } catch (const Stop& stop) {
        throw Stop{QStringLiteral("%1: %2").arg(file, stop.message), stop.code};
    }
}

// Every workbook read and counted in parallel, a thread per core, each in an engine of its own
// (nothing is shared between them but the options); the counts merged in the workbooks' order.
void runMany(const Options& options) {
    const QStringList& files = options.workbooks;
    std::vector<Counted> books(size_t(files.size()));
    std::vector<std::exception_ptr> failures(books.size());
    std::atomic<size_t> next{0};
    const embedded::ReadLimits limits = readLimitsFor(options);
    const auto work = [&] {
        for (size_t i = next++; i < books.size(); i = next++) {
            try {
                books[i] = countOne(files[qsizetype(i)], options, limits);
            } catch (...) {
                failures[i] = std::current_exception();
            }
        }
    };
    std::vector<std::thread> workers;
    const size_t threads =
        std::min<size_t>(books.size(), std::max(1u, std::thread::hardware_concurrency()));
    for (size_t t = 1; t < threads; ++t)
        workers.emplace_back(work);
    work();
    for (std::thread& worker : workers)
        worker.join();
    QStringList names;
    for (size_t i = 0; i < books.size(); ++i) {
        if (failures[i])
            std::rethrow_exception(failures[i]);
        warn(books[i], true);
        names << books[i].workbook;
    }
    output(merge(books), options, names);
}

} // namespace

void runBatch(const Options& options) {
    if (options.workbooks.size() > 1)
        return runMany(options);
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
    Counted counted;
    counted.workbook = source->Name();
    counted.range = sheetAddress(*analysis.table.AnalysedRange);
    counted.result = analysis.table.Result;
    readBeside(counted, analysis, *app, options);
    // The report of a shaped result is its own table; without options it is the list's.
    std::optional<analysis::ParetoResult> shaped;
    if (!options.pareto.isDefault() && options.pareto.groupRange.isEmpty())
        shaped = analysis::shapeResult(counted.result, options.pareto,
                                       options.pareto.weightRange.isEmpty()
                                           ? nullptr
                                           : &counted.weighing.weights);
    // With groups, one table and chart per group on the report sheet.
    std::vector<analysis::ParetoGroup> groups;
    if (options.report && !options.pareto.groupRange.isEmpty())
        groups = analysis::groupResults(counted.result, counted.values, counted.groups,
                                        options.pareto.weightRange.isEmpty() ? nullptr
                                                                             : &counted.weights,
                                        options.pareto);
    act(analysis, *app, source, options, shaped ? &*shaped : nullptr,
        groups.empty() ? nullptr : &groups);
    app->endSession();
    if (host) {
        for (const QString& saved : host->savedFiles())
            std::fprintf(stderr, "tallyvane-batch: saved %s\n", qPrintable(saved));
    }
    warn(counted, false);
    output(counted, options, {counted.workbook});
}

} // namespace batch
