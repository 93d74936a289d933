// An office that goes away while the program is attached: the call that meets the dead bridge
// says so in a sentence, later calls say the spreadsheet is gone, and the analysis stops instead
// of counting on with zeros. The office here is one of the test's own, killed by its process ids.

#include "analysis/CategoryTable.h"
#include "analysis/HeadlessUi.h"
#include "excel/Error.h"
#include "excel/uno/UnoHost.h"
#include "platform/ListViewModel.h"
#include "support/OfficeDocuments.h"
#include "support/TestFiles.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

TEST(LostOffice, EndsTheCountWithASentenceAndLeavesTheProgramStanding) {
    const QString dir = testsupport::scratchDir("lost-office");
    const QString pipe = QStringLiteral("tallyvane-lost-%1").arg(QCoreApplication::applicationPid());
    const QString script = QStringLiteral(TALLYVANE_OFFICE_SCRIPT);
    ASSERT_EQ(QProcess::execute(script, {"start", dir, pipe}), 0);
    const QString place = QStringLiteral("pipe,name=") + pipe;
    qputenv("TALLYVANE_UNO_CONNECT", place.toUtf8());
    const QString book = dir + "/defects.xlsx";
    ASSERT_TRUE(QFile::copy(TALLYVANE_SAMPLE, book));
    testsupport::office::loadHidden(book);

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

} // namespace
