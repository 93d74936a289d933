#include "Sound.h"

#include <QApplication>
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
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') + fileName;
}

} // namespace platform
