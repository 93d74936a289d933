#pragma once
// The windows' fonts: Tahoma and MS Sans Serif are loaded from the metric-compatible files that
// the setup installs (Wine's fonts live in a folder fontconfig does not search); where they are
// missing, the closest metrics at hand stand in for them rather than fontconfig's wider default.
// Calibri is mapped to Carlito by fontconfig itself.

#include <QDir>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QStringList>

namespace platform {

inline void useMetricSubstitutes() {
    const QDir wine(QStringLiteral("/usr/share/wine/fonts"));
    for (const char* file : {"tahoma.ttf", "tahomabd.ttf", "ms_sans_serif.ttf"}) {
        if (wine.exists(QString::fromLatin1(file)))
            QFontDatabase::addApplicationFont(wine.filePath(QString::fromLatin1(file)));
    }
    const QStringList closest = {QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"),
                                 QStringLiteral("Arial")};
    for (const char* family : {"Tahoma", "MS Sans Serif"}) {
        if (!QFontDatabase::families().contains(QString::fromLatin1(family)))
            QFont::insertSubstitutions(QString::fromLatin1(family), closest);
    }
}

} // namespace platform
