#pragma once
// Documents in the office started for the tests (ctest starts it; TALLYVANE_UNO_CONNECT says
// where it listens): loaded hidden, stored, closed. What a user does in the office's own window.

#include <QString>

namespace testsupport::office {

// Loads the file into the office without a window. Fails the test when the office refuses.
void loadHidden(const QString& path);
// Loads the file into a window of the office (an office with windows only), as the user opens it.
void loadOnScreen(const QString& path);
// Adds the extension file to the office's user profile, as its extension manager does.
void addExtension(const QString& oxt);
// Selects the cells named by reference (e.g. "C1:C40") in the window of the document loaded from
// path.
void select(const QString& path, const QString& reference);
// Sets the zoom of the window of the document loaded from path, in percent.
void zoom(const QString& path, int percent);
// Answers the office's range bar whose title holds prompt as the user does, once it shows (within
// 30 s): types reference and confirms it, or cancels when reference is empty. For another thread
// while the program waits for the answer.
void answerRangeSelection(const QString& prompt, const QString& reference);
// A text setting of the office's configuration: path below node (e.g. "/org.openoffice.Setup"),
// empty when there is none.
QString setting(const QString& node, const QString& path);
// Sends the command URL to the window of the document loaded from path, as its menu does.
void dispatch(const QString& path, const QString& url);
// Stores the open document loaded from path as a workbook file at target.
void storeAs(const QString& path, const QString& target);
// Closes the open document loaded from path, without saving; nothing when none is open.
void close(const QString& path);

} // namespace testsupport::office
