#pragma once
// Where the windows' fonts (Tahoma, MS Sans Serif) are missing, the closest metrics at hand stand
// in for them rather than fontconfig's wider default.

#include <QFont>
#include <QFontInfo>
#include <QStringList>

namespace platform {

inline void useMetricSubstitutes() {
    const QStringList closest = {QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"),
                                 QStringLiteral("Arial")};
    for (const char* family : {"Tahoma", "MS Sans Serif"}) {
        if (!QFontInfo(QFont(QString::fromLatin1(family))).exactMatch())
            QFont::insertSubstitutions(QString::fromLatin1(family), closest);
    }
}

} // namespace platform
