#pragma once
// Plays a wave file without waiting for it, through the system's sound player. A missing file
// gives the system's alert sound instead; a machine without sound plays nothing.

#include <QString>

namespace platform {

void playWaveFile(const QString& path);

// "copy.wav" beside the program.
QString programSound(const QString& fileName);

} // namespace platform
