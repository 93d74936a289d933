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
    "The Pareto options weigh the categories (--weight, --rank-by), merge the tail into a last\n"
    "row Other (--top, --other-after), give classes A, B and C (--classes), make one Pareto per\n"
    "group (--by) and draw the chart as an image (--chart-image). Several workbooks are read\n"
    "together (in parallel) and their counts merged by category.\n"
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
    QCommandLineOption skipHeader{QStringLiteral("skip-header"),
                                  QStringLiteral("The range's first cell is its header: it is not "
                                                 "counted and names the chart.")};
    QCommandLineOption weight{QStringLiteral("weight"),
                              QStringLiteral("Weigh each category by the sum of the numbers of "
                                             "this column on the same rows (such as D:D); blank "
                                             "and text cells count 0."),
                              QStringLiteral("RANGE")};
    QCommandLineOption rankBy{QStringLiteral("rank-by"),
                              QStringLiteral("Rank by count (default) or by weight (with "
                                             "--weight)."),
                              QStringLiteral("count|weight")};
    QCommandLineOption top{QStringLiteral("top"),
                           QStringLiteral("Keep the first N categories and merge the rest into "
                                          "a last row Other."),
                           QStringLiteral("N")};
    QCommandLineOption otherAfter{QStringLiteral("other-after"),
                                  QStringLiteral("Keep the categories until the cumulative share "
                                                 "before them reaches PCT %, merge the rest into "
                                                 "Other."),
                                  QStringLiteral("PCT")};
    QCommandLineOption classes{QStringLiteral("classes"),
                               QStringLiteral("Class A while the cumulative share before a row is "
                                              "below A %, B below B %, else C (such as 80,95); "
                                              "the chart gets a cut-off line at A %."),
                               QStringLiteral("A[,B]")};
    QCommandLineOption by{QStringLiteral("by"),
                          QStringLiteral("One Pareto per distinct value of this column on the "
                                         "same rows (a line, a shift, a machine); with "
                                         "--report, a table and chart per group."),
                          QStringLiteral("RANGE")};
    QCommandLineOption chartImage{QStringLiteral("chart-image"),
                                  QStringLiteral("Draw the Pareto chart into FILE (.png, .svg or "
                                                 ".pdf); with --by, one chart per group."),
                                  QStringLiteral("FILE")};
    QCommandLineOption chartSize{QStringLiteral("chart-size"),
                                 QStringLiteral("The chart image's size in pixels (default "
                                                "1200x675)."),
                                 QStringLiteral("WxH")};
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Show this help and end.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Show the version and end.")};

    QList<QCommandLineOption> all() const {
        return {range,   includeBlank, exclude,    highlight,  report,  chart,
                format,  output,       office,     document,   skipHeader, weight,
                rankBy,  top,          otherAfter, classes,    by,      chartImage,
                chartSize, help,       version};
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

QString readChartImage(const QCommandLineParser& parser, const OptionSet& set, Options& options) {
    options.chartImage = parser.value(set.chartImage);
    if (parser.isSet(set.chartImage)) {
        const QString suffix = QFileInfo(options.chartImage).suffix().toLower();
        if (suffix != QLatin1String("png") && suffix != QLatin1String("svg") &&
            suffix != QLatin1String("pdf"))
            return QStringLiteral("--chart-image writes .png, .svg or .pdf files; \"%1\" is none "
                                  "of them.")
                .arg(options.chartImage);
    }
    if (parser.isSet(set.chartSize)) {
        static const QRegularExpression size(QStringLiteral("^(\\d{1,5})[xX](\\d{1,5})$"));
        const auto m = size.match(parser.value(set.chartSize));
        const int w = m.hasMatch() ? m.captured(1).toInt() : 0;
        const int h = m.hasMatch() ? m.captured(2).toInt() : 0;
        if (w < 200 || h < 150 || w > 10000 || h > 10000)
            return QStringLiteral("--chart-size takes a width and a height in pixels such as "
                                  "1200x675 (from 200x150 to 10000x10000), not \"%1\".")
                .arg(parser.value(set.chartSize));
        options.chartWidth = w;
        options.chartHeight = h;
        if (!parser.isSet(set.chartImage))
            return QStringLiteral("--chart-size goes with --chart-image.");
    }
    return {};
}

QString readParetoValues(const QCommandLineParser& parser, const OptionSet& set,
                         Options& options) {
    analysis::ParetoOptions& p = options.pareto;
    p.skipHeader = parser.isSet(set.skipHeader);
    p.weightRange = parser.value(set.weight);
    p.groupRange = parser.value(set.by);
    if (parser.isSet(set.weight) && p.weightRange.isEmpty())
        return QStringLiteral("--weight needs a range.");
    if (parser.isSet(set.by) && p.groupRange.isEmpty())
        return QStringLiteral("--by needs a range.");
    if (parser.isSet(set.rankBy)) {
        const QString key = parser.value(set.rankBy).toLower();
        if (key == QLatin1String("weight"))
            p.rankBy = analysis::RankBy::Weight;
        else if (key != QLatin1String("count"))
            return QStringLiteral("--rank-by takes count or weight, not \"%1\".")
                .arg(parser.value(set.rankBy));
        if (p.rankBy == analysis::RankBy::Weight && p.weightRange.isEmpty())
            return QStringLiteral("--rank-by weight needs the weights: name their column with "
                                  "--weight.");
    }
    if (parser.isSet(set.top) && parser.isSet(set.otherAfter))
        return QStringLiteral("--top and --other-after both say where Other begins; give one.");
    if (parser.isSet(set.top))
        if (QString e = analysis::parseCount(QStringLiteral("--top"), parser.value(set.top), p.top);
            !e.isEmpty())
            return e;
    if (parser.isSet(set.otherAfter))
        if (QString e = analysis::parsePercent(QStringLiteral("--other-after"),
                                               parser.value(set.otherAfter), p.otherAfter);
            !e.isEmpty())
            return e;
    if (parser.isSet(set.classes))
        if (QString e = analysis::parseClasses(parser.value(set.classes), p.classes); !e.isEmpty())
            return e;
    return readChartImage(parser, set, options);
}

QString readValues(const QCommandLineParser& parser, const OptionSet& set, Options& options) {
    // An option given twice that takes one value: the last would win silently.
    for (const QCommandLineOption* single :
         {&set.range, &set.highlight, &set.format, &set.output, &set.document, &set.weight,
          &set.rankBy, &set.top, &set.otherAfter, &set.classes, &set.by, &set.chartImage,
          &set.chartSize}) {
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
    return readParetoValues(parser, set, options);
}

// The workbook, and the options that only go together.
QString checkCombinations(const QCommandLineParser& parser, const OptionSet& set,
                          Options& options) {
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1) {
        for (const QString& refuses : {QStringLiteral("report"), QStringLiteral("highlight"),
                                       QStringLiteral("office")}) {
            if (parser.isSet(refuses))
                return QStringLiteral("--%1 takes one workbook; %2 are named.")
                    .arg(refuses)
                    .arg(positional.size());
        }
        if (options.range.isEmpty())
            return QStringLiteral("Name the range to analyse in every workbook with --range.");
    }
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
    options.workbooks = positional;
    if (parser.isSet(set.output) && options.output.isEmpty())
        return QStringLiteral("--output needs a file name.");
    if (parser.isSet(set.chartImage) && options.chartImage.isEmpty())
        return QStringLiteral("--chart-image needs a file name.");
    // Writing the result or the image over a workbook would destroy it.
    for (const auto& [option, file] : {std::pair{QStringLiteral("--output"), options.output},
                                       std::pair{QStringLiteral("--chart-image"),
                                                 options.chartImage}}) {
        const QFileInfo out(file);
        for (const QString& workbook : options.workbooks) {
            const QFileInfo book(workbook);
            if (!file.isEmpty() && out.exists() && book.exists() &&
                out.canonicalFilePath() == book.canonicalFilePath())
                return QStringLiteral("%1 names the workbook itself; name another file.")
                    .arg(option);
        }
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

namespace {

embedded::ReadLimits withEveryColumn(embedded::ReadLimits limits) {
    const embedded::ReadLimits all;
    limits.firstColumn = all.firstColumn;
    limits.lastColumn = all.lastColumn;
    return limits;
}

} // namespace

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
    // The weight and group columns are read as well (on whatever sheet they are).
    QVector<excel::CellRect> areas = reference->areas;
    for (const QString& beside : {options.pareto.weightRange, options.pareto.groupRange}) {
        if (beside.isEmpty())
            continue;
        const auto column = excel::parseReference(beside);
        if (!column)
            return withEveryColumn(limits);
        areas += column->areas;
    }
    for (const excel::CellRect& area : areas) {
        limits.firstColumn = std::min(limits.firstColumn, area.left);
        limits.lastColumn = std::max(limits.lastColumn, area.right);
    }
    return limits;
}

} // namespace batch
