// The install notice: its texts, its Close button, and the program ending with its window.

#include "Live.h"

#include "support/TestFiles.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

TEST(Setupnote, ShowsTheNoticeAndClosesWithItsButton) {
    QPointer<Live> live = new Live;
    live->show();
    EXPECT_EQ(live->windowTitle(), "Form1");
    const auto* label1 = live->findChild<QLabel*>("Label1");
    const auto* label2 = live->findChild<QLabel*>("Label2");
    ASSERT_TRUE(label1 && label2);
    EXPECT_EQ(label1->text(), "Tallyvane  successfully installed");
    EXPECT_EQ(label2->text().split('\n').value(1), "tab created within Excel");
    const int dpi = live->logicalDpiX();
    EXPECT_EQ(live->size(), QSize(5568 * dpi / 1440, 3024 * dpi / 1440))
        << "twips at the screen's dpi";
    QDir().mkpath(testsupport::generatedDir("pictures"));
    EXPECT_TRUE(live->grab().save(testsupport::generatedDir("pictures") + "/setupnote.png"));

    // As in the program: the event loop runs until the last window closes.
    int lastClosed = 0;
    QObject::connect(qApp, &QGuiApplication::lastWindowClosed, [&] { ++lastClosed; });
    QTimer::singleShot(0, live, [&] { live->findChild<QPushButton*>("Command1")->click(); });
    QTimer safety;
    safety.setSingleShot(true);
    QObject::connect(&safety, &QTimer::timeout, qApp, &QCoreApplication::quit);
    safety.start(10000);
    qApp->exec();
    EXPECT_TRUE(safety.isActive()) << "the loop ended by itself";
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(live.isNull()) << "the window is gone";
    EXPECT_EQ(lastClosed, 1) << "and with it the program's last window";
}

TEST(Setupnote, TheProgramRunsUntilItsWindowIsClosed) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(TALLYVANE_SETUPNOTE), {});
    ASSERT_TRUE(p.waitForStarted(10000));
    EXPECT_FALSE(p.waitForFinished(1500)) << "it stays while its window is open";
    p.terminate();
    EXPECT_TRUE(p.waitForFinished(10000));
}

} // namespace
