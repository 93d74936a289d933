#include "ui/platform/Sound.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace platform {

void playWaveFile(const QString& path) {
    if (!QFileInfo::exists(path)) {
        QApplication::beep();
        return;
    }
    // The players of the sound servers first, then the plain ALSA player.
    for (const char* player : {"pw-play", "paplay", "aplay"}) {
        const QString program = QStandardPaths::findExecutable(QString::fromLatin1(player));
        if (program.isEmpty())
            continue;
        QStringList args{path};
        if (QLatin1String(player) == QLatin1String("aplay"))
            args.prepend(QStringLiteral("-q"));
        if (QProcess::startDetached(program, args))
            return;
    }
}

QString programSound(const QString& fileName) {
    // Beside the program in a build; in share/tallyvane beside bin/ where it is installed.
    const QString dir = QCoreApplication::applicationDirPath();
    const QString beside = dir + QLatin1Char('/') + fileName;
    if (QFileInfo::exists(beside))
        return beside;
    return QDir::cleanPath(dir + QStringLiteral("/../share/tallyvane/") + fileName);
}

} // namespace platform
