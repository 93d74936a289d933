#include "Twips.h"

#include <QFont>
#include <QFontInfo>

namespace platform {

void useMetricSubstitutes() {
    const QStringList closest = {QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"),
                                 QStringLiteral("Arial")};
    for (const char* family : {"Tahoma", "MS Sans Serif"}) {
        if (!QFontInfo(QFont(QString::fromLatin1(family))).exactMatch())
            QFont::insertSubstitutions(QString::fromLatin1(family), closest);
    }
}

} // namespace platform
