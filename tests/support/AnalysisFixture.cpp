#include "support/AnalysisFixture.h"

#include "core/report/ReportAction.h"
#include "excel/Workbook.h"
#include "excel/Worksheet.h"

#include <QFile>
#include <gtest/gtest.h>

namespace testsupport {

std::shared_ptr<embedded::EmbeddedApplication> hostColumn(const QVector<excel::Variant>& values) {
    embedded::WorkbookData data;
    data.name = QStringLiteral("Book.xlsx");
    embedded::SheetData sheet;
    sheet.name = QStringLiteral("Data");
    sheet.cells = std::make_shared<embedded::CellStore>(data.context);
    for (int i = 0; i < values.size(); ++i)
        sheet.cells->setValue(i + 1, 1, values[i]);
    sheet.selection = {excel::CellRect{1, 1, int(values.size()), 1}};
    data.sheets.push_back(std::move(sheet));
    auto app = embedded::EmbeddedApplication::create();
    app->host(std::move(data));
    return app;
}

Analysis::Analysis(const QVector<excel::Variant>& column)
    : app(hostColumn(column))
    , table(app, included, main, ui)
    , rows(int(column.size())) {
    table.prepareLists();
}

Analysis::Analysis(std::shared_ptr<embedded::EmbeddedApplication> host, const QString& ref)
    : app(std::move(host))
    , table(app, included, main, ui)
    , rows(0)
    , reference(ref) {
    table.prepareLists();
}

void Analysis::analyse() {
    const auto range =
        app->Range(reference.isEmpty() ? QStringLiteral("A1:A%1").arg(rows) : reference);
    table.takeRange(range, app->ActiveWorkbook(), true);
    table.CollectUniqueValues();
    if (table.DetectUniqueCategories())
        table.Refresh();
}

QStringList Analysis::results() const {
    QStringList lines;
    for (int row = 0; row < main.count(); ++row) {
        QStringList cells{main.text(row)};
        for (int c = 1; c < main.columns(); ++c)
            cells << main.subItem(row, c);
        lines << cells.join(QLatin1Char(' '));
    }
    return lines;
}

int Analysis::rowOf(const QString& label) const {
    for (int row = 0; row < included.count(); ++row) {
        if (included.text(row) == label)
            return row;
    }
    return -1;
}

excel::ChartShapeModel saveSampleReport(const QString& sample, const QString& path) {
    QFile::remove(path);
    EXPECT_TRUE(QFile::copy(sample, path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    auto app = embedded::EmbeddedApplication::create();
    app->open(path);
    Analysis analysis(app, QStringLiteral("'Defect log'!C1:C501"));
    analysis.analyse();
    EXPECT_EQ(report::runReport(*app, app->ActiveWorkbook(), analysis.main, true).outcome,
              report::ReportResult::Outcome::Written);
    const auto charts = app->ActiveSheet()->charts();
    const excel::ChartShapeModel made = charts.empty() ? excel::ChartShapeModel() : *charts.front();
    app->ActiveWorkbook()->Save();
    return made;
}

} // namespace testsupport
