#pragma once
// What each engine supplies for a workbook: its sheets in tab order, adding and moving them, and
// its standard font. The Workbook that callers use (Workbook.h) builds its collections on these.

#include <QString>
#include <QStringList>
#include <memory>

namespace excel {

class Worksheet;

class WorkbookBackend {
public:
    virtual ~WorkbookBackend() = default;

    virtual int sheetCount() const = 0;
    // index counts from 1 in tab order; null when out of range.
    virtual std::shared_ptr<Worksheet> sheetAt(int index) const = 0;
    // A new empty worksheet at index (from 1; the others move right), named name.
    virtual std::shared_ptr<Worksheet> insertWorksheet(int index, const QString& name) = 0;
    // Moves a sheet to index (from 1, counted without it).
    virtual void moveSheet(const Worksheet* sheet, int index) = 0;
    // Names of tabs that are not worksheets (chart sheets); they take names too.
    virtual QStringList otherSheetNames() const { return {}; }
    // The standard font of the workbook: its name (empty where the host does not say) and its
    // size in points (0 likewise).
    virtual QString standardFontName() const { return {}; }
    virtual double standardFontSize() const { return 0; }
};

} // namespace excel
