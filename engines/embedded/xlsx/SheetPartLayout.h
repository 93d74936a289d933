#pragma once
// Where things are in a worksheet part, found by streaming it once: its root prefix, each stored
// conditional format with its cells and byte span, where a new conditional format must go, and
// the largest rule priority in use. Saving splices the part at these offsets and leaves every
// other byte as it was.

#include "excel/CellRef.h"

#include <QByteArray>
#include <QString>
#include <QVector>
#include <vector>

namespace embedded {

class ZipPackage;

struct StoredRuleSpan {
    QVector<excel::CellRect> ranges;
    qint64 begin = 0; // the element's first byte
    qint64 end = 0;   // one past its last byte
    QByteArray sqref; // the attribute as stored
    // Where the sqref attribute's value lies in the part (between its quotes); both -1 when the
    // element has none, and then valueBegin is where a new attribute goes (after the name).
    qint64 sqrefBegin = -1;
    qint64 sqrefEnd = -1;
    qint64 attributesAt = 0;
};

struct SheetPartLayout {
    QByteArray prefix; // "x:" when the producer prefixes its elements, else empty
    std::vector<StoredRuleSpan> rules;
    qint64 insertAt = -1; // where new conditional formats go
    std::vector<qint64> priorities; // of the stored rules, as written
};

// Values for new entries of a numbered list (ids, priorities): above every value in use and at
// least lowest, or, when that would pass the largest int, the smallest ones not in use.
std::vector<int> freeNumbers(std::vector<qint64> used, int lowest, int count);

// The whole part, unpacked with the package's guards.
QByteArray readWholePart(ZipPackage& package, const QString& partName);

// Refuses (excel::Error) a part that is not UTF-8, since spliced text is UTF-8.
SheetPartLayout scanSheetPart(const QString& fileName, const QString& partName,
                              const QByteArray& xml);

// "A1:B2 D4" as blocks; blocks that do not read as references are skipped.
QVector<excel::CellRect> parseSqref(const QByteArray& sqref);

} // namespace embedded
