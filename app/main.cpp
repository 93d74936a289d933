// Tallyvane: attaches to the running spreadsheet that its argument string names (a workbook file
// for the embedded host), or runs one of its switches: /612 About, /1003 help page, /613 contact.

#include "app/Class1.h"
#include "app/Startup.h"
#include "excel/Clipboard.h"
#include "excel/Error.h"
#include "engines/embedded/EmbeddedHost.h"
#include "ui/platform/Fonts.h"
#ifdef TALLYVANE_WITH_UNO
#include "engines/uno/UnoHost.h"
#endif

#include <QApplication>
#include <QDialog>
#include <QClipboard>
#include <QLocale>
#include <QSocketNotifier>
#include <QStringList>
#include <QThread>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const char* const kHelp =
    "Usage: tallyvane [WORKBOOK | --office | --office-options | /612 | /1003 | /613]\n"
    "Pareto analysis of a column of a spreadsheet: shows WORKBOOK (.xlsx, .xlsm or .csv) in a\n"
    "workbook window with the analysis window on top, already analysed from the workbook's\n"
    "saved selection. Without an argument it asks for the workbook in a file dialog.\n"
    "  --office       attach to the document the user is in, in the LibreOffice that\n"
    "                 listens on the pipe \"tallyvane\" (the Calc add-on starts so)\n"
    "  --office-options  the Pareto options of that document (header, weights, Other,\n"
    "                 classes, groups), kept with it for the reports made after\n"
    "  /612           the About window\n"
    "  /1003          the help page in the browser\n"
    "  /613           the contact page in the browser\n"
    "  -h, --help     show this help and end\n"
    "  -v, --version  show the version and end\n"
    "The whole argument string names the workbook: a name with blanks needs no quotes.\n"
    "Without a workbook window nothing is saved; the workbook window saves only when told\n"
    "(File > Save). tallyvane-batch(1) does the analysis without a window.\n";

// The ends the system asks for (SIGTERM as a session ends, SIGINT, SIGHUP) quit the program as
// its menu does, through the event loop, so that the lock files it keeps beside the user's
// workbooks go with it. The handler only writes a byte that the event loop reads.
int quitSignal[2] = {-1, -1};

void onQuitSignal(int) {
    const char byte = 1;
    const ssize_t written = ::write(quitSignal[1], &byte, 1);
    static_cast<void>(written);
}

bool quitAsked = false;

// Once the end is asked for, a dialog that still opens (a message after a failed attachment)
// is cancelled as it shows.
class CancelDialogs : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            if (auto* dialog = qobject_cast<QDialog*>(watched))
                QMetaObject::invokeMethod(dialog, &QDialog::reject, Qt::QueuedConnection);
        }
        return false;
    }
};

void quitOnSignals(QCoreApplication& app) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, quitSignal) != 0)
        return;
    auto* notifier = new QSocketNotifier(quitSignal[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [] {
        // Before the main loop runs, the start's own windows (a message, the options dialog, a
        // workbook's progress) wait in loops of their own, which quit() does not reach: they
        // are cancelled, those still to come too, and the program ends when the start returns.
        if (!quitAsked)
            qApp->installEventFilter(new CancelDialogs(qApp));
        quitAsked = true;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<QDialog*>(window); dialog && dialog->isVisible())
                dialog->reject();
        }
        QCoreApplication::quit();
    });
    struct sigaction action {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

} // namespace

int main(int argc, char** argv) {
    // Answered before any window system is asked for, so that they work without a display.
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (argc == 2 && (std::strcmp(argv[1], "--version") == 0 || std::strcmp(argv[1], "-v") == 0)) {
        std::printf("tallyvane %s\n", TALLYVANE_VERSION);
        return 0;
    }
    QApplication qapp(argc, argv);
    quitOnSignals(qapp);
    QApplication::setApplicationName(QStringLiteral("Tallyvane"));
    // The user's settings (where the windows were) in ~/.config/Tallyvane/Tallyvane.conf.
    QApplication::setOrganizationName(QStringLiteral("Tallyvane"));
    QApplication::setApplicationVersion(QStringLiteral(TALLYVANE_VERSION));
    // The system's locale by name: numbers and dates in its forms, read once.
    QLocale::setDefault(QLocale(QLocale::system().name()));
    embedded::registerEmbeddedProvider();
#ifdef TALLYVANE_WITH_UNO
    uno::registerUnoProvider();
#endif
    platform::useMetricSubstitutes();
    // The report goes through the system clipboard, as a user could paste it elsewhere too.
    excel::setClipboardService(
        [] { return QGuiApplication::clipboard()->text(); },
        [](const QString& text) { QGuiApplication::clipboard()->setText(text); });

    const QString argument = QCoreApplication::arguments().mid(1).join(QLatin1Char(' '));
    Startup startup;
    QObject::connect(&startup, &Startup::finished, &qapp, &QCoreApplication::quit,
                     Qt::QueuedConnection);
#ifdef TALLYVANE_WITH_UNO
    startup.attachOffice = [] {
        // Started by the add-on, the office may still be opening its pipe: asked again for a
        // few seconds before the reason is shown.
        for (int attempt = 1;; ++attempt) {
            try {
                return uno::attachToOffice({}, {});
            } catch (const excel::Error&) {
                if (attempt == 15)
                    throw;
                QThread::msleep(200);
            }
        }
    };
#endif
    Class1 automation(startup, argument);
    automation.publish();
    startup.Main(argument);
    // Switches that open a page, and failed attachments, leave no window: the program ends.
    const QWidgetList windows = QApplication::topLevelWidgets();
    if (quitAsked ||
        std::none_of(windows.begin(), windows.end(), [](QWidget* w) { return w->isVisible(); }))
        return 0;
    return qapp.exec();
}
