#pragma once
// Whether another program has a workbook file open: office suites leave a lock file beside the
// file they edit (".~lock.NAME#" of LibreOffice, "~$NAME" of the other suite), naming who holds
// it. A workbook held so is opened for analysis, but is not saved over. This program leaves one
// of LibreOffice's form itself while a workbook is open for editing in its window.

#include <QString>
#include <optional>

namespace embedded {

// Who holds the file, in words ("Ann Lee on host3", "Ann Lee"; "another user" when the lock file
// names nobody); none when no lock file is there, when the lock is this program's own, or when
// it is one a program of ours left on this host when it ended without removing it. Only regular
// files are read, without waiting (a pipe of that name is no lock).
std::optional<QString> lockHolder(const QString& path);

// The lock file kept while a workbook is open for editing in this program's window, in
// LibreOffice's form (name, user, host, time, and in place of the settings folder a mark of
// ours with the process), so that LibreOffice and other programs tell their users who has it.
// Never written over another program's lock; a stale one of ours is replaced.
class EditLock {
public:
    explicit EditLock(const QString& path);
    ~EditLock();
    EditLock(const EditLock&) = delete;
    EditLock& operator=(const EditLock&) = delete;

    // Whether the lock file is ours (not when another program's was there, or the folder cannot
    // be written).
    bool held() const { return m_held; }
    const QString& lockPath() const { return m_lockPath; }

private:
    QString m_lockPath;
    bool m_held = false;
};

// Removes the lock files this process still holds; runs at exit too, so that a program ended by
// quitting (or by a signal it turns into a quit) leaves none behind.
void releaseEditLocks();

// The name of LibreOffice's lock file for the file at path.
QString officeLockPath(const QString& path);

} // namespace embedded
