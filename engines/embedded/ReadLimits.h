#pragma once
// How much a workbook file may ask of us before it is refused. A file cannot make the reader
// allocate by what it claims (the dimension of a sheet, the sizes in zip headers); these caps
// bound what it actually delivers.

#include "excel/CellRef.h"

#include <QString>
#include <QtGlobal>
#include <functional>

namespace embedded {

struct ReadLimits {
    qint64 maxFileBytes = qint64(1) << 30;         // the file on disk
    int maxEntries = 10000;                        // parts in the zip archive
    int maxSheets = 4096;                          // entries of the workbook's sheet list
    qint64 maxPartBytes = qint64(512) << 20;       // one part, unpacked
    qint64 maxSmallPartBytes = qint64(64) << 20;   // parts read whole: workbook, styles, rels
    qint64 maxTotalBytes = qint64(2) << 30;        // all parts read, unpacked
    qint64 maxCellsPerSheet = qint64(32) << 20;    // stored cells of one sheet
    qint64 maxCellsPerWorkbook = qint64(64) << 20; // stored cells of the whole workbook
    qint64 maxSharedStrings = qint64(16) << 20;    // entries of the shared strings
    // The columns whose cells are kept; cells of others are counted (against the caps above, and
    // in the sheet's used range) but not read. Only for a reader that needs no other cell and
    // saves nothing it read whole (a .csv is saved from its cells).
    int firstColumn = 1;
    int lastColumn = 16384;
    bool keepsEveryColumn() const { return firstColumn <= 1 && lastColumn >= 16384; }
    // A read for one analysis, which lists at most mostValues different values of the cells in
    // valueArea of the sheet valueSheet (empty: the active sheet). Once those cells hold more
    // different texts than that (without regard to case, as the analysis tells them apart), the
    // read ends with TooManyValues: nothing further in the file could make the range acceptable.
    // 0: read to the end whatever the cells hold.
    int mostValues = 0;
    // Whether the sheets' charts are read (for a window that shows them).
    bool withCharts = true;
    // Whether sheets are read by the fast plain reader first (the full parser takes a part beyond
    // it); false reads every sheet with the full parser, as tests compare the two.
    bool plainReader = true;
    // How much of a text file (.csv) is read at a time; tests make it small, so that its pieces
    // end within every kind of field.
    qint64 textPieceBytes = qint64(1) << 20;
    QString valueSheet;
    excel::CellRect valueArea;
    // Whether the sheet of that name (the active one or not) holds those cells.
    bool watchesValuesOf(const QString& sheet, bool active) const {
        return mostValues > 0 && (valueSheet.isEmpty()
                                      ? active
                                      : valueSheet.compare(sheet, Qt::CaseInsensitive) == 0);
    }
    // Told as the parts are unpacked: bytes so far and in all (of the parts read); false stops
    // the read (it raises ReadCancelled). May be called from the thread that reads.
    std::function<bool(qint64 done, qint64 total)> progress;
};

} // namespace embedded
