#pragma once
// Read access to the parts of a zip package (a workbook file), with every size guard applied:
// the number of entries is checked before the archive's directory is loaded, and each part is
// checked against its declared size and against the caps while it is unpacked.

#include "engines/embedded/ReadLimits.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

struct zip;

namespace embedded {

class ZipPackage {
public:
    ZipPackage(const QString& path, const ReadLimits& limits);
    ~ZipPackage();
    ZipPackage(const ZipPackage&) = delete;
    ZipPackage& operator=(const ZipPackage&) = delete;

    const QString& fileName() const { return m_fileName; }
    // Exact name first, then without regard to ASCII case, as some producers vary the case.
    bool contains(const QString& partName) const;
    // A part read whole (for the small parts); refused beyond maxSmallPartBytes.
    QByteArray read(const QString& partName);
    // How many bytes the reads will unpack in all, for progress; the sum of the parts' declared
    // sizes.
    void expectTotal(qint64 bytes) { m_expected = bytes; }
    qint64 declaredSize(const QString& partName) const;
    // A part delivered in chunks as it is unpacked.
    void stream(const QString& partName,
                const std::function<void(const char* data, size_t size)>& sink);

private:
    qint64 locate(const QString& partName) const;
    // The size the entry's header declares (capped far above any limit); none when unreadable.
    std::optional<qint64> sizeOf(qint64 index) const;
    void checkEntryCount(const QString& path);

    QString m_fileName;
    ReadLimits m_limits;
    zip* m_zip = nullptr;
    qint64 m_totalRead = 0;
    qint64 m_expected = 0;
};

} // namespace embedded
