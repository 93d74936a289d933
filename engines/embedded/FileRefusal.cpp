#include "engines/embedded/FileRefusal.h"

#include <QLocale>

namespace embedded {

FileRefused::FileRefused(const QString& fileName, QString reason)
    : excel::Error(QStringLiteral("Open"),
                   QStringLiteral("The workbook \"%1\" cannot be opened: %2.").arg(fileName, reason))
    , m_reason(std::move(reason)) {}

ReadCancelled::ReadCancelled(const QString& fileName)
    : excel::Error(QStringLiteral("Open"),
                   QStringLiteral("Opening \"%1\" was cancelled.").arg(fileName)) {}

TooManyValues::TooManyValues(const QString& fileName, int mostValues)
    : excel::Error(QStringLiteral("Open"),
                   QStringLiteral("The range to analyse in \"%1\" holds more than %2 different "
                                  "values.")
                       .arg(fileName, QLocale().toString(mostValues))) {}

void refuseFile(const QString& fileName, const QString& reason) {
    throw FileRefused(fileName, reason);
}

bool isUtf16Xml(const QByteArray& bytes) {
    const QByteArray head = bytes.left(200).toLower();
    return head.startsWith("\xff\xfe") || head.startsWith("\xfe\xff") ||
           head.startsWith(QByteArray("<\0", 2)) || head.startsWith(QByteArray("\0<", 2)) ||
           head.contains("encoding=\"utf-16") || head.contains("encoding='utf-16");
}

QString describeBytes(qint64 bytes) {
    return QLocale(QLocale::English)
        .formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

} // namespace embedded
