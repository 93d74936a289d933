// tallyvane-batch: the analysis without a window, for people who script. It opens a workbook in
// the embedded engine, takes the saved selection (or --range) as the window's pre-fill does,
// counts every category, and prints the result list as the report's tab-separated text. On
// request it highlights a category and writes the report sheet, and saves the workbook. With
// --office it does the same in a document open in a listening LibreOffice, and leaves saving to
// the user there.

#include "core/analysis/CategoryTable.h"
#include "core/analysis/HeadlessUi.h"
#include "core/analysis/Highlight.h"
#include "excel/CellRef.h"
#include "excel/Error.h"
#include "excel/Worksheet.h"
#include "engines/embedded/EmbeddedApplication.h"
#include "engines/embedded/FileRefusal.h"
#include "engines/embedded/ReplacementFile.h"
#ifdef TALLYVANE_WITH_UNO
#include "engines/uno/UnoHost.h"
#endif
#include "core/platform/ListViewModel.h"
#include "core/report/ListText.h"
#include "core/report/ReportAction.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>
#include <QLocale>
#include <QStringList>
#include <algorithm>
#include <cstdio>

namespace {

const char* const kDescription =
    "Counts every distinct value of one column of WORKBOOK (.xlsx, .xlsm or .csv) and prints the\n"
    "ranked categories: count, share, cumulative share and a bar of stars, as tab-separated text\n"
    "(the text the report puts on the clipboard), CSV or JSON. With --highlight or --report the\n"
    "workbook is saved (a .csv as a new .xlsx beside it, never over an existing file).\n"
    "\n"
    "With --office the workbook is a document open in LibreOffice (listening on the pipe\n"
    "\"tallyvane\" or where TALLYVANE_UNO_CONNECT says): the one in use, or the one --document\n"
    "names. LibreOffice counts, highlights and takes the report; the file on disk is not touched.\n"
    "\n"
    "Exit status: 0 done; 1 the workbook or range was refused, or a file could not be\n"
    "written (the reason on standard error); 2 the arguments were wrong.";

enum class Format { Tsv, Csv, Json };

struct Options {
    QString workbook;
    bool office = false;
    QString document;
    QString range;
    bool includeBlank = false;
    QStringList excluded;
    QString highlight;
    bool highlightGiven = false;
    bool report = false;
    bool chart = false;
    Format format = Format::Tsv;
    QString output; // empty: standard output
    bool help = false;
    bool version = false;
};

// Returns an error text, or an empty one when the arguments are good.
QString parseArguments(QCommandLineParser& parser, const QStringList& arguments,
                       Options& options) {
    const QCommandLineOption range(QStringLiteral("range"),
                                   QStringLiteral("The range to analyse, such as B2:B500 or "
                                                  "'Defect log'!C:C (default: the selection "
                                                  "saved in the workbook)."),
                                   QStringLiteral("REF"));
    const QCommandLineOption includeBlank(QStringLiteral("include-blank"),
                                          QStringLiteral("Count empty cells as the category "
                                                         "<blank>."));
    const QCommandLineOption exclude(QStringLiteral("exclude"),
                                     QStringLiteral("Leave the category LABEL out (its exact "
                                                    "text); may be repeated."),
                                     QStringLiteral("LABEL"));
    const QCommandLineOption highlight(QStringLiteral("highlight"),
                                       QStringLiteral("Mark in light yellow every cell of the "
                                                      "range whose text contains LABEL (a "
                                                      "category of the range), replacing an "
                                                      "earlier highlight."),
                                       QStringLiteral("LABEL"));
    const QCommandLineOption report(QStringLiteral("report"),
                                    QStringLiteral("Write the ranked table into a new last sheet "
                                                   "TallyvaneN of the workbook."));
    const QCommandLineOption chart(QStringLiteral("chart"),
                                   QStringLiteral("With --report: sort the table by share and "
                                                  "add the Pareto chart."));
    const QCommandLineOption format(QStringLiteral("format"),
                                    QStringLiteral("How the categories are printed: tsv "
                                                   "(default), csv or json."),
                                    QStringLiteral("tsv|csv|json"));
    const QCommandLineOption output(QStringLiteral("output"),
                                    QStringLiteral("Write the categories into FILE (replaced "
                                                   "whole, or left as it was on a failure) "
                                                   "instead of standard output."),
                                    QStringLiteral("FILE"));
    const QCommandLineOption office(QStringLiteral("office"),
                                    QStringLiteral("Analyse a document open in LibreOffice "
                                                   "instead of a workbook file."));
    const QCommandLineOption document(QStringLiteral("document"),
                                      QStringLiteral("With --office: the open document NAME "
                                                     "(its file name or path) rather than the "
                                                     "one in use."),
                                      QStringLiteral("NAME"));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and end."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and end."));
    parser.setApplicationDescription(QString::fromLatin1(kDescription));
    parser.addOptions(
        {range, includeBlank, exclude, highlight, report, chart, format, output, office, document,
         help, version});
    parser.addPositionalArgument(QStringLiteral("WORKBOOK"),
                                 QStringLiteral("The workbook to analyse."));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    if (!parser.parse(arguments)) {
        if (!parser.unknownOptionNames().isEmpty()) {
            const QString name = parser.unknownOptionNames().front();
            return QStringLiteral("Unknown option %1%2.")
                .arg(name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"), name);
        }
        // "Missing value after '--range'."
        static const QRegularExpression missing(QStringLiteral("'(-+[^']+)'"));
        const auto m = missing.match(parser.errorText());
        return m.hasMatch() ? QStringLiteral("%1 needs a value.").arg(m.captured(1))
                            : parser.errorText();
    }
    options.help = parser.isSet(help);
    options.version = parser.isSet(version);
    if (options.help || options.version)
        return {};
    // An option given twice that takes one value: the last would win silently.
    for (const QCommandLineOption* single : {&range, &highlight, &format, &output, &document}) {
        if (parser.values(*single).size() > 1)
            return QStringLiteral("--%1 is given more than once.").arg(single->names().back());
    }
    options.range = parser.value(range);
    options.includeBlank = parser.isSet(includeBlank);
    options.excluded = parser.values(exclude);
    options.highlightGiven = parser.isSet(highlight);
    options.highlight = parser.value(highlight);
    options.report = parser.isSet(report);
    options.chart = parser.isSet(chart);
    options.output = parser.value(output);
    options.office = parser.isSet(office);
    options.document = parser.value(document);
    if (parser.isSet(format)) {
        const QString f = parser.value(format).toLower();
        if (f == QLatin1String("tsv"))
            options.format = Format::Tsv;
        else if (f == QLatin1String("csv"))
            options.format = Format::Csv;
        else if (f == QLatin1String("json"))
            options.format = Format::Json;
        else
            return QStringLiteral("--format takes tsv, csv or json, not \"%1\".")
                .arg(parser.value(format));
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1)
        return QStringLiteral("Only one workbook can be analysed at a time; \"%1\" is one too many.")
            .arg(positional[1]);
    if (options.chart && !options.report)
        return QStringLiteral("--chart goes with --report.");
    if (parser.isSet(document) && !options.office)
        return QStringLiteral("--document goes with --office.");
    if (options.office) {
#ifndef TALLYVANE_WITH_UNO
        return QStringLiteral("This tallyvane-batch was built without LibreOffice; --office "
                              "cannot be used.");
#endif
        if (!positional.isEmpty())
            return QStringLiteral("With --office the workbook is open in LibreOffice; name it "
                                  "with --document, not \"%1\".")
                .arg(positional.front());
        return {};
    }
    if (positional.isEmpty())
        return QStringLiteral("Name the workbook to analyse.");
    options.workbook = positional.front();
    if (parser.isSet(output)) {
        if (options.output.isEmpty())
            return QStringLiteral("--output needs a file name.");
        // Writing the result over the workbook would destroy it.
        const QFileInfo out(options.output);
        const QFileInfo book(options.workbook);
        if (out.exists() && book.exists() && out.canonicalFilePath() == book.canonicalFilePath())
            return QStringLiteral("--output names the workbook itself; name another file.");
    }
    return {};
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

// With a range named, only its columns are read: cells of others are counted (for the caps and
// the used range) but neither read nor kept. Not when a .csv is to be saved: it is saved from its
// cells, all of them.
// And a range of one block is given up as soon as the cells read so far hold more different
// values than an analysis can list: the rest of the file cannot change that.
embedded::ReadLimits readLimitsFor(const Options& options) {
    embedded::ReadLimits limits;
    const bool savesCsv = (options.highlightGiven || options.report) &&
                          options.workbook.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive);
    const auto reference = excel::parseReference(options.range);
    if (options.range.isEmpty() || !reference || reference->areas.isEmpty())
        return limits;
    if (reference->areas.size() == 1 && reference->book.isEmpty()) {
        limits.mostValues = analysis::CategoryTable::kMaxCategories;
        limits.valueSheet = reference->sheet;
        limits.valueArea = reference->areas.front();
    }
    if (savesCsv)
        return limits;
    limits.firstColumn = excel::kMaxColumns;
    limits.lastColumn = 1;
    for (const excel::CellRect& area : reference->areas) {
        limits.firstColumn = std::min(limits.firstColumn, area.left);
        limits.lastColumn = std::max(limits.lastColumn, area.right);
    }
    return limits;
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
    QCoreApplication::setApplicationName(QStringLiteral("tallyvane-batch"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TALLYVANE_VERSION));
    Options options;
    QCommandLineParser parser;
    if (const QString error = parseArguments(parser, QCoreApplication::arguments(), options);
        !error.isEmpty()) {
        std::fprintf(stderr, "Try tallyvane-batch --help.\n");
        return fail(error, 2);
    }
    if (options.help) {
        // Named as the user knows it, whatever path started it.
        QString help = parser.helpText();
        const qsizetype lineEnd = help.indexOf(QLatin1Char('\n'));
        help.replace(0, lineEnd, QStringLiteral("Usage: tallyvane-batch [options] WORKBOOK"));
        const QByteArray text = help.toUtf8();
        std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("tallyvane-batch %s\n", TALLYVANE_VERSION);
        return 0;
    }
    try {
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
                    QString::fromLatin1(options.office
                                       ? "The selection in %1 (%2) holds at most one value; "
                                         "select the column in LibreOffice or name the range "
                                         "to analyse with --range."
                                       : "The selection saved in %1 (%2) holds at most one "
                                         "value; name the range to analyse with --range.")
                        .arg(source->Name(), range ? range->Address(false, false) : QString()),
                    1);
        }
        const auto problem = table.takeRange(*range, source, !options.range.isEmpty());
        if (problem != analysis::RangeProblem::None)
            return fail(problemText(problem, range->Address(false, false, true)), 1);
        table.CollectUniqueValues();
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
        if (host) {
            for (const QString& saved : host->savedFiles())
                std::fprintf(stderr, "tallyvane-batch: saved %s\n", qPrintable(saved));
        }
        QByteArray out;
        switch (options.format) {
        case Format::Tsv:
            out = report::resultText(table.Result).toUtf8();
            break;
        case Format::Csv:
            out = report::resultCsv(table.Result).toUtf8();
            break;
        case Format::Json: {
            const excel::Range analysed = *table.AnalysedRange;
            out = report::resultJson(table.Result, source->Name(),
                                     excel::quotedSheetName(analysed.Worksheet()->Name()) +
                                         QLatin1Char('!') + analysed.Address(false, false));
            break;
        }
        }
        if (!options.output.isEmpty()) {
            // Replaced whole or not at all, keeping what the file was (its owner, its mode).
            try {
                embedded::ReplacementFile file(options.output, true);
                file.write(out.constData(), out.size());
                file.commit();
            } catch (const excel::Error& e) {
                return fail(QStringLiteral("Could not write the result into \"%1\": %2.")
                                .arg(options.output, e.message()),
                            1);
            }
            return 0;
        }
        std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
        return std::fflush(stdout) == 0 ? 0
                                        : fail(QStringLiteral("Could not write the result."), 1);
    } catch (const embedded::TooManyValues&) {
        return fail(analysis::CategoryTable::tooManyValuesText(), 1); // said as the analysis says it
    } catch (const excel::Error& e) {
        return fail(e.message(), 1);
    }
}
