// Attaches to the running spreadsheet that the argument string names and reports what it finds:
// the workbook, its sheets and the current selection. The analysis window takes this place once
// it exists; until then this shows that attachment and the engine work end to end.

#include "excel/Error.h"
#include "excel/RunningApplications.h"
#include "excel/embedded/EmbeddedHost.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

int main(int argc, char** argv) {
    QCoreApplication qapp(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    embedded::registerEmbeddedProvider();

    const QString argument = QCoreApplication::arguments().mid(1).join(QLatin1Char(' '));
    try {
        const auto app = excel::activeApplication(argument);
        if (!app) {
            err << "No running Excel instance found\n";
            return 1;
        }
        const auto book = app->ActiveWorkbook();
        if (!book) {
            err << "An Excel instance found but no Activeworkbook\n";
            return 1;
        }
        out << "Workbook: " << book->Name() << "\n";
        const auto sheets = book->Worksheets();
        for (int i = 1; i <= sheets.Count(); ++i) {
            const auto sheet = sheets(i);
            out << "  Sheet " << i << ": " << sheet->Name() << ", used range "
                << sheet->UsedRange().Address() << "\n";
        }
        out << "Active sheet: " << app->ActiveSheet()->Name() << "\n";
        if (const auto selection = app->Selection()) {
            out << "Selection: " << selection->Address(true, true, true) << " ("
                << app->CountA(*selection) << " non-empty cells)\n";
            const auto first = selection->Cells(1, 1).Value();
            out << "First cell: " << first.toString() << "\n";
        }
    } catch (const excel::Error& e) {
        err << e.message() << "\n";
        return 2;
    }
    return 0;
}
