#pragma once
// Helpers shared by the tests: scratch folders, small workbook files written on the spot, and a
// plain-text dump of what the engine read, for comparing readers and producers.

#include "excel/Variant.h"
#include "engines/embedded/store/WorkbookData.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>
#include <map>
#include <ostream>
#include <utility>
#include <vector>

// Lets test failures show texts as text.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace testsupport {

// Where a test may write: a folder of the running test's own, made fresh per name.
QString scratchDir(const QString& name);
// The folder of real workbooks from other producers (tests/data/workbooks).
QString producerWorkbooksDir();
// A file of tests/data, by its path there ("findings/f7_row_zero.xlsx").
QString testData(const QString& path);
// Where the fixture scripts leave their files (hostile/, producers/).
QString generatedDir(const QString& name);

// Writes a file of the given bytes (replacing one that is there).
void writeFile(const QString& path, const QByteArray& bytes);

// A program run to its end (at most a minute): exit code, standard output and error as text.
struct ProgramRun {
    int code;
    QString out;
    QString err;
};
ProgramRun runProgram(const QString& program, const QStringList& arguments);
// Writes a zip archive of the given parts, in order.
void writeZip(const QString& path, const std::vector<std::pair<QString, QByteArray>>& parts);
// A workbook of one sheet "Data" whose <sheetData> content is given as it is (and what follows
// it in the sheet), with a shared strings part when sharedStrings (its <si> elements) is not
// null, and a styles part when styles (its content) is not null.
void writeRawXlsx(const QString& path, const QByteArray& sheetData,
                  const QByteArray& sharedStrings = {}, const QByteArray& afterSheetData = {},
                  const QByteArray& styles = {});
// What this program's reader says of a workbook file: "ok", or the sentence it refuses it with.
QString reopened(const QString& path);

// An entry of a zip archive as stored: its compressed bytes, checksum and method.
struct Entry {
    QByteArray compressed;
    quint32 crc = 0;
    quint16 method = 0; // 0 stored, 8 deflated
};
// Every entry of a zip archive by name; empty when it cannot be opened.
std::map<QString, Entry> entries(const QString& path);
// One part of a zip archive, unpacked; empty when it is not there.
QByteArray partText(const QString& path, const QString& part);
// Every XML part of a workbook file read by a strict reader (XML 1.0's characters included): the
// first part that is not well-formed with the reason, or nothing.
QString firstMalformedPart(const QString& path);

struct SheetSpec {
    QString name;
    // Cells by reference; an excel::Variant date gets a date style. Formulas: see formulas.
    std::vector<std::pair<QString, excel::Variant>> cells;
    // Cells that hold a formula (by reference) with the text of the formula; their value is the
    // one in cells, if any.
    std::vector<std::pair<QString, QString>> formulas;
    QString selection = QStringLiteral("A1");
    bool hidden = false;
    QString sheetDataOverride; // raw <sheetData> content, for hand-made oddities
    QString beforeSheetData;   // raw elements placed before <sheetData> (dimension, views)
    QString afterSheetData;    // raw elements placed after it (conditional formats, margins)
};

// A sheet of the given name and cells, the rest as by default.
inline SheetSpec sheetSpec(const QString& name,
                           std::vector<std::pair<QString, excel::Variant>> cells = {}) {
    SheetSpec sheet;
    sheet.name = name;
    sheet.cells = std::move(cells);
    return sheet;
}

// A minimal but complete workbook file: content types, relationships, workbook, styles (style 1
// is a date) and one part per sheet with inline strings.
void writeXlsx(const QString& path, const std::vector<SheetSpec>& sheets, int activeTab = 0,
               bool date1904 = false);

// One line per sheet and per stored cell ("  A1 kind value", CR and LF shown as \r and \n),
// with each sheet's selection.
QString dump(const embedded::WorkbookData& book);

} // namespace testsupport
