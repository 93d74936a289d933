#include "engines/embedded/xlsx/SheetPartLayout.h"

#include "engines/embedded/FileRefusal.h"
#include "engines/embedded/xlsx/XmlStream.h"
#include "engines/embedded/xlsx/ZipPackage.h"

#include <QSet>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace embedded {

namespace {

// The worksheet's children that come after its conditional formats, in schema order.
bool followsConditionalFormats(const char* local) {
    static const char* const after[] = {
        "dataValidations", "hyperlinks", "printOptions",    "pageMargins",      "pageSetup",
        "headerFooter",    "rowBreaks",  "colBreaks",       "customProperties", "cellWatches",
        "ignoredErrors",   "smartTags",  "drawing",         "legacyDrawing",    "legacyDrawingHF",
        "drawingHF",       "picture",    "oleObjects",      "controls",         "webPublishItems",
        "tableParts",      "extLst",     "AlternateContent"};
    for (const char* name : after) {
        if (std::strcmp(local, name) == 0)
            return true;
    }
    return false;
}

bool isXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Finds an attribute's value in the text of a start tag that the parser accepted, as offsets
// within it; blanks around "=" and either quote are allowed, as XML allows them. Also gives
// where the element's name ends.
bool findAttributeValue(const char* tag, qsizetype size, const char* local, qsizetype& begin,
                        qsizetype& end, qsizetype& nameEnd) {
    qsizetype i = 1;
    while (i < size && !isXmlSpace(tag[i]) && tag[i] != '/' && tag[i] != '>')
        ++i;
    nameEnd = i;
    while (i < size) {
        while (i < size && isXmlSpace(tag[i]))
            ++i;
        if (i >= size || tag[i] == '/' || tag[i] == '>')
            return false;
        const qsizetype nameBegin = i;
        while (i < size && !isXmlSpace(tag[i]) && tag[i] != '=')
            ++i;
        const QByteArray name(tag + nameBegin, i - nameBegin);
        while (i < size && (isXmlSpace(tag[i]) || tag[i] == '='))
            ++i;
        if (i >= size)
            return false;
        const char quote = tag[i];
        const qsizetype valueBegin = ++i;
        while (i < size && tag[i] != quote)
            ++i;
        if (std::strcmp(localName(name.constData()), local) == 0) {
            begin = valueBegin;
            end = i;
            return i < size;
        }
        ++i;
    }
    return false;
}

class LayoutScanner : public XmlStream {
public:
    LayoutScanner(const QString& fileName, const QString& partName, const QByteArray& xml)
        : XmlStream(fileName, partName)
        , m_xml(xml) {}
    SheetPartLayout layout;

protected:
    void startElement(const char* name, const char** attributes) override {
        const char* local = localName(name);
        if (m_depth == 0 && local != name)
            layout.prefix = QByteArray(name, int(local - name));
        if (m_depth == 1) {
            if (std::strcmp(local, "conditionalFormatting") == 0) {
                StoredRuleSpan span;
                span.begin = byteIndex();
                if (const char* sqref = attribute(attributes, "sqref"))
                    span.sqref = sqref;
                qsizetype begin = 0, end = 0, nameEnd = 0;
                const qsizetype count = std::min<qsizetype>(byteCount(), m_xml.size() - span.begin);
                if (findAttributeValue(m_xml.constData() + span.begin, count, "sqref", begin, end,
                                       nameEnd)) {
                    span.sqrefBegin = span.begin + begin;
                    span.sqrefEnd = span.begin + end;
                }
                span.attributesAt = span.begin + nameEnd;
                span.ranges = parseSqref(span.sqref);
                m_openRule = true;
                layout.rules.push_back(span);
            } else if (layout.insertAt < 0 && followsConditionalFormats(local)) {
                layout.insertAt = byteIndex();
            }
        }
        if (std::strcmp(local, "cfRule") == 0) {
            if (const char* p = attribute(attributes, "priority"))
                layout.priorities.push_back(std::strtoll(p, nullptr, 10));
        }
        ++m_depth;
    }
    void endElement(const char*) override {
        --m_depth;
        if (m_depth == 1 && m_openRule) {
            layout.rules.back().end = byteIndex() + byteCount();
            m_openRule = false;
        }
        if (m_depth == 0 && layout.insertAt < 0)
            layout.insertAt = byteIndex();
    }
    void characters(const char*, int) override {}

private:
    const QByteArray& m_xml;
    int m_depth = 0;
    bool m_openRule = false;
};

} // namespace

QByteArray readWholePart(ZipPackage& package, const QString& partName) {
    QByteArray bytes;
    package.stream(partName,
                   [&](const char* data, size_t size) { bytes.append(data, qsizetype(size)); });
    return bytes;
}

SheetPartLayout scanSheetPart(const QString& fileName, const QString& partName,
                              const QByteArray& xml) {
    if (isUtf16Xml(xml))
        refuseFile(fileName, QStringLiteral("its part %1 is written in UTF-16, which this program "
                                            "cannot change safely; save the workbook once in "
                                            "your spreadsheet program and try again")
                                 .arg(partName));
    LayoutScanner scanner(fileName, partName, xml);
    scanner.parse(xml);
    return scanner.layout;
}

std::vector<int> freeNumbers(std::vector<qint64> used, int lowest, int count) {
    std::vector<int> out;
    const qint64 top = used.empty() ? 0 : *std::max_element(used.begin(), used.end());
    qint64 next = std::max<qint64>(lowest, top + 1);
    if (next + count - 1 <= std::numeric_limits<int>::max()) {
        for (int i = 0; i < count; ++i)
            out.push_back(int(next + i));
        return out;
    }
    // The largest is taken: the gaps below it. There are always enough, since a file holds far
    // fewer entries than there are ints.
    std::sort(used.begin(), used.end());
    qint64 candidate = lowest;
    auto it = std::lower_bound(used.begin(), used.end(), candidate);
    while (int(out.size()) < count && candidate <= std::numeric_limits<int>::max()) {
        while (it != used.end() && *it < candidate)
            ++it;
        if (it == used.end() || *it != candidate)
            out.push_back(int(candidate));
        ++candidate;
    }
    return out;
}

QVector<excel::CellRect> parseSqref(const QByteArray& sqref) {
    QVector<excel::CellRect> out;
    for (const QByteArray& piece : sqref.split(' ')) {
        if (piece.isEmpty())
            continue;
        if (const auto parsed = excel::parseReference(QString::fromLatin1(piece)))
            out += parsed->areas;
    }
    return out;
}

} // namespace embedded
