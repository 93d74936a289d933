#pragma once
// What the fuzz targets share: a scratch file per process for readers that take a path, and the
// rule that a refusal (excel::Error) is a fine answer while anything else is a finding.

#include "excel/Error.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QString>
#include <unistd.h>

namespace fuzz {

// A file of this process's own, rewritten with each input.
inline QString writeScratch(const char* suffix, const uint8_t* data, size_t size) {
    static const QString path =
        QStringLiteral("/tmp/tallyvane-fuzz-%1%2").arg(::getpid()).arg(QLatin1String(suffix));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        abort();
    f.write(reinterpret_cast<const char*>(data), qint64(size));
    return path;
}

// Runs f; a refusal with a message is an answer, an empty message is a finding.
template <typename F>
void refusalIsAnAnswer(F&& f) {
    try {
        f();
    } catch (const excel::Error& e) {
        if (e.message().isEmpty())
            abort();
    }
}

} // namespace fuzz
