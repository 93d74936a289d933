#pragma once
// The plain-text clipboard the program copies to and the spreadsheet pastes from. It is one per
// process; a windowed program routes it to the system clipboard, a program without windows keeps
// the text in memory.

#include <QString>
#include <functional>

namespace excel {

QString clipboardText();
void setClipboardText(const QString& text);
void clearClipboard();

// Routes the clipboard to a service; without one the text stays in this process.
void setClipboardService(std::function<QString()> read, std::function<void(const QString&)> write);

} // namespace excel
