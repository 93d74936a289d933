// The Calc add-on in an office with windows, on a virtual screen: added to the office's profile,
// the sample open in a window, the add-on's command (what its Tools menu entry and toolbar button
// send) makes the office listen and starts the window program, which attaches to the document on
// screen. The highlight and the report then appear in that window. With TALLYVANE_PICTURES set to
// a folder, the screen is saved there after each step (scripts/take-pictures.sh).

#include "excel/Error.h"
#include "engines/uno/UnoConnection.h"
#include "engines/uno/UnoHost.h"
#include "support/OfficeDocuments.h"
#include "support/TestFiles.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QThread>
#include <gtest/gtest.h>
#include <thread>

namespace {

const char* const kCommand =
    "vnd.sun.star.script:Tallyvane.Launcher.Start?language=Basic&location=application";

class OfficeDesktop : public ::testing::Test {
protected:
    void SetUp() override {
        if (!QFile::exists(QStringLiteral(TALLYVANE_OFFICE_PROGRAM_DIR "/libvclplug_genlo.so")))
            GTEST_SKIP() << "this office has no windows (libreoffice-calc-nogui)";
        if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("xwininfo")).isEmpty())
            GTEST_SKIP() << "Xvfb and xwininfo (packages xvfb, x11-utils) are not installed";
        dir = testsupport::scratchDir("office-desktop");
        const QString id = QString::number(QCoreApplication::applicationPid());
        control = QStringLiteral("pipe,name=tallyvane-desktop-") + id;
        addOnPlace = QStringLiteral("pipe,name=tallyvane-addon-") + id;
        // The office hands its environment to the program the add-on starts: where the add-on
        // makes it listen, where that program is (a link of this test's own, so that it can be
        // stopped by its path), and the screen it shows its window on.
        program = dir + "/tallyvane";
        QFile::remove(program);
        ASSERT_TRUE(QFile::link(QStringLiteral(TALLYVANE_WINDOW_PROGRAM), program));
        qputenv("TALLYVANE_PROGRAM", program.toUtf8());
        qputenv("TALLYVANE_UNO_CONNECT", addOnPlace.toUtf8());
        qputenv("QT_QPA_PLATFORM", "xcb");
        // The program's settings of the test's own, with the analysis window at the screen's
        // right edge: where a window manager puts a new window varies, and in the middle it
        // would cover the office's column the test looks at.
        const QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", (dir + "/config").toUtf8());
        QSettings(dir + "/config/Tallyvane/Tallyvane.conf", QSettings::IniFormat)
            .setValue(QStringLiteral("AnalysisWindow/geometry"), QRect(664, 0, 616, 637));
        const int started = QProcess::execute(QStringLiteral(TALLYVANE_OFFICE_SCRIPT),
                                              {"desktop", dir, control.section('=', 1)});
        if (configHome.isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", configHome);
        qputenv("TALLYVANE_UNO_CONNECT", control.toUtf8());
        qunsetenv("TALLYVANE_PROGRAM");
        qputenv("QT_QPA_PLATFORM", "offscreen");
        ASSERT_EQ(started, 0);
        QFile file(dir + "/display");
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        display = QString::fromUtf8(file.readAll()).trimmed();
    }

    void TearDown() override {
        if (!program.isEmpty())
            QProcess::execute(QStringLiteral("pkill"), {"-f", program});
        if (!dir.isEmpty())
            QProcess::execute(QStringLiteral(TALLYVANE_OFFICE_SCRIPT), {"stop", dir});
    }

    // The names of the windows on the screen.
    QString windows() const {
        return testsupport::runProgram(QStringLiteral("xwininfo"),
                                       {"-display", display, "-root", "-tree"})
            .out;
    }

    // A message box of the program (its caption is "Tallyvane"; the program's own 1x1 leader
    // window has that name too).
    bool messageBoxShown() const {
        static const QRegularExpression box(QStringLiteral("\"Tallyvane\": \\(\\)\\s+(\\d+)x(\\d+)"));
        for (auto it = box.globalMatch(windows()); it.hasNext();) {
            if (it.next().captured(1).toInt() > 1)
                return true;
        }
        return false;
    }

    bool waitFor(const std::function<bool()>& done, int seconds) const {
        const QDeadlineTimer deadline(seconds * 1000);
        while (!deadline.hasExpired()) {
            if (done())
                return true;
            QThread::msleep(250);
        }
        return done();
    }

    // The screen as a picture: into TALLYVANE_PICTURES when set, else the test's folder. Null
    // where ImageMagick's import is not installed.
    QImage picture(const QString& name) const {
        if (QStandardPaths::findExecutable(QStringLiteral("import")).isEmpty())
            return {};
        QString folder = qEnvironmentVariable("TALLYVANE_PICTURES");
        if (folder.isEmpty())
            folder = dir;
        QThread::msleep(1500); // the office draws what changed
        testsupport::runProgram(QStringLiteral("import"),
                                {"-display", display, "-window", "root", folder + "/" + name});
        return QImage(folder + "/" + name);
    }

