#include "app/batch/BatchOptions.h"

#include "core/analysis/CategoryTable.h"
#include "excel/CellRef.h"

#include <QCommandLineOption>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

namespace batch {

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

// The options the command takes, with their descriptions for --help.
struct OptionSet {
    QCommandLineOption range{QStringLiteral("range"),
                             QStringLiteral("The range to analyse, such as B2:B500 or 'Defect "
                                            "log'!C:C (default: the selection saved in the "
                                            "workbook)."),
                             QStringLiteral("REF")};
    QCommandLineOption includeBlank{QStringLiteral("include-blank"),
                                    QStringLiteral("Count empty cells as the category <blank>.")};
    QCommandLineOption exclude{QStringLiteral("exclude"),
                               QStringLiteral("Leave the category LABEL out (its exact text); "
                                              "may be repeated."),
                               QStringLiteral("LABEL")};
    QCommandLineOption highlight{QStringLiteral("highlight"),
                                 QStringLiteral("Mark in light yellow every cell of the range "
                                                "whose text contains LABEL (a category of the "
                                                "range), replacing an earlier highlight."),
                                 QStringLiteral("LABEL")};
    QCommandLineOption report{QStringLiteral("report"),
                              QStringLiteral("Write the ranked table into a new last sheet "
                                             "TallyvaneN of the workbook.")};
    QCommandLineOption chart{QStringLiteral("chart"),
                             QStringLiteral("With --report: sort the table by share and add the "
                                            "Pareto chart.")};
    QCommandLineOption format{QStringLiteral("format"),
                              QStringLiteral("How the categories are printed: tsv (default), csv "
                                             "or json."),
                              QStringLiteral("tsv|csv|json")};
    QCommandLineOption output{QStringLiteral("output"),
                              QStringLiteral("Write the categories into FILE (replaced whole, or "
                                             "left as it was on a failure) instead of standard "
                                             "output."),
                              QStringLiteral("FILE")};
    QCommandLineOption office{QStringLiteral("office"),
                              QStringLiteral("Analyse a document open in LibreOffice instead of a "
                                             "workbook file.")};
    QCommandLineOption document{QStringLiteral("document"),
                                QStringLiteral("With --office: the open document NAME (its file "
                                               "name or path) rather than the one in use."),
                                QStringLiteral("NAME")};
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Show this help and end.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Show the version and end.")};

    QList<QCommandLineOption> all() const {
        return {range,  includeBlank, exclude, highlight, report, chart,
                format, output,       office,  document,  help,   version};
    }
};

// What the parser could not read, in the program's words.
QString parseError(const QCommandLineParser& parser) {
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

QString readValues(const QCommandLineParser& parser, const OptionSet& set, Options& options) {
    // An option given twice that takes one value: the last would win silently.
    for (const QCommandLineOption* single :
         {&set.range, &set.highlight, &set.format, &set.output, &set.document}) {
        if (parser.values(*single).size() > 1)
            return QStringLiteral("--%1 is given more than once.").arg(single->names().back());
    }
    options.range = parser.value(set.range);
    options.includeBlank = parser.isSet(set.includeBlank);
    options.excluded = parser.values(set.exclude);
    options.highlightGiven = parser.isSet(set.highlight);
    options.highlight = parser.value(set.highlight);
    options.report = parser.isSet(set.report);
    options.chart = parser.isSet(set.chart);
    options.output = parser.value(set.output);
    options.office = parser.isSet(set.office);
    options.document = parser.value(set.document);
    if (parser.isSet(set.format)) {
        const QString f = parser.value(set.format).toLower();
        if (f == QLatin1String("tsv"))
            options.format = Format::Tsv;
        else if (f == QLatin1String("csv"))
            options.format = Format::Csv;
        else if (f == QLatin1String("json"))
            options.format = Format::Json;
        else
            return QStringLiteral("--format takes tsv, csv or json, not \"%1\".")
                .arg(parser.value(set.format));
    }
    return {};
}

// The workbook, and the options that only go together.
QString checkCombinations(const QCommandLineParser& parser, const OptionSet& set,
                          Options& options) {
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1)
        return QStringLiteral("Only one workbook can be analysed at a time; \"%1\" is one too many.")
            .arg(positional[1]);
    if (options.chart && !options.report)
        return QStringLiteral("--chart goes with --report.");
    if (parser.isSet(set.document) && !options.office)
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
    if (parser.isSet(set.output)) {
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

} // namespace

QString parseArguments(QCommandLineParser& parser, const QStringList& arguments,
                       Options& options) {
    const OptionSet set;
    parser.setApplicationDescription(QString::fromLatin1(kDescription));
    parser.addOptions(set.all());
    parser.addPositionalArgument(QStringLiteral("WORKBOOK"),
                                 QStringLiteral("The workbook to analyse."));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    if (!parser.parse(arguments))
        return parseError(parser);
    options.help = parser.isSet(set.help);
    options.version = parser.isSet(set.version);
    if (options.help || options.version)
        return {};
    if (const QString error = readValues(parser, set, options); !error.isEmpty())
        return error;
    return checkCombinations(parser, set, options);
}

embedded::ReadLimits readLimitsFor(const Options& options) {
    embedded::ReadLimits limits;
    limits.withCharts = false; // nothing here shows them
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

} // namespace batch
