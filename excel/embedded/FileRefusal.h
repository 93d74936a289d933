#pragma once
// One way of saying that a workbook file was refused: the file's name and the reason, in words
// the user can act on.

#include "excel/Error.h"

#include <QString>

namespace embedded {

[[noreturn]] void refuseFile(const QString& fileName, const QString& reason);
// "512.0 MB", for messages.
QString describeBytes(qint64 bytes);

} // namespace embedded
