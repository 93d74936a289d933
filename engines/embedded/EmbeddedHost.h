#pragma once
// The embedded engine as a provider of running applications: the program's argument string names
// a workbook file, and the engine hosts it (or hands back the host already running for it).

#include "engines/embedded/ReadLimits.h"
#include "engines/embedded/store/WorkbookData.h"
#include "excel/Application.h"

#include <QString>
#include <memory>

namespace embedded {

class EmbeddedApplication;

// Registers the embedded engine with excel::activeApplication(). It comes after any provider
// that reaches a separate running application.
void registerEmbeddedProvider(const ReadLimits& limits = {});

// The host already running for the workbook file at path, if any.
std::shared_ptr<EmbeddedApplication> runningHost(const QString& path);
// A host for a workbook read from path (read elsewhere, on another thread for one): it becomes
// the running host of that file.
std::shared_ptr<EmbeddedApplication> hostWorkbook(const QString& path, WorkbookData data);

} // namespace embedded
