#pragma once
// A workbook as the readers deliver it: its sheets in tab order with their cells and saved
// selections, and which sheet is active.

#include "engines/embedded/store/CellStore.h"
#include "excel/CellRef.h"
#include "excel/ChartModel.h"

#include <QString>
#include <QVector>
#include <map>
#include <memory>
#include <vector>

namespace embedded {

// A conditional format as the file stores it: its cells, and what this program can draw of it
// (a rule that fills cells containing a text). The file keeps it as it is; only its cells may
// change.
struct StoredRule {
    QVector<excel::CellRect> ranges;
    bool contains = false; // a "contains text" rule: containsText is what it looks for
    QString containsText;
    int dxfId = -1; // the differential format it applies, -1 when none
};

struct SheetData {
    QString name;
    bool hidden = false;
    std::shared_ptr<CellStore> cells;
    // The saved selection of the sheet (of its active pane); A1 when the file names none.
    QVector<excel::CellRect> selection{excel::CellRect::cell(1, 1)};
    excel::CellRect activeCell = excel::CellRect::cell(1, 1);
    // What the file declares as the sheet's extent. Only reported: it may be wrong, and the
    // store is sized from it only where the part is large enough to hold it.
    QString declaredDimension;
    QString partName; // where the sheet came from in the package; empty for other sources
    // By column, in characters, where the file gives them; the worksheet takes them over.
    std::map<int, double> columnWidths;
    // The sheet's conditional formats, in the file's order.
    std::vector<StoredRule> storedRules;
    // The charts of the sheet's drawing.
    std::vector<excel::ChartShapeModel> charts;
};

struct WorkbookData {
    QString name; // the file name, as the spreadsheet shows it
    QString path;
    std::shared_ptr<BookContext> context = std::make_shared<BookContext>();
    std::vector<SheetData> sheets;
    int activeSheet = 0; // index into sheets
    // The workbook file it was read from when that is a package (.xlsx); empty otherwise.
    QString packagePath;
    // Tabs that are not worksheets (chart sheets), which still take names.
    QStringList otherSheetNames;
    // Workbook-level defined names as the file stores them: name and formula.
    std::vector<std::pair<QString, QString>> definedNames;
};

} // namespace embedded
