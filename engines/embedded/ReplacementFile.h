#pragma once
// A file written anew and put in the place of another whole, or not at all. The new content goes
// into a file beside the target that has no name while it is written (where the file system
// allows it; elsewhere a name of ours, which a later save recognises and removes once the
// program that made it has gone), so that a program killed while saving leaves nothing behind.
// Before it is renamed over the target it takes the target's owner, group, mode and extended
// attributes (its access control lists among them): a save changes the content, not who may
// read the file. A target that has other names (hard links), or whose owner a save could not
// keep, is refused with the reason rather than parted from them.

#include <QString>
#include <QtGlobal>

namespace embedded {

class ReplacementFile {
public:
    // Raises excel::Error (member "Save") with the reason when no such file can be made, or the
    // target cannot be replaced keeping what it is. replace false: the target must not exist,
    // and commit() refuses to put the file where something (a dangling link too) has come.
    ReplacementFile(const QString& target, bool replace);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    int fd() const { return m_fd; }
    const QString& target() const { return m_target; }
    // Writes bytes at the end; raises excel::Error with the system's reason ("No space left on
    // device").
    void write(const char* data, qint64 size);
    // Puts the file written in the target's place, with the target's owner, group, mode and
    // extended attributes; raises excel::Error with the reason, the target then as it was.
    void commit();

    // Names this program gives a file while it is written, beside target: "." + the target's
    // name + ".~tv-" + host + "-" + process id + "-" + six letters.
    static QString temporaryPrefix(const QString& target);
    // Removes the files beside target that a save of it left when its program was killed:
    // those of this host whose process has gone.
    static void removeLeftovers(const QString& target);

private:
    void keepAttributes();
    QString giveName();

    QString m_target;
    bool m_replace;
    int m_fd = -1;
    QString m_named; // the temporary's name, once it has one
    bool m_committed = false;
};

// Whether anything, a dangling symbolic link among them, has this name.
bool nameTaken(const QString& path);

} // namespace embedded
