#include "excel/Clipboard.h"

namespace excel {

namespace {

struct Service {
    std::function<QString()> read;
    std::function<void(const QString&)> write;
    QString kept;
};

Service& service() {
    static Service s;
    return s;
}

} // namespace

QString clipboardText() {
    Service& s = service();
    return s.read ? s.read() : s.kept;
}

void setClipboardText(const QString& text) {
    Service& s = service();
    if (s.write)
        s.write(text);
    else
        s.kept = text;
}

void clearClipboard() {
    setClipboardText(QString());
}

void setClipboardService(std::function<QString()> read, std::function<void(const QString&)> write) {
    Service& s = service();
    s.read = std::move(read);
    s.write = std::move(write);
}

} // namespace excel
