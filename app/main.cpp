// Tallyvane: attaches to the running spreadsheet that its argument string names (a workbook file
// for the embedded host), or runs one of its switches: /612 About, /1003 help page, /613 contact.

#include "Class1.h"
#include "Startup.h"
#include "excel/Clipboard.h"
#include "excel/embedded/EmbeddedHost.h"
#include "platform/Fonts.h"

#include <QApplication>
#include <QClipboard>
#include <QLocale>
#include <QStringList>
#include <algorithm>

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tallyvane"));
    // The system's locale by name: numbers and dates in its forms, read once.
    QLocale::setDefault(QLocale(QLocale::system().name()));
    embedded::registerEmbeddedProvider();
    platform::useMetricSubstitutes();
    // The report goes through the system clipboard, as a user could paste it elsewhere too.
    excel::setClipboardService(
        [] { return QGuiApplication::clipboard()->text(); },
        [](const QString& text) { QGuiApplication::clipboard()->setText(text); });

    const QString argument = QCoreApplication::arguments().mid(1).join(QLatin1Char(' '));
    Startup startup;
    QObject::connect(&startup, &Startup::finished, &qapp, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    Class1 automation(startup, argument);
    automation.publish();
    startup.Main(argument);
    // Switches that open a page, and failed attachments, leave no window: the program ends.
    const QWidgetList windows = QApplication::topLevelWidgets();
    if (std::none_of(windows.begin(), windows.end(), [](QWidget* w) { return w->isVisible(); }))
        return 0;
    return qapp.exec();
}
