#include "FileRefusal.h"

#include <QLocale>

namespace embedded {

void refuseFile(const QString& fileName, const QString& reason) {
    throw excel::Error(
        QStringLiteral("Open"),
        QStringLiteral("The workbook \"%1\" cannot be opened: %2.").arg(fileName, reason));
}

QString describeBytes(qint64 bytes) {
    return QLocale(QLocale::English)
        .formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

} // namespace embedded
