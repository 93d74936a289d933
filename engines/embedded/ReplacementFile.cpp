#include "engines/embedded/ReplacementFile.h"

#include "excel/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSysInfo>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace embedded {

namespace {

[[noreturn]] void fail(const QString& why) {
    throw excel::Error(QStringLiteral("Save"), why);
}

QString systemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

QString userName(uid_t uid) {
    if (const passwd* pw = ::getpwuid(uid))
        return QString::fromLocal8Bit(pw->pw_name);
    return QStringLiteral("user %1").arg(uid);
}

QString hostPart() {
    QString host = QSysInfo::machineHostName();
    host.replace(QLatin1Char('/'), QLatin1Char('_'));
    return host.isEmpty() ? QStringLiteral("host") : host;
}

QString randomLetters() {
    static const char letters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString out;
    for (int i = 0; i < 6; ++i)
        out += QLatin1Char(letters[QRandomGenerator::global()->bounded(62)]);
    return out;
}

// Whether an unnamed file can later be given a name through /proc (linkat without privileges).
bool canNameUnnamedFiles() {
    return ::access("/proc/self/fd", X_OK) == 0;
}

void syncFolder(const QString& path) {
    const int dfd = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                           O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

} // namespace

bool nameTaken(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

QString ReplacementFile::temporaryPrefix(const QString& target) {
    const QFileInfo info(target);
    return QStringLiteral(".") + info.fileName() + QStringLiteral(".~tv-") + hostPart() +
           QLatin1Char('-');
}

void ReplacementFile::removeLeftovers(const QString& target) {
    const QFileInfo info(target);
    const QString prefix = temporaryPrefix(target);
    static const QRegularExpression tail(QStringLiteral("^(\\d+)-[A-Za-z0-9]{6}$"));
    const QDir dir(info.absolutePath());
    const QStringList names =
        dir.entryList({prefix + QLatin1Char('*')}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        const auto m = tail.match(name.mid(prefix.size()));
        if (!m.hasMatch())
            continue;
        bool ok = false;
        const qint64 pid = m.captured(1).toLongLong(&ok);
        if (!ok || pid <= 0 || pid > std::numeric_limits<pid_t>::max())
            continue;
        // A save in progress in another program of ours keeps its file.
        if (::kill(pid_t(pid), 0) == 0 || errno != ESRCH)
            continue;
        ::unlink(QFile::encodeName(dir.filePath(name)).constData());
    }
}

ReplacementFile::ReplacementFile(const QString& target, bool replace)
    : m_target(target)
    , m_replace(replace) {
    // Through a link to the file it names, as the file is what the user saves.
    const QFileInfo info(target);
    if (replace && info.isSymLink() && info.exists())
        m_target = info.canonicalFilePath();
    const QByteArray path = QFile::encodeName(m_target);
    struct stat st {};
    if (::stat(path.constData(), &st) == 0) {
        if (!replace)
            fail(QStringLiteral("the file %1 is there already").arg(m_target));
        if (!S_ISREG(st.st_mode))
            fail(QStringLiteral("%1 is not a regular file").arg(m_target));
        if (st.st_nlink > 1)
            fail(QStringLiteral("the file %1 has %2 names in the file system (hard links), "
                                "which a save would part, leaving the others with the old "
                                "content; save under another name")
                     .arg(m_target)
                     .arg(st.st_nlink));
        if (st.st_uid != ::geteuid() && ::geteuid() != 0)
            fail(QStringLiteral("the file %1 belongs to %2, and a save by this program would make "
                                "it yours; save under another name")
                     .arg(m_target, userName(st.st_uid)));
    }
    removeLeftovers(m_target);
    const QString folder = QFileInfo(m_target).absolutePath();
    if (canNameUnnamedFiles())
        m_fd = ::open(QFile::encodeName(folder).constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (m_fd < 0) {
        // A file system without unnamed files: a name of ours from the start.
        QByteArray pattern = QFile::encodeName(
            folder + QLatin1Char('/') + temporaryPrefix(m_target) +
            QString::number(::getpid()) + QStringLiteral("-XXXXXX"));
        m_fd = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (m_fd < 0)
            fail(QStringLiteral("no temporary file can be made in %1 (%2)")
                     .arg(folder, systemReason(errno)));
        m_named = QFile::decodeName(pattern);
    }
}

ReplacementFile::~ReplacementFile() {
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_committed && !m_named.isEmpty())
        ::unlink(QFile::encodeName(m_named).constData());
}

void ReplacementFile::write(const char* data, qint64 size) {
    while (size > 0) {
        const ssize_t n = ::write(m_fd, data, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            fail(systemReason(n < 0 ? errno : ENOSPC));
        data += n;
        size -= n;
    }
}

void ReplacementFile::keepAttributes() {
    const QByteArray path = QFile::encodeName(m_target);
    struct stat st {};
    if (::stat(path.constData(), &st) != 0) {
        // A new file: as the user's programs make files.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(m_fd, 0666 & ~mask);
        return;
    }
    if (st.st_nlink > 1)
        fail(QStringLiteral("the file has %1 names in the file system (hard links) now")
                 .arg(st.st_nlink));
    // The owner must stay; a group this user may not give is left as the system gives it.
    if (::fchown(m_fd, st.st_uid, st.st_gid) != 0 && ::fchown(m_fd, st.st_uid, gid_t(-1)) != 0 &&
        st.st_uid != ::geteuid())
        fail(QStringLiteral("its owner %1 could not be kept (%2)")
                 .arg(userName(st.st_uid), systemReason(errno)));
    if (::fchmod(m_fd, st.st_mode & 07777) != 0)
        fail(QStringLiteral("its permissions could not be kept (%1)").arg(systemReason(errno)));
    // Extended attributes, access control lists among them, where the system lets this user set
    // them (some are the system's own).
    const ssize_t listSize = ::listxattr(path.constData(), nullptr, 0);
    if (listSize <= 0)
        return;
    std::vector<char> names(size_t(listSize) + 1, '\0');
    const ssize_t got = ::listxattr(path.constData(), names.data(), names.size());
    for (ssize_t at = 0; got > 0 && at < got; at += ssize_t(std::strlen(names.data() + at)) + 1) {
        const char* name = names.data() + at;
        const ssize_t size = ::getxattr(path.constData(), name, nullptr, 0);
        if (size < 0)
            continue;
        std::vector<char> value(size_t(size) + 1);
        const ssize_t read = ::getxattr(path.constData(), name, value.data(), value.size());
        if (read >= 0)
            ::fsetxattr(m_fd, name, value.data(), size_t(read), 0);
    }
}

QString ReplacementFile::giveName() {
    // The unnamed file gets a name of ours beside the target just before the rename.
    const QString folder = QFileInfo(m_target).absolutePath() + QLatin1Char('/');
    const QByteArray from = "/proc/self/fd/" + QByteArray::number(m_fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name = folder + temporaryPrefix(m_target) + QString::number(::getpid()) +
                             QLatin1Char('-') + randomLetters();
        if (::linkat(AT_FDCWD, from.constData(), AT_FDCWD, QFile::encodeName(name).constData(),
                     AT_SYMLINK_FOLLOW) == 0)
            return name;
        if (errno != EEXIST)
            fail(QStringLiteral("the new file could not be given a name in %1 (%2)")
                     .arg(folder, systemReason(errno)));
    }
    fail(QStringLiteral("the new file could not be given a name in %1").arg(folder));
}

void ReplacementFile::commit() {
    keepAttributes();
    if (::fsync(m_fd) != 0)
        fail(systemReason(errno));
    if (m_named.isEmpty())
        m_named = giveName();
    const QByteArray tmp = QFile::encodeName(m_named);
    const QByteArray target = QFile::encodeName(m_target);
    const int done = m_replace ? ::rename(tmp.constData(), target.constData())
                               : ::renameat2(AT_FDCWD, tmp.constData(), AT_FDCWD,
                                             target.constData(), RENAME_NOREPLACE);
    if (done != 0)
        fail(QStringLiteral("the file %1 could not be put in place (%2)")
                 .arg(m_target, systemReason(errno)));
    m_committed = true;
    syncFolder(m_target);
}

} // namespace embedded
