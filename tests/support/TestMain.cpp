// The tests' entry: every test runs in the same pinned locale (US English), whatever the machine's
// own; tests of other locales set theirs and put it back. Widget tests also get an application
// object, on the offscreen platform when there is no display. Settings the program keeps go to
// Qt's test folder, never to the user's own, in a folder of each test process's own: tests run
// in parallel processes, and one that clears the settings must not clear another's.

#include <QCoreApplication>
#include <QDir>
#include <QLocale>
#include <QSettings>
#include <QStandardPaths>

#ifdef TALLYVANE_TEST_WIDGETS
#include "ui/platform/Fonts.h"

#include <QApplication>
#endif

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QStandardPaths::setTestModeEnabled(true);
    const QString settings = QStandardPaths::writableLocation(QStandardPaths::ConfigLocation) +
                             QStringLiteral("/tallyvane-tests-%1")
                                 .arg(QCoreApplication::applicationPid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings);
    const auto result = [&settings](int code) {
        QDir(settings).removeRecursively();
        return code;
    };
#ifdef TALLYVANE_TEST_WIDGETS
    // Listing the tests (at test discovery) needs no window system.
    if (::testing::GTEST_FLAG(list_tests))
        return result(RUN_ALL_TESTS());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    platform::useMetricSubstitutes(); // as the program does, so that pictures look alike
#endif
    return result(RUN_ALL_TESTS());
}
