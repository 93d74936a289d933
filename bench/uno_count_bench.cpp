// The analysis counted by a running office: a column of 100,000 rows with 1,000 categories in a
// document of a headless office (started here on a private profile and pipe), analysed whole as
// the window and the batch do, against (a) one call of the office's function service per
// category and (b) reading the column once and counting in C++. Goals: at least 10x faster
// than (a), at most 3x (b).
//
//   build/bench/uno_count_bench [ROWS [CATEGORIES]]

#include "core/analysis/CategoryTable.h"
#include "core/analysis/HeadlessUi.h"
#include "excel/Worksheet.h"
#include "engines/uno/UnoConnection.h"
#include "engines/uno/UnoHost.h"
#include "engines/uno/UnoSupport.h"
#include "core/platform/ListViewModel.h"

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/util/XCloseable.hpp>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>
#include <cstdio>

using namespace uno;

namespace {

// A stored workbook of one column: a header, then rows labels cycling through the categories.
void makeDocument(UnoConnection& office, const QString& path, int rows, int categories) {
    const Reference<css::frame::XComponentLoader> loader(office.desktop(), UNO_QUERY_THROW);
    Sequence<css::beans::PropertyValue> hidden(1);
    hidden.getArray()[0] = property("Hidden", Any(true));
    const auto component = loader->loadComponentFromURL("private:factory/scalc", "_blank", 0, hidden);
    const Reference<css::sheet::XSpreadsheetDocument> document(component, UNO_QUERY_THROW);
    const Reference<css::container::XIndexAccess> sheets(document->getSheets(), UNO_QUERY_THROW);
    const Reference<css::sheet::XSpreadsheet> sheet(sheets->getByIndex(0), UNO_QUERY_THROW);
    Sequence<Sequence<Any>> data(rows + 1);
    Sequence<Any> header(1);
    header.getArray()[0] <<= rtl::OUString("Defect");
    data.getArray()[0] = header;
    for (int r = 1; r <= rows; ++r) {
        Sequence<Any> row(1);
        row.getArray()[0] <<= toOffice(QStringLiteral("Code %1").arg((r * 7919) % categories));
        data.getArray()[r] = row;
    }
    Reference<css::sheet::XCellRangeData>(sheet->getCellRangeByPosition(0, 0, 0, rows), UNO_QUERY_THROW)
        ->setDataArray(data);
    Sequence<css::beans::PropertyValue> store(2);
    store.getArray()[0] = property("FilterName", Any(rtl::OUString("Calc MS Excel 2007 XML")));
    store.getArray()[1] = property("Overwrite", Any(true));
    Reference<css::frame::XStorable>(document, UNO_QUERY_THROW)
        ->storeAsURL(toOffice(QUrl::fromLocalFile(path).toString()), store);
}

double seconds(const std::function<void()>& work) {
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication qapp(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int categories = argc > 2 ? std::atoi(argv[2]) : 1000;
    QTemporaryDir dir;
    const QString pipe = QStringLiteral("tallyvane-bench-%1").arg(QCoreApplication::applicationPid());
    const QString script = QStringLiteral(TALLYVANE_OFFICE_SCRIPT);
    if (QProcess::execute(script, {QStringLiteral("start"), dir.path(), pipe}) != 0) {
        std::fprintf(stderr, "the office did not start\n");
        return 1;
    }
    const QString place = QStringLiteral("pipe,name=") + pipe;
    int status = 0;
    try {
        const auto office = UnoConnection::open(place);
        const QString path = dir.filePath(QStringLiteral("uno_bench.xlsx"));
        makeDocument(*office, path, rows, categories);
        std::printf("%d rows, %d categories, in a headless office over a pipe\n", rows, categories);

        const auto app = uno::attachToOffice(place, QStringLiteral("uno_bench.xlsx"));
        const excel::Range column = app->Range(QStringLiteral("A1:A%1").arg(rows + 1));
        double whole = 0;
        int counted = 0;
        whole = seconds([&] {
            platform::ListViewModel included;
            platform::ListViewModel results;
            analysis::HeadlessUi ui;
            analysis::CategoryTable table(app, included, results, ui);
            table.prepareLists();
            table.takeRange(column, app->ActiveWorkbook(), true);
            table.CollectUniqueValues();
            table.DetectUniqueCategories();
            table.Refresh();
            counted = results.count();
        });
        std::printf("whole analysis (read, distinct values, counts, ranks): %.3f s, %d categories\n",
                    whole, counted);

        const excel::Range data = column.Offset(1, 0).Resize(rows, 1);
        double perCall = seconds([&] {
            for (int k = 0; k < categories; ++k)
                app->CountIf(data, QStringLiteral("Code %1").arg(k));
        });
        std::printf("(a) one function-service COUNTIF per category: %.3f s (%.2f ms a call)\n",
                    perCall, perCall * 1000 / categories);

        double inCpp = seconds([&] {
            const excel::Variant values = data.Value();
            QHash<QString, int> counts;
            for (const excel::Variant& v : values.array().values())
                ++counts[v.toString()];
            if (counts.size() != categories)
                std::printf("  (counted %lld categories)\n", qlonglong(counts.size()));
        });
        std::printf("(b) the column read once, counted in C++: %.3f s\n", inCpp);
        std::printf("ratio (a) / whole: %.1fx (goal at least 10x)\n", perCall / whole);
        std::printf("ratio whole / (b): %.2fx (goal at most 3x)\n", whole / inCpp);
    } catch (const excel::Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        status = 1;
    } catch (const css::uno::Exception& e) {
        std::fprintf(stderr, "the office refused: %s\n", qPrintable(fromOffice(e.Message)));
        status = 1;
    }
    QProcess::execute(script, {QStringLiteral("stop"), dir.path()});
    return status;
}
