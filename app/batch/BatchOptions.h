#pragma once
// tallyvane-batch's command line: the options as values, read from the arguments with the errors
// said in the program's words, and what they ask of the workbook reader.

#include "core/analysis/ParetoOptions.h"
#include "engines/embedded/ReadLimits.h"

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

namespace batch {

enum class Format { Tsv, Csv, Json };

struct Options {
    QString workbook;      // the first (or only) workbook
    QStringList workbooks; // every workbook named, in their order
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
    analysis::ParetoOptions pareto;
    QString chartImage; // .png, .svg or .pdf; empty: none
    int chartWidth = 1200;
    int chartHeight = 675;
    bool help = false;
    bool version = false;
};

// Reads the arguments into options; returns the error for the user, empty when they are good.
// The parser keeps the options' descriptions for --help.
QString parseArguments(QCommandLineParser& parser, const QStringList& arguments, Options& options);

// With a range named, only its columns are read: cells of others are counted (for the caps and
// the used range) but neither read nor kept. Not when a .csv is to be saved: it is saved from its
// cells, all of them. And a range of one block is given up as soon as the cells read so far hold
// more different values than an analysis can list: the rest of the file cannot change that.
embedded::ReadLimits readLimitsFor(const Options& options);

} // namespace batch
