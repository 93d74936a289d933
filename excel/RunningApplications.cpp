#include "excel/RunningApplications.h"

#include <QRegularExpression>
#include <algorithm>
#include <vector>

namespace excel {

namespace {

struct Entry {
    QString name;
    int priority;
    ApplicationProvider provider;
};

std::vector<Entry>& providers() {
    static std::vector<Entry> list;
    return list;
}

} // namespace

void registerApplicationProvider(const QString& name, int priority, ApplicationProvider provider) {
    unregisterApplicationProvider(name);
    auto& list = providers();
    const auto pos = std::find_if(list.begin(), list.end(),
                                  [&](const Entry& e) { return e.priority < priority; });
    list.insert(pos, Entry{name, priority, std::move(provider)});
}

void unregisterApplicationProvider(const QString& name) {
    auto& list = providers();
    list.erase(
        std::remove_if(list.begin(), list.end(), [&](const Entry& e) { return e.name == name; }),
        list.end());
}

QString workbookPathFromArgument(const QString& argument) {
    QString path = argument.trimmed();
    if (path.size() >= 2 && path.startsWith(QLatin1Char('"')) && path.endsWith(QLatin1Char('"')))
        path = path.mid(1, path.size() - 2).trimmed();
    static const QRegularExpression aSwitch(QStringLiteral("^/\\d+$"));
    if (aSwitch.match(path).hasMatch())
        return {};
    return path;
}

std::shared_ptr<Application> activeApplication(const QString& argument, int minimumPriority) {
    // Copy first: a provider may register another while it runs.
    const std::vector<Entry> list = providers();
    for (const Entry& e : list) {
        if (e.priority < minimumPriority)
            break; // the list is in order of priority
        if (auto app = e.provider(argument))
            return app;
    }
    return nullptr;
}

} // namespace excel
