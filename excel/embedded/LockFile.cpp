#include "LockFile.h"

#include <QFile>
#include <QFileInfo>

namespace embedded {

namespace {

QByteArray head(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.read(512) : QByteArray();
}

// LibreOffice: one line "Name,system user,host,time,profile;" of comma-separated fields.
QString officeHolder(const QByteArray& bytes) {
    const QStringList fields = QString::fromUtf8(bytes).trimmed().split(QLatin1Char(','));
    const QString name = fields.value(0).trimmed().isEmpty() ? fields.value(1).trimmed()
                                                             : fields.value(0).trimmed();
    const QString host = fields.value(2).trimmed();
    if (name.isEmpty())
        return QStringLiteral("another user");
    return host.isEmpty() ? name : name + QStringLiteral(" on ") + host;
}

// The other suite: the first byte is the length of the user's name, which follows; a copy in
// UTF-16 (its length as two bytes) starts at byte 54.
QString ownerFileHolder(const QByteArray& bytes) {
    if (bytes.size() >= 56) {
        const int n = uchar(bytes[54]) | (uchar(bytes[55]) << 8);
        if (n > 0 && n < 100 && bytes.size() >= 56 + 2 * n)
            return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 56), n);
    }
    const int n = bytes.isEmpty() ? 0 : uchar(bytes[0]);
    if (n > 0 && n < 54 && bytes.size() > n)
        return QString::fromLatin1(bytes.mid(1, n));
    return QStringLiteral("another user");
}

} // namespace

std::optional<QString> lockHolder(const QString& path) {
    const QFileInfo info(path);
    const QString dir = info.absolutePath() + QLatin1Char('/');
    const QString name = info.fileName();
    const QString office = dir + QStringLiteral(".~lock.") + name + QLatin1Char('#');
    if (QFileInfo::exists(office))
        return officeHolder(head(office));
    // The other suite drops the first two letters of longer names.
    for (const QString& owner : {dir + QStringLiteral("~$") + name,
                                 dir + QStringLiteral("~$") + name.mid(2)}) {
        if (name.size() > 2 && QFileInfo::exists(owner))
            return ownerFileHolder(head(owner));
    }
    return std::nullopt;
}

} // namespace embedded
