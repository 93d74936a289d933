#pragma once
// The parts a save adds to a workbook file, generated as text in schema order: a new worksheet,
// its drawing and charts, and the conditional formats spliced into existing sheets.

#include "engines/embedded/store/WorkbookSnapshot.h"
#include "engines/embedded/xlsx/XlsxStyles.h"

#include <QByteArray>
#include <functional>

namespace embedded {

// The values of a reference such as Sheet!$C$2:$C$9, for the charts' caches.
using ReferenceValues = std::function<std::vector<excel::Variant>(const QString& reference)>;

// The rule's XML, with prefix on every element (as the sheet's own elements have it).
QByteArray conditionalFormatXml(const QByteArray& prefix, const excel::ConditionalFormat& rule,
                                int dxf, int priority);

// A worksheet of the session: its cells, column widths, conditional formats and (when
// drawingRel is not empty) the reference to its drawing.
QByteArray newSheetXml(const NewSheetContent& content,
                       const std::vector<excel::ConditionalFormat>& rules, StyleAppender& styles,
                       const QByteArray& drawingRel);

// The drawing of a sheet's charts: chart k (from 0) uses relationship rId<k+1>; each chart's
// linked labels use the relationships after them, in order (see drawingRelationships()).
QByteArray drawingXml(const NewSheetContent& content);
// (id, type, target, external) of the drawing's relationships.
struct PartRelationship {
    QByteArray id, type, target;
    bool external = false;
};
std::vector<PartRelationship> drawingRelationships(const NewSheetContent& content,
                                                   const std::vector<QByteArray>& chartTargets);
QByteArray relationshipsXml(const std::vector<PartRelationship>& rels);

QByteArray chartXml(const excel::ChartShapeModel& chart, const ReferenceValues& values);

} // namespace embedded
