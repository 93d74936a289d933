// tallyvane-batch: the analysis without a window, for people who script. It opens a workbook in
// the embedded engine, takes the saved selection (or --range) as the window's pre-fill does,
// counts every category, and prints the result list as the report's tab-separated text. On
// request it highlights a category and writes the report sheet, and saves the workbook.

#include "analysis/CategoryTable.h"
#include "analysis/HeadlessUi.h"
#include "analysis/Highlight.h"
#include "excel/Error.h"
#include "excel/embedded/EmbeddedApplication.h"
#include "platform/ListViewModel.h"
#include "report/ListText.h"
#include "report/ReportAction.h"

#include <QCoreApplication>
#include <QLocale>
#include <QStringList>
#include <cstdio>

namespace {

const char* const kUsage =
    "Usage: tallyvane-batch WORKBOOK [--range REF] [--include-blank] [--exclude LABEL]...\n"
    "                       [--highlight LABEL] [--report [--chart]]\n"
    "Counts every distinct value of one column of WORKBOOK (.xlsx or .csv) and prints the\n"
    "ranked categories as tab-separated text.\n"
    "  --range REF       the range to analyse, such as B2:B500 or 'Defect log'!C:C\n"
    "                    (default: the selection saved in the workbook)\n"
    "  --include-blank   count empty cells as the category <blank>\n"
    "  --exclude LABEL   leave the category LABEL out (exact text); may be repeated\n"
    "  --highlight LABEL mark in light yellow every cell of the range whose text contains\n"
    "                    LABEL (a category of the range); replaces an earlier highlight\n"
    "  --report          write the ranked table into a new sheet TallyvaneN of the workbook\n"
    "  --chart           with --report: add the Pareto chart and sort the table by share\n"
    "With --highlight or --report the workbook is saved (a .csv as a new .xlsx beside it).\n";

struct Options {
    QString workbook;
    QString range;
    bool includeBlank = false;
    QStringList excluded;
    QString highlight;
    bool highlightGiven = false;
    bool report = false;
    bool chart = false;
};

// Returns an error text, or an empty one when the arguments are good.
QString parseArguments(const QStringList& args, Options& options) {
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--range") || a == QLatin1String("--exclude") ||
            a == QLatin1String("--highlight")) {
            if (i + 1 >= args.size())
                return QStringLiteral("%1 needs a value.").arg(a);
            if (a == QLatin1String("--range")) {
                options.range = args[++i];
            } else if (a == QLatin1String("--highlight")) {
                options.highlight = args[++i];
                options.highlightGiven = true;
            } else {
                options.excluded << args[++i];
            }
        } else if (a == QLatin1String("--report")) {
            options.report = true;
        } else if (a == QLatin1String("--chart")) {
            options.chart = true;
        } else if (a == QLatin1String("--include-blank")) {
            options.includeBlank = true;
        } else if (a.startsWith(QLatin1String("--"))) {
            return QStringLiteral("Unknown option %1.").arg(a);
        } else if (options.workbook.isEmpty()) {
            options.workbook = a;
        } else {
            return QStringLiteral(
                       "Only one workbook can be analysed at a time; \"%1\" is one too many.")
                .arg(a);
        }
    }
    if (options.chart && !options.report)
        return QStringLiteral("--chart goes with --report.");
    return options.workbook.isEmpty() ? QStringLiteral("Name the workbook to analyse.") : QString();
}

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

int fail(const QString& message, int code) {
    std::fprintf(stderr, "tallyvane-batch: %s\n", qPrintable(message));
    return code;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication qapp(argc, argv);
    // The system's locale by name: numbers and dates in its forms, without asking the system again
    // for every number formatted.
    QLocale::setDefault(QLocale(QLocale::system().name()));
    Options options;
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.contains(QLatin1String("--help"))) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (const QString error = parseArguments(args, options); !error.isEmpty()) {
        std::fputs(kUsage, stderr);
        return fail(error, 2);
    }
    try {
        auto app = embedded::EmbeddedApplication::create();
        app->open(options.workbook);
        const auto source = app->ActiveWorkbook();
        platform::ListViewModel included;
        platform::ListViewModel results;
        analysis::HeadlessUi ui;
        analysis::CategoryTable table(app, included, results, ui);
        table.prepareLists();

        std::optional<excel::Range> range;
        if (!options.range.isEmpty()) {
            range = app->Range(options.range);
            if (app->CountA(*range) < 1)
                return fail(problemText(analysis::RangeProblem::NoValues, options.range), 1);
        } else {
            range = app->Selection();
            if (!range || app->CountA(*range) <= 1)
                return fail(
                    QStringLiteral("The selection saved in %1 (%2) holds at most one value; "
                                   "name the range to analyse with --range.")
                        .arg(source->Name(), range ? range->Address(false, false) : QString()),
                    1);
        }
        const auto problem = table.takeRange(*range, source, !options.range.isEmpty());
        if (problem != analysis::RangeProblem::None)
            return fail(problemText(problem, range->Address(false, false, true)), 1);
        table.CollectUniqueValues(table.flattenedValues());
        if (!table.DetectUniqueCategories())
            return fail(ui.messages.join(QLatin1Char(' ')), 1);
        for (int row = 0; row < included.count(); ++row) {
            if (included.text(row) == QLatin1String("<blank>"))
                included.setChecked(row, options.includeBlank);
        }
        for (const QString& label : options.excluded) {
            int row = 0;
            while (row < included.count() && included.text(row) != label)
                ++row;
            if (row == included.count())
                return fail(QStringLiteral("There is no category \"%1\" in %2.")
                                .arg(label, table.AnalysedRange->Address(false, false, true)),
                            2);
            included.setChecked(row, false);
        }
        table.Refresh();
        if (!ui.messages.isEmpty())
            return fail(ui.messages.join(QLatin1Char(' ')), 1);
        if (options.highlightGiven) {
            bool known = false;
            for (int row = 0; row < included.count(); ++row)
                known = known || included.text(row) == options.highlight;
            if (!known)
                return fail(
                    QStringLiteral("There is no category \"%1\" to highlight in %2.")
                        .arg(options.highlight, table.AnalysedRange->Address(false, false, true)),
                    2);
            const excel::Range analysed = *table.AnalysedRange;
            const QString error = analysis::runHighlightAction(
                *app, [&] { analysis::HighlightCategory(analysed, options.highlight); },
                QStringLiteral("set"));
            if (!error.isEmpty())
                return fail(error, 1);
        }
        if (options.report) {
            const auto written = report::runReport(*app, source, results, options.chart);
            if (written.outcome != report::ReportResult::Outcome::Written)
                return fail(written.message, 1);
            std::fprintf(stderr, "tallyvane-batch: wrote the report sheet %s\n",
                         qPrintable(written.sheetName));
        }
        app->endSession();
        for (const QString& saved : app->savedFiles())
            std::fprintf(stderr, "tallyvane-batch: saved %s\n", qPrintable(saved));
        const QByteArray out = report::listText(results).toUtf8();
        std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
        return std::fflush(stdout) == 0 ? 0
                                        : fail(QStringLiteral("Could not write the result."), 1);
    } catch (const excel::Error& e) {
        return fail(e.message(), 1);
    }
}
