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
#include <QApplication>
#include <QCoreApplication>
#include <QLocale>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

int fail(const QString& message, int code) {
    std::fprintf(stderr, "tallyvane-batch: %s\n", qPrintable(message));
    return code;
}

// The batch speaks in its own sentences on standard error: Qt's notes about the off-screen
// platform (no runtime folder, no size hints) are not for its user.
void quietNotes(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "tallyvane-batch: %s\n", qPrintable(message));
}

} // namespace

int main(int argc, char** argv) {
    // A chart image is drawn by the window's chart widget, which needs a graphical application;
    // it draws off screen, without a display.
    bool drawsChart = false;
    for (int i = 1; i < argc; ++i)
        drawsChart = drawsChart || std::strncmp(argv[i], "--chart-image", 13) == 0;
    if (drawsChart && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (drawsChart)
        qInstallMessageHandler(quietNotes);
    std::unique_ptr<QCoreApplication> qapp =
        drawsChart ? std::make_unique<QApplication>(argc, argv)
                   : std::make_unique<QCoreApplication>(argc, argv);
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
