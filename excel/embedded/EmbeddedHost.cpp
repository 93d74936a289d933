#include "EmbeddedHost.h"

#include "EmbeddedApplication.h"
#include "excel/RunningApplications.h"

#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

namespace embedded {

QString workbookPathFromArgument(const QString& argument) {
    QString path = argument.trimmed();
    if (path.size() >= 2 && path.startsWith(QLatin1Char('"')) && path.endsWith(QLatin1Char('"')))
        path = path.mid(1, path.size() - 2).trimmed();
    static const QRegularExpression aSwitch(QStringLiteral("^/\\d+$"));
    if (aSwitch.match(path).hasMatch())
        return {};
    return path;
}

void registerEmbeddedProvider(const ReadLimits& limits) {
    excel::registerApplicationProvider(
        QStringLiteral("embedded"), 0, [limits](const QString& argument) {
            // One host per file while it runs, like one spreadsheet window per open workbook.
            static QHash<QString, std::weak_ptr<EmbeddedApplication>> running;
            const QString path = workbookPathFromArgument(argument);
            if (path.isEmpty())
                return std::shared_ptr<excel::Application>();
            const QString key = QFileInfo(path).canonicalFilePath();
            if (!key.isEmpty()) {
                if (auto app = running.value(key).lock())
                    return std::shared_ptr<excel::Application>(app);
            }
            auto app = EmbeddedApplication::create();
            app->open(path, limits);
            running.insert(key, app); // open() found the file, so the key is its real path
            return std::shared_ptr<excel::Application>(app);
        });
}

} // namespace embedded
