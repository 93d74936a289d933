#pragma once
// Streaming XML for the large parts (sheets, shared strings) and guarded DOM loading for the
// small ones. Both refuse any document type declaration: workbook parts never carry one, and it
// is the door to entity expansion and external entities.

#include <QByteArray>
#include <QString>
#include <exception>
#include <memory>
#include <pugixml.hpp>
#include <string>

struct XML_ParserStruct;

namespace embedded {

class ZipPackage;
class PlainXml;

// The part of an element or attribute name after its prefix: "x:c" gives "c".
inline const char* localName(const char* name) {
    const char* colon = nullptr;
    for (const char* p = name; *p; ++p) {
        if (*p == ':')
            colon = p;
    }
    return colon ? colon + 1 : name;
}

// The value of an attribute by local name, or null.
const char* attribute(const char** attributes, const char* local);

class XmlStream {
public:
    XmlStream(QString fileName, QString partName);
    virtual ~XmlStream();
    XmlStream(const XmlStream&) = delete;
    XmlStream& operator=(const XmlStream&) = delete;

    // Streams the whole part through the handlers; refuses the file on any error. With the
    // plain reader (usePlainReader), a part beyond its subset is left to the caller to read again
    // with the full parser (plainReaderGaveUp()).
    void parse(ZipPackage& package);
    // Parses a part already in memory.
    void parse(const QByteArray& bytes);

    // Reads the part with the fast plain reader; no byte positions are known then.
    void usePlainReader();
    bool plainReaderGaveUp() const;

protected:
    virtual void startElement(const char* name, const char** attributes) = 0;
    virtual void endElement(const char* name) = 0;
    virtual void characters(const char* data, int length) = 0;
    // With the plain reader: a run of tokens inside the element named innermost read in one go,
    // the handlers' work done by the reader itself (see PlainXml::Handlers::skim); 0 when none.
    virtual size_t skim(const char* /*data*/, size_t /*size*/, const std::string& /*innermost*/,
                        bool& /*closed*/, const char*& /*opened*/) {
        return 0;
    }
    // A handler failed or abandoned the read: nothing more is to be read.
    bool failed() const { return m_failed; }
    // How many bytes of the part have been handed to the parser so far.
    qint64 bytesFed() const { return m_fed; }

    // Handlers report a problem here instead of throwing through the parser; the parse stops and
    // the reason is raised once the parser has returned.
    void fail(const QString& reason);
    // Ends the read at once with this exception, raised once the parser has returned (nothing
    // is thrown through it); the rest of the part is not unpacked.
    void abandon(std::exception_ptr reason);
    const QString& fileName() const { return m_fileName; }
    const QString& partName() const { return m_partName; }
    // Where the event being handled starts in the part, and how many bytes it spans.
    qint64 byteIndex() const;
    int byteCount() const;

private:
    static void onStart(void* self, const char* name, const char** attributes);
    static void onEnd(void* self, const char* name);
    static void onText(void* self, const char* data, int length);
    static void onDoctype(void* self, const char*, const char*, const char*, int);
    bool feed(const char* data, size_t size, bool final);
    void feedChunks(const char* data, size_t size);
    void finish();

    QString m_fileName;
    QString m_partName;
    XML_ParserStruct* m_parser;
    std::unique_ptr<PlainXml> m_plain;
    qint64 m_fed = 0;
    QString m_failure;
    bool m_failed = false; // a handler failed (m_failure says why) or abandoned the read
    std::exception_ptr m_abandoned;
    QString m_syntaxError;
};

// Loads a small part as a DOM (entities of XML itself decoded, blanks kept where significant).
pugi::xml_document loadPart(ZipPackage& package, const QString& partName);

// Children and attributes by local name, whatever prefix the producer used.
pugi::xml_node childNamed(const pugi::xml_node& parent, const char* local);
pugi::xml_attribute attributeNamed(const pugi::xml_node& node, const char* local);

// Decodes the _xHHHH_ escapes of workbook text ("_x000D_" is a carriage return).
QString decodeEscapes(const QString& text);

} // namespace embedded
