#pragma once
// Appends the cell formats and conditional-format fills of a save to a workbook's styles part.
// Existing entries are never changed or reordered, so every style index the workbook's own
// sheets use keeps its meaning.

#include "engines/embedded/xlsx/RawXml.h"
#include "excel/CellFormat.h"

#include <map>

namespace embedded {

class StyleAppender {
public:
    explicit StyleAppender(RawXml& styles);

    // The cellXfs index of a format; dates without a number format of their own get the short
    // date format.
    int cellStyle(const excel::CellFormat& format, bool date = false);
    // The dxfs index of a conditional format's solid fill (0xRRGGBB).
    int fillDxf(int rgb);
    bool changed() const { return m_changed; }

private:
    pugi::xml_node section(const char* local, std::initializer_list<const char*> before);
    int numFmtId(const QString& code);
    int appendFont(const excel::CellFormat& format);
    int appendFill(int rgb);
    int appendBorder(int rgb);
    static void bumpCount(pugi::xml_node section);

    RawXml& m_styles;
    QByteArray m_p; // element prefix
    std::map<QString, int> m_xfs;
    std::map<int, int> m_dxfs;
    bool m_changed = false;
};

} // namespace embedded
