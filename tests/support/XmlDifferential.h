#pragma once
// The plain XML reader against the full parser: both read the same bytes, and what the plain
// reader accepts must read the same through the full parser (events, attributes, decoded text),
// which must not refuse it. Used by a unit test and by a fuzz target.

#include "excel/Error.h"
#include "engines/embedded/xlsx/PlainXml.h"
#include "engines/embedded/xlsx/XmlStream.h"

#include <QByteArray>
#include <string>

namespace testsupport {

// A log of the events as one text; consecutive texts are joined, as parsers split text freely.
class XmlEventLog {
public:
    void start(const char* name, const char** attributes) {
        flushText();
        log += "<" + std::string(name);
        for (int i = 0; attributes[i]; i += 2)
            log += " " + std::string(attributes[i]) + "=[" + attributes[i + 1] + "]";
        log += ">\n";
    }
    void end(const char* name) {
        flushText();
        log += "</" + std::string(name) + ">\n";
    }
    void text(const char* data, int length) { pending.append(data, size_t(length)); }
    std::string finished() {
        flushText();
        return log;
    }

private:
    void flushText() {
        if (!pending.empty())
            log += "T[" + pending + "]\n";
        pending.clear();
    }
    std::string log;
    std::string pending;
};

class FullParserLog : public embedded::XmlStream {
public:
    FullParserLog()
        : XmlStream(QStringLiteral("test.xlsx"), QStringLiteral("xl/worksheets/sheet1.xml")) {}
    XmlEventLog events;

protected:
    void startElement(const char* name, const char** attributes) override {
        events.start(name, attributes);
    }
    void endElement(const char* name) override { events.end(name); }
    void characters(const char* data, int length) override { events.text(data, length); }
};

struct XmlComparison {
    bool plainGaveUp = false;
    bool fullRefused = false;
    std::string plain;
    std::string full;
    // The fault: the plain reader accepted what the full parser refuses, or read it otherwise.
    bool differs() const { return !plainGaveUp && (fullRefused || plain != full); }
};

// The plain reader is fed in pieces of at most step bytes (0: all at once).
inline XmlComparison compareXmlReaders(const QByteArray& bytes, size_t step = 0) {
    static const bool kNever = false;
    XmlComparison out;
    XmlEventLog plainEvents;
    embedded::PlainXml plain(embedded::PlainXml::Handlers{
        [&](const char* name, const char** attributes) { plainEvents.start(name, attributes); },
        [&](const char* name) { plainEvents.end(name); },
        [&](const char* data, int length) { plainEvents.text(data, length); },
        &kNever,
    });
    size_t at = 0;
    const size_t size = size_t(bytes.size());
    do {
        const size_t piece = step == 0 ? size - at : std::min(step, size - at);
        plain.feed(bytes.constData() + at, piece);
        at += piece;
    } while (at < size);
    plain.finish();
    out.plainGaveUp = plain.gaveUp();
    out.plain = plainEvents.finished();
    FullParserLog full;
    try {
        full.parse(bytes);
    } catch (const excel::Error&) {
        out.fullRefused = true;
    }
    out.full = full.events.finished();
    return out;
}

} // namespace testsupport
