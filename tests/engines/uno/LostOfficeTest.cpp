// An office that goes away while the program is attached: the call that meets the dead bridge
// says so in a sentence, later calls say the spreadsheet is gone, and the analysis stops instead
// of counting on with zeros. An office that stops answering (stopped with SIGSTOP) is given up
// after the time limit. The offices here are the tests' own, ended by their process ids.

#include "core/analysis/CategoryTable.h"
#include "core/analysis/HeadlessUi.h"
#include "excel/Error.h"
#include "engines/uno/UnoHost.h"
#include "core/platform/ListViewModel.h"
#include "support/OfficeDocuments.h"
#include "support/TestFiles.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>
#include <csignal>

namespace {

// An office of the test's own in dir, listening on a pipe of its own, with a copy of the sample
// loaded hidden; TALLYVANE_UNO_CONNECT names its place while the test runs. Gives the place.
QString startOwnOffice(const QString& dir, const char* name) {
    const QString pipe =
        QStringLiteral("tallyvane-%1-%2").arg(name).arg(QCoreApplication::applicationPid());
    if (QProcess::execute(TALLYVANE_OFFICE_SCRIPT, {"start", dir, pipe}) != 0)
        return {};
    const QString place = QStringLiteral("pipe,name=") + pipe;
    qputenv("TALLYVANE_UNO_CONNECT", place.toUtf8());
    const QString book = dir + "/defects.xlsx";
    QFile::copy(TALLYVANE_SAMPLE, book);
    testsupport::office::loadHidden(book);
    return place;
}

TEST(LostOffice, EndsTheCountWithASentenceAndLeavesTheProgramStanding) {
    const QString dir = testsupport::scratchDir("lost-office");
    const QString script = QStringLiteral(TALLYVANE_OFFICE_SCRIPT);
    const QString place = startOwnOffice(dir, "lost");
    ASSERT_FALSE(place.isEmpty());

    const auto app = uno::attachToOffice(place, QStringLiteral("defects.xlsx"));
    platform::ListViewModel included;
    platform::ListViewModel results;
    analysis::HeadlessUi ui;
    analysis::CategoryTable table(app, included, results, ui);
    table.prepareLists();
    ASSERT_EQ(table.takeRange(app->Range("C:C"), app->ActiveWorkbook(), true),
              analysis::RangeProblem::None);
    table.CollectUniqueValues();
    ASSERT_TRUE(table.DetectUniqueCategories());

    QProcess::execute(script, {"stop", dir});
    qunsetenv("TALLYVANE_UNO_CONNECT");
    try {
        table.Refresh();
        FAIL() << "counting in an office that has gone must stop";
    } catch (const excel::HostGone& e) {
        EXPECT_EQ(e.message(), "LibreOffice closed the connection.");
    }
    try {
        app->CountA(app->Range("C:C"));
        FAIL() << "a later call must say that the spreadsheet is gone";
    } catch (const excel::HostGone& e) {
        EXPECT_EQ(e.message(), "The spreadsheet is gone: LibreOffice closed the connection. Open "
                               "the workbook in LibreOffice and start the analysis again.");
    }
}

// The office started in dir and every process below it.
QList<qint64> officeProcesses(const QString& dir) {
    QFile pidFile(dir + "/office.pid");
    if (!pidFile.open(QIODevice::ReadOnly))
        return {};
    QList<qint64> all{pidFile.readAll().trimmed().toLongLong()};
    for (int i = 0; i < all.size(); ++i) {
        QProcess children;
        children.start("pgrep", {"-P", QString::number(all[i])});
        children.waitForFinished();
        for (const QByteArray& line : children.readAllStandardOutput().split('\n'))
            if (!line.trimmed().isEmpty())
                all << line.trimmed().toLongLong();
    }
    return all;
}

TEST(LostOffice, AStoppedOfficeEndsTheBatchWithASentenceAfterTheTimeLimit) {
    const QString dir = testsupport::scratchDir("stopped-office");
    const QString script = QStringLiteral(TALLYVANE_OFFICE_SCRIPT);
    const QString place = startOwnOffice(dir, "stopped");
    ASSERT_FALSE(place.isEmpty());
    const auto attached = uno::attachToOffice(place, QStringLiteral("defects.xlsx"));
    const excel::Range column = attached->Range("C:C");
    qunsetenv("TALLYVANE_UNO_CONNECT");

    const QList<qint64> office = officeProcesses(dir);
    ASSERT_FALSE(office.isEmpty());
    for (qint64 pid : office)
        ::kill(pid_t(pid), SIGSTOP);
    QProcess batch;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TALLYVANE_UNO_CONNECT", place);
    env.insert("TALLYVANE_UNO_TIMEOUT", "3");
    batch.setProcessEnvironment(env);
    QElapsedTimer took;
    took.start();
    batch.start(TALLYVANE_BATCH, {"--office", "--document", "defects.xlsx", "--range", "C:C"});
    const bool ended = batch.waitForFinished(60000);
    const qint64 seconds = took.elapsed() / 1000;
    if (!ended)
        batch.kill();
    // A program attached before the office stopped: its next call gives up too.
    qputenv("TALLYVANE_UNO_TIMEOUT", "3");
    QString attachedSaid;
    took.restart();
    try {
        attached->CountA(column);
    } catch (const excel::HostGone& e) {
        attachedSaid = e.message();
    }
    const qint64 attachedSeconds = took.elapsed() / 1000;
    qunsetenv("TALLYVANE_UNO_TIMEOUT");
    for (qint64 pid : office)
        ::kill(pid_t(pid), SIGCONT);
    QProcess::execute(script, {"stop", dir});

    ASSERT_TRUE(ended) << "the batch waited on the stopped office";
    EXPECT_EQ(batch.exitCode(), 1);
    EXPECT_LT(seconds, 30);
    EXPECT_TRUE(batch.readAllStandardOutput().isEmpty());
    EXPECT_EQ(QString::fromUtf8(batch.readAllStandardError()).trimmed(),
              "tallyvane-batch: LibreOffice listens at \"" + place +
                  "\" but did not answer within 3 seconds (it may be stopped or hung).");
    EXPECT_EQ(attachedSaid, "LibreOffice did not answer (it may be stopped or hung); this "
                            "program gave up after waiting 3 seconds and closed the connection.");
    EXPECT_LT(attachedSeconds, 30);
}

} // namespace
