#include "ui/platform/Shell.h"

#include <QDesktopServices>
#include <QUrl>

namespace platform {

void openAddress(const char* address) {
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(address)));
}

} // namespace platform
