#pragma once
// What the workbook window's tests share: a workbook file of the given sheets hosted by the
// embedded engine, and a file's bytes.

#include "engines/embedded/EmbeddedApplication.h"
#include "support/TestFiles.h"

#include <QFile>
#include <memory>
#include <vector>

namespace testsupport {

// The sheets written as a workbook file (in the test's folder, or at path) and hosted, the given
// tab active.
inline std::shared_ptr<embedded::EmbeddedApplication> openBook(const std::vector<SheetSpec>& sheets,
                                                               int active = 0,
                                                               const QString& path = {}) {
    const QString file = path.isEmpty() ? scratchDir("workbook-window") + "/book.xlsx" : path;
    writeXlsx(file, sheets, active);
    auto app = embedded::EmbeddedApplication::create();
    app->open(file);
    return app;
}

inline QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace testsupport
