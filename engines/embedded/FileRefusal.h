#pragma once
// One way of saying that a workbook file was refused: the file's name and the reason, in words
// the user can act on.

#include "excel/Error.h"

#include <QByteArray>
#include <QString>

namespace embedded {

// What refuseFile throws: the error of the member "Open", with the bare reason kept, so that a
// refusal met while saving can be told as a reason the file could not be saved.
class FileRefused : public excel::Error {
public:
    FileRefused(const QString& fileName, QString reason);
    const QString& reason() const { return m_reason; }

private:
    QString m_reason;
};

// The user stopped the read (ReadLimits::progress said so).
class ReadCancelled : public excel::Error {
public:
    explicit ReadCancelled(const QString& fileName);
};

// The read ended early: the cells an analysis was to take hold more different values than it
// can list (ReadLimits::mostValues).
class TooManyValues : public excel::Error {
public:
    TooManyValues(const QString& fileName, int mostValues);
};

[[noreturn]] void refuseFile(const QString& fileName, const QString& reason);
// Whether XML text is in UTF-16 (by its byte order mark or its declaration).
bool isUtf16Xml(const QByteArray& head);
// "512.0 MB", for messages.
QString describeBytes(qint64 bytes);

} // namespace embedded
