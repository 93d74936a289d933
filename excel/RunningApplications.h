#pragma once
// Finds the running spreadsheet application to attach to. Each backend registers a provider; the
// providers are asked in order of priority, highest first, and the first that answers wins.

#include "excel/Application.h"

#include <QString>
#include <climits>
#include <functional>
#include <memory>

namespace excel {

// Given the program's whole argument string, a provider returns the application it can reach, or
// null when it has none. It raises excel::Error when the argument names something it should host
// but cannot (a workbook file it refuses), so that the user learns why.
using ApplicationProvider = std::function<std::shared_ptr<Application>(const QString& argument)>;

void registerApplicationProvider(const QString& name, int priority, ApplicationProvider provider);
void unregisterApplicationProvider(const QString& name);

// The workbook path named by the argument string, or empty when it names none: the whole string,
// trimmed and without surrounding quotes. A switch such as "/1002" names no file.
QString workbookPathFromArgument(const QString& argument);

// The application to attach to, or null when no provider has one. Only providers of at least
// minimumPriority are asked: 1 and above reach applications that run apart from this program.
std::shared_ptr<Application> activeApplication(const QString& argument,
                                               int minimumPriority = INT_MIN);

} // namespace excel
