#include "engines/embedded/xlsx/PackageRelationships.h"

#include "engines/embedded/xlsx/XmlStream.h"

#include <QStringList>
#include <cstring>

namespace embedded {

namespace {

// "xl/worksheets/../sharedStrings.xml" -> "xl/sharedStrings.xml".
QString normalizePath(const QString& path) {
    QStringList out;
    for (const QString& piece : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (piece == QLatin1String("."))
            continue;
        if (piece == QLatin1String("..")) {
            if (!out.isEmpty())
                out.removeLast();
            continue;
        }
        out.push_back(piece);
    }
    return out.join(QLatin1Char('/'));
}

QString folderOf(const QString& partName) {
    const qsizetype slash = partName.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : partName.left(slash + 1);
}

} // namespace

QHash<QString, Relationship> readRelationships(ZipPackage& package, const QString& partName,
                                               bool withExternal) {
    QHash<QString, Relationship> rels;
    const QString relsName = folderOf(partName) + QStringLiteral("_rels/") +
                             partName.mid(folderOf(partName).size()) + QStringLiteral(".rels");
    if (!package.contains(relsName))
        return rels;
    const pugi::xml_document doc = loadPart(package, relsName);
    const pugi::xml_node root = childNamed(doc, "Relationships");
    for (const pugi::xml_node& rel : root.children()) {
        if (std::strcmp(localName(rel.name()), "Relationship") != 0)
            continue;
        const bool external =
            QString::fromUtf8(rel.attribute("TargetMode").value()) == QLatin1String("External");
        if (external && !withExternal)
            continue;
        const QString type = QString::fromUtf8(rel.attribute("Type").value());
        const QString target = QString::fromUtf8(rel.attribute("Target").value());
        const QString resolved = external ? target
                                 : target.startsWith(QLatin1Char('/'))
                                     ? normalizePath(target)
                                     : normalizePath(folderOf(partName) + target);
        rels.insert(QString::fromUtf8(rel.attribute("Id").value()),
                    {type.mid(type.lastIndexOf(QLatin1Char('/')) + 1), resolved, external});
    }
    return rels;
}

QString findByType(const QHash<QString, Relationship>& rels, const char* type) {
    for (const Relationship& r : rels) {
        if (r.type == QLatin1String(type))
            return r.target;
    }
    return {};
}

} // namespace embedded
