#pragma once
// The backends the object-model suite runs against: the embedded engine hosting a workbook file,
// and a running office (started for the tests) with the same file loaded.

#include "excel/Application.h"

#include <QString>
#include <memory>
#include <string>

namespace testsupport {

// The backend this test executable runs its suites against.
const char* conformanceBackend();

// Attaches backend to the workbook file at path: the embedded engine hosts it, the office loads
// it (hidden: the office of the tests has no screen) and the program attaches to that document.
std::shared_ptr<excel::Application> attachBackend(const std::string& backend, const QString& path);

// Lets go of what attachBackend opened: the office closes the document without saving it.
void releaseBackend(const std::string& backend, const QString& path);

} // namespace testsupport
