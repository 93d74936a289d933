#include "engines/embedded/xlsx/XmlStream.h"

#include "engines/embedded/FileRefusal.h"
#include "engines/embedded/xlsx/PlainXml.h"
#include "engines/embedded/xlsx/ZipPackage.h"

#include <cstring>
#include <expat.h>

namespace embedded {

const char* attribute(const char** attributes, const char* local) {
    for (int i = 0; attributes[i]; i += 2) {
        if (std::strcmp(localName(attributes[i]), local) == 0)
            return attributes[i + 1];
    }
    return nullptr;
}

XmlStream::XmlStream(QString fileName, QString partName)
    : m_fileName(std::move(fileName))
    , m_partName(std::move(partName))
    , m_parser(XML_ParserCreate(nullptr)) {
    XML_SetUserData(m_parser, this);
    XML_SetElementHandler(m_parser, &XmlStream::onStart, &XmlStream::onEnd);
    XML_SetCharacterDataHandler(m_parser, &XmlStream::onText);
    XML_SetStartDoctypeDeclHandler(m_parser, &XmlStream::onDoctype);
    XML_SetParamEntityParsing(m_parser, XML_PARAM_ENTITY_PARSING_NEVER);
}

XmlStream::~XmlStream() {
    XML_ParserFree(m_parser);
}

void XmlStream::usePlainReader() {
    m_plain = std::make_unique<PlainXml>(PlainXml::Handlers{
        [this](const char* name, const char** attributes) { startElement(name, attributes); },
        [this](const char* name) { endElement(name); },
        [this](const char* data, int length) { characters(data, length); },
        &m_failed,
        [this](const char* data, size_t size, const std::string& innermost, bool& closed,
               const char*& opened) { return skim(data, size, innermost, closed, opened); },
    });
}

bool XmlStream::plainReaderGaveUp() const {
    return m_plain && m_plain->gaveUp() && m_failure.isEmpty();
}

void XmlStream::fail(const QString& reason) {
    if (m_failure.isEmpty())
        m_failure = reason;
    m_failed = true;
    XML_StopParser(m_parser, XML_FALSE);
}

void XmlStream::abandon(std::exception_ptr reason) {
    if (!m_abandoned)
        m_abandoned = std::move(reason);
    m_failed = true;
    XML_StopParser(m_parser, XML_FALSE);
}

void XmlStream::onStart(void* self, const char* name, const char** attributes) {
    static_cast<XmlStream*>(self)->startElement(name, attributes);
}

void XmlStream::onEnd(void* self, const char* name) {
    static_cast<XmlStream*>(self)->endElement(name);
}

void XmlStream::onText(void* self, const char* data, int length) {
    static_cast<XmlStream*>(self)->characters(data, length);
}

void XmlStream::onDoctype(void* self, const char*, const char*, const char*, int) {
    auto* stream = static_cast<XmlStream*>(self);
    stream->fail(QStringLiteral("its part %1 holds a document type declaration, which workbook "
                                "files never have; it is refused for safety")
                     .arg(stream->m_partName));
}

bool XmlStream::feed(const char* data, size_t size, bool final) {
    const XML_Status status = XML_Parse(m_parser, data, int(size), final ? 1 : 0);
    if (!m_failure.isEmpty()) {
        // Raised once the part is unpacked, as a syntax error is: a damaged part shows up as
        // odd content first, and the damage is the truer reason.
        m_syntaxError = m_failure;
        return false;
    }
    if (status == XML_STATUS_OK)
        return true;
    m_syntaxError = QStringLiteral("its part %1 is not well-formed XML (line %2: %3)")
                        .arg(m_partName)
                        .arg(XML_GetCurrentLineNumber(m_parser))
                        .arg(QString::fromUtf8(XML_ErrorString(XML_GetErrorCode(m_parser))));
    return false;
}

void XmlStream::parse(ZipPackage& package) {
    // After a syntax error or a refused content the rest is still unpacked, unparsed: if the
    // part is damaged, the unpacking reports that, which is the truer reason.
    package.stream(m_partName, [&](const char* data, size_t size) { feedChunks(data, size); });
    finish();
}

void XmlStream::parse(const QByteArray& bytes) {
    feedChunks(bytes.constData(), size_t(bytes.size()));
    finish();
}

void XmlStream::feedChunks(const char* data, size_t size) {
    m_fed += qint64(size);
    if (m_plain) {
        // After giving up or a refused content the rest is only unpacked, as below.
        if (m_syntaxError.isEmpty() && !m_plain->gaveUp()) {
            m_plain->feed(data, size);
            if (!m_failure.isEmpty())
                m_syntaxError = m_failure;
        }
    } else {
        while (size > 0 && m_syntaxError.isEmpty() && !m_abandoned) {
            const size_t piece = std::min<size_t>(size, 1 << 20); // what the parser's int holds
            feed(data, piece, false);
            data += piece;
            size -= piece;
        }
    }
    if (m_abandoned)
        std::rethrow_exception(m_abandoned); // out of the unpacking too
}

void XmlStream::finish() {
    if (m_plain) {
        if (m_syntaxError.isEmpty() && !m_plain->gaveUp()) {
            m_plain->finish();
            if (!m_failure.isEmpty())
                m_syntaxError = m_failure;
        }
        if (plainReaderGaveUp())
            return; // the caller reads the part again with the full parser
    } else if (m_syntaxError.isEmpty()) {
        feed("", 0, true);
    }
    if (!m_syntaxError.isEmpty())
        refuseFile(m_fileName, m_syntaxError);
}

qint64 XmlStream::byteIndex() const {
    return m_plain ? -1 : qint64(XML_GetCurrentByteIndex(m_parser));
}

int XmlStream::byteCount() const {
    return m_plain ? 0 : XML_GetCurrentByteCount(m_parser);
}

pugi::xml_document loadPart(ZipPackage& package, const QString& partName) {
    const QByteArray bytes = package.read(partName);
    pugi::xml_document doc;
    const pugi::xml_parse_result result =
        doc.load_buffer(bytes.constData(), size_t(bytes.size()),
                        pugi::parse_default | pugi::parse_doctype | pugi::parse_ws_pcdata_single);
    if (!result)
        refuseFile(package.fileName(), QStringLiteral("its part %1 is not well-formed XML (%2)")
                                           .arg(partName, QString::fromUtf8(result.description())));
    for (const pugi::xml_node& node : doc.children()) {
        if (node.type() == pugi::node_doctype)
            refuseFile(package.fileName(),
                       QStringLiteral("its part %1 holds a document type declaration, which "
                                      "workbook files never have; it is refused for safety")
                           .arg(partName));
    }
    return doc;
}

pugi::xml_node childNamed(const pugi::xml_node& parent, const char* local) {
    for (const pugi::xml_node& child : parent.children()) {
        if (child.type() == pugi::node_element && std::strcmp(localName(child.name()), local) == 0)
            return child;
    }
    return {};
}

pugi::xml_attribute attributeNamed(const pugi::xml_node& node, const char* local) {
    for (const pugi::xml_attribute& a : node.attributes()) {
        if (std::strcmp(localName(a.name()), local) == 0)
            return a;
    }
    return {};
}

QString decodeEscapes(const QString& text) {
    if (!text.contains(QLatin1String("_x")))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'_' && i + 6 < text.size() && text[i + 1] == u'x' && text[i + 6] == u'_') {
            bool ok = false;
            const uint code = QStringView(text).mid(i + 2, 4).toUInt(&ok, 16);
            if (ok) {
                out += QChar(char16_t(code));
                i += 6;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

} // namespace embedded
