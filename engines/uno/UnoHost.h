#pragma once
// The office backend as a provider of running applications: an office listening on the
// configured UNO connection with a spreadsheet document open is the application to attach to.

#include "excel/Application.h"

#include <QString>
#include <memory>

namespace uno {

// Registers the office with excel::activeApplication(), ahead of the embedded engine. Without an
// argument, or with one that is a switch, it attaches to the document the user works in; with a
// workbook path, only to the document loaded from that file (any other file is for a host that
// opens files). place is where the office listens (empty: the configured place).
void registerUnoProvider(const QString& place = {});

// The office at place (empty: the configured place), attached to the open document whose file
// name or path is document, or to the one the user works in when document is empty. Raises
// excel::Error with what the user can do when no office listens or no such document is open.
std::shared_ptr<excel::Application> attachToOffice(const QString& place, const QString& document);

} // namespace uno
