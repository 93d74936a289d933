// tallyvane-batch: the analysis without a window, for people who script. It opens a workbook in
// the embedded engine, takes the saved selection (or --range) as the window's pre-fill does,
// counts every category, and prints the result list as the report's tab-separated text. On
// request it highlights a category and writes the report sheet, and saves the workbook. With
// --office it does the same in a document open in a listening LibreOffice, and leaves saving to
// the user there. The options are read in batch/BatchOptions, the run is batch/BatchRun, the
// output batch/BatchOutput.

#include "app/batch/BatchOptions.h"
#include "app/batch/BatchRun.h"
#include "core/analysis/CategoryTable.h"
#include "engines/embedded/FileRefusal.h"
#include "excel/Error.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLocale>
#include <cstdio>

namespace {

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
    batch::Options options;
    QCommandLineParser parser;
    if (const QString error = batch::parseArguments(parser, QCoreApplication::arguments(), options);
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
        batch::runBatch(options);
        return 0;
    } catch (const batch::Stop& stop) {
        return fail(stop.message, stop.code);
    } catch (const embedded::TooManyValues&) {
        return fail(analysis::CategoryTable::tooManyValuesText(), 1); // said as the analysis says it
    } catch (const excel::Error& e) {
        return fail(e.message(), 1);
    }
}
