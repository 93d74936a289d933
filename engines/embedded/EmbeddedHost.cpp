#include "engines/embedded/EmbeddedHost.h"

#include "engines/embedded/EmbeddedApplication.h"
#include "excel/RunningApplications.h"

#include <QFileInfo>
#include <QHash>

namespace embedded {

namespace {

// One host per file while it runs, like one spreadsheet window per open workbook.
QHash<QString, std::weak_ptr<EmbeddedApplication>>& running() {
    static QHash<QString, std::weak_ptr<EmbeddedApplication>> hosts;
    return hosts;
}

} // namespace

std::shared_ptr<EmbeddedApplication> runningHost(const QString& path) {
    const QString key = QFileInfo(path).canonicalFilePath();
    return key.isEmpty() ? nullptr : running().value(key).lock();
}

std::shared_ptr<EmbeddedApplication> hostWorkbook(const QString& path, WorkbookData data) {
    auto app = EmbeddedApplication::create();
    app->host(std::move(data), path);
    running().insert(QFileInfo(path).canonicalFilePath(), app);
    return app;
}

void registerEmbeddedProvider(const ReadLimits& limits) {
    excel::registerApplicationProvider(
        QStringLiteral("embedded"), 0, [limits](const QString& argument) {
            const QString path = excel::workbookPathFromArgument(argument);
            if (path.isEmpty())
                return std::shared_ptr<excel::Application>();
            if (auto app = runningHost(path))
                return std::shared_ptr<excel::Application>(app);
            return std::shared_ptr<excel::Application>(
                hostWorkbook(path, readWorkbookFile(path, limits)));
        });
}

} // namespace embedded
