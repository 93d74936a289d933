#pragma once
// Plays a wave file without waiting for it, through the system's sound player. A missing file
// gives the system's alert sound instead; a machine without sound plays nothing.

#include <QString>

namespace platform {

void playWaveFile(const QString& path);

// A sound of the program ("copy.wav"): beside it, or in ../share/tallyvane where it is installed.
QString programSound(const QString& fileName);

} // namespace platform