    // Where the window of that name is on the screen (its largest one; the window manager
    // places it, so it is not always right of the office's cells).
    QRect placeOf(const QString& name) const {
        static const QRegularExpression line(QStringLiteral(
            "\"%1\":.*\\s(\\d+)x(\\d+)\\+-?\\d+\\+-?\\d+\\s+\\+(-?\\d+)\\+(-?\\d+)"));
        QRect largest;
        const QRegularExpression named(line.pattern().arg(QRegularExpression::escape(name)));
        for (auto it = named.globalMatch(windows()); it.hasNext();) {
            const auto m = it.next();
            const QRect r(m.captured(3).toInt(), m.captured(4).toInt(), m.captured(1).toInt(),
                          m.captured(2).toInt());
            if (r.width() * r.height() > largest.width() * largest.height())
                largest = r;
        }
        return largest;
    }

    // Pixels of the colour in the picture outside the rectangle.
    static int pixelsOf(const QImage& image, QRgb colour, const QRect& outside = {}) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (!outside.contains(x, y))
                    n += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
            }
        }
        return n;
    }

    testsupport::ProgramRun batch(const QStringList& arguments) const {
        return testsupport::runProgram(QStringLiteral(TALLYVANE_BATCH),
                                       QStringList{"--office", "--document", "defects.xlsx"} + arguments);
    }

    QString dir, control, addOnPlace, program, display;
};

TEST_F(OfficeDesktop, TheAddOnStartsTheAnalysisOnTheDocumentOnScreen) {
    testsupport::office::addExtension(QStringLiteral(TALLYVANE_ADDON));
    const QString book = dir + "/defects.xlsx";
    QFile::remove(book);
    ASSERT_TRUE(QFile::copy(TALLYVANE_SAMPLE, book));
    testsupport::office::loadOnScreen(book);
    testsupport::office::select(book, "C1:C200");
    // The office took the add-on's menu entry (Tools, after the solver), its toolbar button and
    // the pipe it listens on from its next start.
    const QString entry = "/org.openoffice.Office.Addons/AddonUI";
    const QString merge = "OfficeMenuBarMerging/org.tallyvane.Tallyvane.CalcAddOn/ToolsMenu";
    EXPECT_EQ(testsupport::office::setting(entry, merge + "/MergePoint"),
              ".uno:ToolsMenu\\.uno:SolverDialog");
    EXPECT_EQ(testsupport::office::setting(entry, merge + "/MenuItems/M1/Title"),
              "Tallyvane Pareto analysis");
    EXPECT_EQ(testsupport::office::setting(entry, merge + "/MenuItems/M1/URL"), kCommand);
    EXPECT_EQ(testsupport::office::setting(
                  entry, "OfficeToolBar/org.tallyvane.Tallyvane.CalcAddOn/B1/URL"),
              kCommand);
    EXPECT_EQ(testsupport::office::setting("/org.openoffice.Setup/Office", "ooSetupConnectionURL"),
              "pipe,name=tallyvane;urp;StarOffice.ComponentContext");
    // Nothing listens where the add-on makes the office listen before its command runs.
    EXPECT_EQ(uno::UnoConnection::open(addOnPlace), nullptr);

    testsupport::office::dispatch(book, kCommand);
    EXPECT_TRUE(waitFor([&] { return uno::UnoConnection::open(addOnPlace) != nullptr; }, 20))
        << "the add-on did not make the office listen at " << addOnPlace.toStdString();
    // The analysis window, not a message box ("Tallyvane") saying why it could not attach.
    EXPECT_TRUE(waitFor([&] { return windows().contains("\"Tallyvane 2.1\""); }, 30))
        << windows().toStdString();
    EXPECT_FALSE(messageBoxShown()) << windows().toStdString();
    picture(QStringLiteral("office-1-analysis-window.png"));

    const auto highlight = batch({"--range", "C:C", "--highlight", "Scratch"});
    ASSERT_EQ(highlight.code, 0) << highlight.err.toStdString();
    testsupport::office::select(book, "A1"); // the selection's tint would hide the highlight
    // The cells are filled light yellow in the office's window, outside the analysis window
    // (a busy machine may take a while to draw them).
    const QRect analysisWindow = placeOf(QStringLiteral("Tallyvane 2.1"));
    EXPECT_GT(analysisWindow.width(), 500) << windows().toStdString();
    QImage highlighted;
    waitFor([&] {
        highlighted = picture(QStringLiteral("office-2-highlight.png"));
        return highlighted.isNull() || pixelsOf(highlighted, 0xFFFFCC, analysisWindow) > 2000;
    }, 40);
    if (!highlighted.isNull()) {
        EXPECT_GT(pixelsOf(highlighted, 0xFFFFCC, analysisWindow), 2000)
            << "no highlight on the screen; the analysis window is at " << analysisWindow.x()
            << "," << analysisWindow.y() << " " << analysisWindow.width() << "x"
            << analysisWindow.height() << "; the windows:\n" << windows().toStdString();
    }

    const auto report = batch({"--range", "C:C", "--report", "--chart"});
    ASSERT_EQ(report.code, 0) << report.err.toStdString();
    EXPECT_TRUE(report.err.contains("wrote the report sheet Tallyvane1")) << report.err.toStdString();
    // The table and the chart beside it, both to the left of the analysis window.
    testsupport::office::zoom(book, 45);
    picture(QStringLiteral("office-3-report-with-chart.png"));
}

