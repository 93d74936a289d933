#include "engines/embedded/xlsx/RawXml.h"

#include "engines/embedded/FileRefusal.h"
#include "engines/embedded/xlsx/XmlStream.h"

#include <cstring>
#include <sstream>

namespace embedded {

RawXml::RawXml(const QByteArray& bytes, const QString& fileName, const QString& partName) {
    // Edited text is UTF-8; a part in UTF-16 would be spliced into a mix of both.
    if (isUtf16Xml(bytes))
        refuseFile(fileName, QStringLiteral("its part %1 is written in UTF-16, which this program "
                                            "cannot change safely; save the workbook once in your "
                                            "spreadsheet program and try again")
                                 .arg(partName));
    // The root element starts at the first "<" that opens an element.
    qsizetype start = 0;
    while ((start = bytes.indexOf('<', start)) >= 0) {
        const char next = start + 1 < bytes.size() ? bytes[start + 1] : '\0';
        if (next != '?' && next != '!')
            break;
        ++start;
    }
    const qsizetype end = bytes.lastIndexOf('>');
    if (start < 0 || end < start)
        refuseFile(fileName, QStringLiteral("its part %1 holds no XML element").arg(partName));
    m_prolog = bytes.left(start);
    m_epilog = bytes.mid(end + 1);
    if (m_prolog.contains("<!DOCTYPE"))
        refuseFile(fileName, QStringLiteral("its part %1 holds a document type declaration, "
                                            "which workbook files never have")
                                 .arg(partName));
    const QByteArray body = bytes.mid(start, end - start + 1);
    const unsigned flags =
        pugi::parse_cdata | pugi::parse_comments | pugi::parse_pi | pugi::parse_ws_pcdata;
    const auto result =
        m_doc.load_buffer(body.constData(), size_t(body.size()), flags, pugi::encoding_utf8);
    if (!result)
        refuseFile(fileName, QStringLiteral("its part %1 is not well-formed XML (%2)")
                                 .arg(partName, QString::fromUtf8(result.description())));
}

QByteArray RawXml::prefix() const {
    const char* name = root().name();
    const char* local = localName(name);
    return QByteArray(name, int(local - name));
}

QByteArray RawXml::rootNamespace() const {
    const QByteArray p = prefix();
    const QByteArray attribute = p.isEmpty() ? QByteArray("xmlns") : "xmlns:" + p.chopped(1);
    return QByteArray(root().attribute(attribute.constData()).value());
}

QByteArray RawXml::prefixFor(const char* namespaceUri, const char* wanted) {
    pugi::xml_node r = root();
    for (const pugi::xml_attribute& a : r.attributes()) {
        if (std::strncmp(a.name(), "xmlns:", 6) == 0 && std::strcmp(a.value(), namespaceUri) == 0)
            return QByteArray(a.name() + 6) + ':';
    }
    QByteArray name = QByteArray(wanted);
    for (int n = 2; r.attribute(("xmlns:" + name).constData()); ++n)
        name = QByteArray(wanted) + QByteArray::number(n);
    r.append_attribute(("xmlns:" + name).constData()) = namespaceUri;
    return name + ':';
}

QByteArray RawXml::serialize() const {
    std::ostringstream out;
    m_doc.save(out, "", pugi::format_raw | pugi::format_no_escapes | pugi::format_no_declaration,
               pugi::encoding_utf8);
    const std::string body = out.str();
    return m_prolog + QByteArray(body.data(), qsizetype(body.size())) + m_epilog;
}

namespace {

bool isHexDigit(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// Whether text holds "_xHHHH_" at i, which a reader would decode as an escape.
bool escapeAt(const QString& text, qsizetype i) {
    if (i + 6 >= text.size() || text[i] != u'_' || text[i + 1] != u'x' || text[i + 6] != u'_')
        return false;
    for (qsizetype k = i + 2; k < i + 6; ++k) {
        if (!isHexDigit(text[k]))
            return false;
    }
    return true;
}

// The text as spreadsheets keep it in XML, before entities: each character XML 1.0 cannot hold
// (controls other than tab and line ends, U+FFFE, U+FFFF, half of a surrogate pair without its
// other half) becomes _xHHHH_, and the underscore of a literal "_xHHHH_" becomes _x005F_, so
// that a reader decoding the escapes gets the text back. With carriageReturns, a carriage
// return is escaped too (cell text, where readers would turn it into a line feed).
QByteArray storedForm(const QString& text, bool carriageReturns) {
    QString out;
    bool changed = false;
    const auto escape = [&](char16_t u) {
        out += QStringLiteral("_x") + QString::number(uint(u), 16).rightJustified(4, u'0').toUpper() +
               QLatin1Char('_');
        changed = true;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (u == u'_' && escapeAt(text, i)) {
            out += QStringLiteral("_x005F_");
            changed = true;
            continue;
        }
        if (QChar::isHighSurrogate(u) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text[i + 1].unicode())) {
            out += text[i];
            out += text[++i];
            continue;
        }
        const bool forbidden = (u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r') ||
                               u == 0xFFFE || u == 0xFFFF || QChar::isSurrogate(u);
        if (forbidden || (carriageReturns && u == u'\r'))
            escape(u);
        else
            out += text[i];
    }
    return changed ? out.toUtf8() : text.toUtf8();
}

} // namespace

QByteArray xmlEscape(const QString& text) {
    QByteArray out;
    const QByteArray utf8 = storedForm(text, false);
    out.reserve(utf8.size());
    for (char c : utf8) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\r':
            out += "&#13;";
            break;
        case '\n':
            out += "&#10;";
            break;
        case '\t':
            out += "&#9;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

QByteArray cellTextEscape(const QString& text) {
    QByteArray escaped;
    for (char c : storedForm(text, true)) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

pugi::xml_node insertChildInOrder(pugi::xml_node parent, const QByteArray& prefix,
                                  const char* local, std::initializer_list<const char*> before) {
    const QByteArray name = prefix + local;
    for (pugi::xml_node child : parent.children()) {
        if (child.type() != pugi::node_element)
            continue;
        for (const char* b : before) {
            if (std::strcmp(localName(child.name()), b) == 0)
                return parent.insert_child_before(name.constData(), child);
        }
    }
    return parent.append_child(name.constData());
}

} // namespace embedded
