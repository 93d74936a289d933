#include "ui/sheetview/RecentFiles.h"

#include <QFileInfo>
#include <QSettings>
#include <algorithm>

namespace sheetview {

namespace {

const char* const kKey = "RecentFiles";

} // namespace

QStringList recentFiles() {
    QStringList files = QSettings().value(QLatin1String(kKey)).toStringList();
    // Files that have gone since are not offered.
    files.erase(std::remove_if(files.begin(), files.end(),
                               [](const QString& f) { return !QFileInfo(f).isFile(); }),
                files.end());
    return files;
}

void rememberRecentFile(const QString& path) {
    if (path.isEmpty())
        return;
    const QString file = QFileInfo(path).absoluteFilePath();
    QSettings settings;
    QStringList files = settings.value(QLatin1String(kKey)).toStringList();
    files.removeAll(file);
    files.prepend(file);
    while (files.size() > kRecentFiles)
        files.removeLast();
    settings.setValue(QLatin1String(kKey), files);
}

} // namespace sheetview
