#include "SheetPartLayout.h"

#include "FileRefusal.h"
#include "XmlStream.h"
#include "ZipPackage.h"

#include <QSet>
#include <cstring>

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

class LayoutScanner : public XmlStream {
public:
    using XmlStream::XmlStream;
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
                span.ranges = parseSqref(span.sqref);
                m_openRule = true;
                layout.rules.push_back(span);
            } else if (layout.insertAt < 0 && followsConditionalFormats(local)) {
                layout.insertAt = byteIndex();
            }
        }
        if (std::strcmp(local, "cfRule") == 0) {
            if (const char* p = attribute(attributes, "priority"))
                layout.maxPriority = std::max(layout.maxPriority, std::atoi(p));
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
    const QByteArray head = xml.left(200);
    if (head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF") ||
        head.toLower().contains("encoding=\"utf-16") || head.toLower().contains("encoding='utf-16"))
        refuseFile(fileName, QStringLiteral("its part %1 is not in UTF-8, which this program "
                                            "cannot change safely")
                                 .arg(partName));
    LayoutScanner scanner(fileName, partName);
    scanner.parse(xml);
    return scanner.layout;
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
