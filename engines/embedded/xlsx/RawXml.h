#pragma once
// A small package part edited as a DOM without decoding anything: entities and line ends stay as
// the producer wrote them, and the bytes before and after the root element are copied verbatim.
// Text given to it must already be escaped (xmlEscape()).

#include <QByteArray>
#include <QString>
#include <pugixml.hpp>

namespace embedded {

class RawXml {
public:
    // Refuses (excel::Error naming the file) a part that is not well-formed.
    RawXml(const QByteArray& bytes, const QString& fileName, const QString& partName);
    pugi::xml_node root() const { return m_doc.document_element(); }
    // The root's prefix with its colon ("x:"), or empty.
    QByteArray prefix() const;
    // The namespace of the root element.
    QByteArray rootNamespace() const;
    // The prefix bound to a namespace on the root, with its colon; declares one when none is.
    QByteArray prefixFor(const char* namespaceUri, const char* wanted);
    QByteArray serialize() const;

private:
    QByteArray m_prolog;
    QByteArray m_epilog;
    pugi::xml_document m_doc;
};

// Every text the writer puts into a part goes through one of these two, so that the part stays
// well-formed whatever the text holds: characters XML cannot hold and a literal "_xHHHH_" become
// the _xHHHH_ escapes that spreadsheets read back, then the XML escaping.
// For element content or a double-quoted attribute value.
QByteArray xmlEscape(const QString& text);
// For the text of a cell, which also stores a carriage return as an escape.
QByteArray cellTextEscape(const QString& text);

// A new child named prefix + local, before the first existing child whose local name is in
// `before` (or last when there is none).
pugi::xml_node insertChildInOrder(pugi::xml_node parent, const QByteArray& prefix,
                                  const char* local, std::initializer_list<const char*> before);

} // namespace embedded
