#pragma once
// The package a save writes: the source file's parts (read on demand, copied raw when
// unchanged), the parts it replaces and the parts it adds. Used by the workbook writer only.

#include "engines/embedded/xlsx/RawXml.h"
#include "engines/embedded/xlsx/XlsxWriter.h"
#include "engines/embedded/xlsx/ZipPackage.h"

#include <QByteArray>
#include <QSet>
#include <QStringList>
#include <map>
#include <memory>
#include <vector>

struct zip;

namespace embedded {

class ReplacementFile;

extern const QByteArray kRelTypes;

[[noreturn]] void failSave(const QString& why);
QString folderOf(const QString& part);
QString relsOf(const QString& part);
QString resolveTarget(const QString& fromPart, const QString& target);

class Package {
public:
    explicit Package(const SaveRequest& request);
    ~Package();
    Package(const Package&) = delete;
    Package& operator=(const Package&) = delete;

    bool contains(const QString& name) const;
    QByteArray read(const QString& name);
    // Replaces a part; a replacement equal to the original leaves the original in place.
    void replace(const QString& name, const QByteArray& bytes);
    void add(const QString& name, const QByteArray& bytes);
    // Writes the whole package into file.
    void write(ReplacementFile& file);

private:
    QString actualName(const QString& name) const;

    std::unique_ptr<ZipPackage> m_source;
    zip* m_zip = nullptr;
    QStringList m_names;
    std::map<QString, QByteArray> m_memory;
    std::map<QString, QByteArray> m_changed;
    std::map<QString, QByteArray> m_new;
    QStringList m_newOrder;
    std::vector<QByteArray> m_keep; // buffers libzip reads when it closes
};

// A part's relationships, edited in place.
struct Rels {
    RawXml xml;
    QSet<QString> ids;
    Rels(const QByteArray& bytes, const QString& file, const QString& part);
    QString targetOfType(const char* type, const QString& fromPart) const;
    QString add(const QByteArray& type, const QString& target);
};

} // namespace embedded
