#include "engines/embedded/LockFile.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QSysInfo>
#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <set>
#include <csignal>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace embedded {

namespace {

// The first bytes of a lock file; nothing for what is not a regular file, which is opened
// without waiting (a pipe would otherwise block until someone writes into it).
std::optional<QByteArray> head(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat st {};
    QByteArray bytes;
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (regular) {
        bytes.resize(512);
        ssize_t n;
        do
            n = ::read(fd, bytes.data(), size_t(bytes.size()));
        while (n < 0 && errno == EINTR);
        bytes.resize(n > 0 ? qsizetype(n) : 0);
    }
    ::close(fd);
    if (!regular)
        return std::nullopt;
    return bytes;
}

// LibreOffice's record: fields set apart by commas, ended by a semicolon, a backslash before a
// comma, a semicolon or a backslash that belongs to the text.
QStringList officeFields(const QByteArray& bytes) {
    const QString text = QString::fromUtf8(bytes);
    QStringList fields(1);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\\' && i + 1 < text.size())
            fields.back() += text[++i];
        else if (c == u',')
            fields << QString();
        else if (c == u';')
            break;
        else
            fields.back() += c;
    }
    return fields;
}

QString escapedField(QString text) {
    text.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    text.replace(QLatin1Char(','), QLatin1String("\\,"));
    text.replace(QLatin1Char(';'), QLatin1String("\\;"));
    return text;
}

QString thisUser() {
    if (const passwd* pw = ::getpwuid(::geteuid()))
        return QString::fromLocal8Bit(pw->pw_name);
    return qEnvironmentVariable("USER");
}

QString thisUsersName() {
    if (const passwd* pw = ::getpwuid(::geteuid())) {
        const QString full = QString::fromLocal8Bit(pw->pw_gecos).section(QLatin1Char(','), 0, 0);
        if (!full.trimmed().isEmpty())
            return full.trimmed();
    }
    return thisUser();
}

const QString kOwnMark = QStringLiteral("tallyvane-");

// The process of ours on this host that wrote the lock, or 0 when another program did.
qint64 ownProcess(const QStringList& fields) {
    if (fields.size() < 5 || fields[1] != thisUser() ||
        fields[2] != QSysInfo::machineHostName() || !fields[4].startsWith(kOwnMark))
        return 0;
    bool ok = false;
    const qint64 pid = fields[4].mid(kOwnMark.size()).toLongLong(&ok);
    return ok && pid > 0 ? pid : 0;
}

// Whether the lock was made by this process, or by one of ours that has gone.
bool ownOrStale(const QStringList& fields) {
    const qint64 pid = ownProcess(fields);
    if (pid == 0)
        return false;
    return pid == ::getpid() || (::kill(pid_t(pid), 0) != 0 && errno == ESRCH);
}

QString officeHolder(const QStringList& fields) {
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

// The locks this process holds, for the end of the process.
struct HeldLocks {
    std::mutex mutex;
    std::multiset<QString> paths;
};

HeldLocks& heldLocks() {
    static auto* held = new HeldLocks; // never destroyed: used at exit
    return *held;
}

// Removes the lock file when it is still this process's own.
void removeIfOurs(const QString& lockPath) {
    const auto bytes = head(lockPath);
    if (bytes && ownProcess(officeFields(*bytes)) == ::getpid())
        ::unlink(QFile::encodeName(lockPath).constData());
}

} // namespace

void releaseEditLocks() {
    HeldLocks& held = heldLocks();
    const std::lock_guard<std::mutex> guard(held.mutex);
    for (const QString& path : held.paths)
        removeIfOurs(path);
    held.paths.clear();
}

QString officeLockPath(const QString& path) {
    const QFileInfo info(path);
    return info.absolutePath() + QStringLiteral("/.~lock.") + info.fileName() + QLatin1Char('#');
}

std::optional<QString> lockHolder(const QString& path) {
    const QFileInfo info(path);
    const QString dir = info.absolutePath() + QLatin1Char('/');
    const QString name = info.fileName();
    if (const auto bytes = head(officeLockPath(path))) {
        const QStringList fields = officeFields(*bytes);
        if (!ownOrStale(fields))
            return officeHolder(fields);
    }
    // The other suite drops the first two letters of longer names.
    for (const QString& owner : {dir + QStringLiteral("~$") + name,
                                 dir + QStringLiteral("~$") + name.mid(2)}) {
        if (name.size() <= 2)
            break;
        if (const auto bytes = head(owner))
            return ownerFileHolder(*bytes);
    }
    return std::nullopt;
}

EditLock::EditLock(const QString& path)
    : m_lockPath(officeLockPath(path)) {
    const QByteArray file = QFile::encodeName(m_lockPath);
    const QString record =
        QStringList{escapedField(thisUsersName()), escapedField(thisUser()),
                    escapedField(QSysInfo::machineHostName()),
                    QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm")),
                    kOwnMark + QString::number(::getpid())}
            .join(QLatin1Char(',')) +
        QLatin1Char(';');
    const QByteArray bytes = record.toUtf8();
    for (int attempt = 0; attempt < 2 && !m_held; ++attempt) {
        const int fd =
            ::open(file.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd >= 0) {
            m_held = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
            ::close(fd);
            if (!m_held) {
                ::unlink(file.constData());
                return;
            }
            HeldLocks& held = heldLocks();
            const std::lock_guard<std::mutex> guard(held.mutex);
            static const bool atExit = std::atexit(releaseEditLocks) == 0;
            Q_UNUSED(atExit);
            held.paths.insert(m_lockPath);
            return;
        }
        if (errno != EEXIST)
            return; // a folder this user cannot write: nobody is told, nothing is lost
        // Only a lock a program of ours left behind is replaced.
        const auto old = head(m_lockPath);
        if (!old || !ownOrStale(officeFields(*old)))
            return;
        ::unlink(file.constData());
    }
}

EditLock::~EditLock() {
    if (!m_held)
        return;
    HeldLocks& held = heldLocks();
    const std::lock_guard<std::mutex> guard(held.mutex);
    if (const auto it = held.paths.find(m_lockPath); it != held.paths.end()) {
        held.paths.erase(it);
        // Still ours: another program may have replaced it meanwhile.
        removeIfOurs(m_lockPath);
    }
}

} // namespace embedded
