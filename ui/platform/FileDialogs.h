#pragma once
// The file dialogs for workbooks: large enough, in the detail view, with every column wide
// enough for what it shows (names, sizes, kinds and dates are never cut short).

#include <QString>

class QFileDialog;
class QWidget;

namespace platform {

// A workbook to open (.xlsx, .xlsm, .csv); empty when the user cancels.
QString askWorkbookToOpen(QWidget* parent);
// The name to save a workbook under, starting from proposed; empty when the user cancels.
QString askWorkbookToSave(QWidget* parent, const QString& proposed);
// Sets the dialog up as the two above do (for a dialog shown by other means, and for tests).
void arrangeFileDialog(QFileDialog& dialog);

} // namespace platform
