#pragma once
// The relationships of a package part (its .rels part): by id, each relationship's type (the last
// segment of its type URI) and the part it names, resolved against the part's folder. Links to
// outside the package (hyperlinks) keep their address as written.

#include "engines/embedded/xlsx/ZipPackage.h"

#include <QHash>
#include <QString>

namespace embedded {

struct Relationship {
    QString type;   // "worksheet", "sharedStrings", "drawing", "chart", "hyperlink", ...
    QString target; // the part name it resolves to, without a leading "/"; for an external
                    // target the address as written
    bool external = false;
};

// The relationships of partName (of the package itself for an empty name); external ones only
// when asked for.
QHash<QString, Relationship> readRelationships(ZipPackage& package, const QString& partName,
                                               bool withExternal = false);
// The first relationship's target of the type; empty when there is none.
QString findByType(const QHash<QString, Relationship>& rels, const char* type);

} // namespace embedded