// The add-on's second entry asks for the Pareto options of the document on screen, in a window
// of its own; the reports then shaped by them are Calc's own tables and charts: a weighted
// Pareto with Other and the 80 % line, and a table and chart per line.
TEST_F(OfficeDesktop, TheOptionsEntryAsksForTheDocumentsOptionsAndReportsAreCalcsOwn) {
    testsupport::office::addExtension(QStringLiteral(TALLYVANE_ADDON));
    const QString book = dir + "/defects.xlsx";
    QFile::remove(book);
    ASSERT_TRUE(QFile::copy(TALLYVANE_SAMPLE, book));
    testsupport::office::loadOnScreen(book);
    const QString merge = "OfficeMenuBarMerging/org.tallyvane.Tallyvane.CalcAddOn/ToolsMenu";
    EXPECT_EQ(testsupport::office::setting("/org.openoffice.Office.Addons/AddonUI",
                                           merge + "/MenuItems/M2/Title"),
              "Tallyvane Pareto options...");
    const QString options = QString::fromLatin1(kCommand).replace("Launcher.Start", "Launcher.Options");
    EXPECT_EQ(testsupport::office::setting("/org.openoffice.Office.Addons/AddonUI",
                                           merge + "/MenuItems/M2/URL"),
              options);
    testsupport::office::dispatch(book, options);
    EXPECT_TRUE(waitFor([&] { return windows().contains("\"Pareto options of defects.xlsx\""); }, 30))
        << windows().toStdString();
    picture(QStringLiteral("office-4-pareto-options.png"));
    QProcess::execute(QStringLiteral("pkill"), {"-f", program});

    const auto weighted = batch({"--range", "C:C", "--skip-header", "--weight", "D:D", "--rank-by",
                                 "weight", "--other-after", "80", "--classes", "80", "--report",
                                 "--chart"});
    ASSERT_EQ(weighted.code, 0) << weighted.err.toStdString();
    testsupport::office::zoom(book, 60);
    picture(QStringLiteral("office-5-weighted-pareto.png"));
    const auto grouped = batch({"--range", "'Defect log'!C:C", "--skip-header", "--by", "B:B", "--classes", "80",
                                "--report", "--chart"});
    ASSERT_EQ(grouped.code, 0) << grouped.err.toStdString();
    EXPECT_TRUE(grouped.err.contains("wrote the report sheet Tallyvane2")) << grouped.err.toStdString();
    testsupport::office::zoom(book, 35);
    picture(QStringLiteral("office-6-pareto-by-line.png"));
}

TEST_F(OfficeDesktop, TheRangeInputBoxIsAnsweredInTheOfficeWindow) {
    const QString book = dir + "/defects.xlsx";
    QFile::remove(book);
    ASSERT_TRUE(QFile::copy(TALLYVANE_SAMPLE, book));
    testsupport::office::loadOnScreen(book);
    ASSERT_TRUE(waitFor([&] { return windows().contains("libreoffice-calc"); }, 30));
    const auto app = uno::attachToOffice(control, QStringLiteral("defects.xlsx"));
    const QString prompt = QStringLiteral("Select the range to query");

    // The user types the reference into the office's range bar and confirms it.
    std::thread user([&] { testsupport::office::answerRangeSelection(prompt, "C1:C40"); });
    const auto picked = app->InputBox(prompt, QStringLiteral("Tallyvane"));
    user.join();
    ASSERT_TRUE(picked.has_value());
    EXPECT_EQ(picked->Address(), "$C$1:$C$40");
    EXPECT_EQ(picked->Worksheet()->Name(), "Defect log");

    // The user cancels there: no range, and the program goes on.
    std::thread cancelling([&] { testsupport::office::answerRangeSelection(prompt, {}); });
    const auto cancelled = app->InputBox(prompt, QStringLiteral("Tallyvane"));
    cancelling.join();
    EXPECT_FALSE(cancelled.has_value());

    // The office goes away while the user is to pick: that is said, not taken as a cancel.
    std::thread closing([&] {
        QThread::msleep(3000);
        const int stopped = std::system(qPrintable(QStringLiteral(TALLYVANE_OFFICE_SCRIPT " stop '%1'").arg(dir)));
        EXPECT_EQ(stopped, 0);
    });
    try {
        app->InputBox(prompt, QStringLiteral("Tallyvane"));
        ADD_FAILURE() << "an office gone is no answer";
    } catch (const excel::HostGone& e) {
        EXPECT_EQ(e.message(), "LibreOffice closed the connection.");
    }
    closing.join();
}

} // namespace
