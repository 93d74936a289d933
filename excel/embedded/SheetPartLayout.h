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
};

struct SheetPartLayout {
    QByteArray prefix; // "x:" when the producer prefixes its elements, else empty
    std::vector<StoredRuleSpan> rules;
    qint64 insertAt = -1; // where new conditional formats go
    int maxPriority = 0;
};

// The whole part, unpacked with the package's guards.
QByteArray readWholePart(ZipPackage& package, const QString& partName);

// Refuses (excel::Error) a part that is not UTF-8, since spliced text is UTF-8.
SheetPartLayout scanSheetPart(const QString& fileName, const QString& partName,
                              const QByteArray& xml);

// "A1:B2 D4" as blocks; blocks that do not read as references are skipped.
QVector<excel::CellRect> parseSqref(const QByteArray& sqref);

} // namespace embedded
