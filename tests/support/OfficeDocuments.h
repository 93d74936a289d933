#pragma once
// Documents in the office started for the tests (ctest starts it; TALLYVANE_UNO_CONNECT says
// where it listens): loaded hidden, stored, closed. What a user does in the office's own window.

#include <QString>

namespace testsupport::office {

// Loads the file into the office without a window. Fails the test when the office refuses.
void loadHidden(const QString& path);
// Stores the open document loaded from path as a workbook file at target.
void storeAs(const QString& path, const QString& target);
// Closes the open document loaded from path, without saving; nothing when none is open.
void close(const QString& path);

} // namespace testsupport::office
