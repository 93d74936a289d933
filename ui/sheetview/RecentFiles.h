#pragma once
// The workbooks the user opened or saved last, newest first, kept in the user's settings
// (~/.config/Tallyvane/Tallyvane.conf), for File > Recent files.

#include <QString>
#include <QStringList>

namespace sheetview {

// At most this many are kept.
constexpr int kRecentFiles = 8;

QStringList recentFiles();
// Puts the file first (an absolute path; nothing for an empty one).
void rememberRecentFile(const QString& path);

} // namespace sheetview
