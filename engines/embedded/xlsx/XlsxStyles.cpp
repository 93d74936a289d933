#include "engines/embedded/xlsx/XlsxStyles.h"

#include "engines/embedded/xlsx/SheetPartLayout.h"
#include "engines/embedded/xlsx/XmlStream.h"

#include <cstring>
#include <sstream>

namespace embedded {

namespace {

QByteArray argb(int rgb) {
    return "FF" + QByteArray::number(rgb, 16).rightJustified(6, '0').toUpper();
}

int elementCount(const pugi::xml_node& section) {
    int n = 0;
    for (const pugi::xml_node& c : section.children()) {
        if (c.type() == pugi::node_element)
            ++n;
    }
    return n;
}

std::string printed(const pugi::xml_node& node) {
    std::ostringstream out;
    node.print(out, "", pugi::format_raw | pugi::format_no_escapes);
    return out.str();
}

// An entry just appended that equals one already there is taken back, and the one there is used:
// saving again does not grow the styles with copies.
int reuseOrKeep(pugi::xml_node section, pugi::xml_node added) {
    const std::string mine = printed(added);
    int index = 0;
    for (pugi::xml_node child = section.first_child(); child && child != added;
         child = child.next_sibling()) {
        if (child.type() != pugi::node_element)
            continue;
        if (printed(child) == mine) {
            section.remove_child(added);
            return index;
        }
        ++index;
    }
    return index;
}

QString keyOf(const excel::CellFormat& f, bool date) {
    return QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8")
        .arg(f.numberFormat, f.fontName)
        .arg(f.bold)
        .arg(f.fontColor)
        .arg(f.fillColor)
        .arg(f.borderColor)
        .arg(f.horizontalAlignment)
        .arg(date);
}

} // namespace

StyleAppender::StyleAppender(RawXml& styles)
    : m_styles(styles)
    , m_p(styles.prefix()) {}

pugi::xml_node StyleAppender::section(const char* local,
                                      std::initializer_list<const char*> before) {
    pugi::xml_node s = childNamed(m_styles.root(), local);
    if (!s) {
        s = insertChildInOrder(m_styles.root(), m_p, local, before);
        s.append_attribute("count") = "0";
    }
    return s;
}

void StyleAppender::bumpCount(pugi::xml_node section) {
    if (pugi::xml_attribute count = section.attribute("count"))
        count.set_value(elementCount(section));
}

int StyleAppender::numFmtId(const QString& code) {
    static const std::map<QString, int> builtIn = {{QString(), 0},
                                                   {QStringLiteral("General"), 0},
                                                   {QStringLiteral("0"), 1},
                                                   {QStringLiteral("0.00"), 2},
                                                   {QStringLiteral("#,##0"), 3},
                                                   {QStringLiteral("#,##0.00"), 4},
                                                   {QStringLiteral("0%"), 9},
                                                   {QStringLiteral("0.00%"), 10}};
    if (const auto it = builtIn.find(code); it != builtIn.end())
        return it->second;
    pugi::xml_node fmts =
        section("numFmts", {"fonts", "fills", "borders", "cellStyleXfs", "cellXfs", "cellStyles",
                            "dxfs", "tableStyles", "colors", "extLst"});
    std::vector<qint64> ids;
    const QByteArray escaped = xmlEscape(code);
    for (const pugi::xml_node& f : fmts.children()) {
        if (f.type() != pugi::node_element)
            continue;
        if (QByteArray(f.attribute("formatCode").value()) == escaped)
            return f.attribute("numFmtId").as_int();
        ids.push_back(f.attribute("numFmtId").as_llong());
    }
    // Formats of the workbook's own are numbered from 164.
    const int id = freeNumbers(ids, 164, 1).front();
    pugi::xml_node f = fmts.append_child((m_p + "numFmt").constData());
    f.append_attribute("numFmtId") = id;
    f.append_attribute("formatCode") = escaped.constData();
    bumpCount(fmts);
    return id;
}

int StyleAppender::appendFont(const excel::CellFormat& format) {
    pugi::xml_node fonts =
        section("fonts", {"fills", "borders", "cellStyleXfs", "cellXfs", "cellStyles", "dxfs",
                          "tableStyles", "colors", "extLst"});
    pugi::xml_node base = childNamed(fonts, "font");
    pugi::xml_node font =
        base ? fonts.append_copy(base) : fonts.append_child((m_p + "font").constData());
    const auto child = [&](const char* local) { return childNamed(font, local); };
    if (format.bold && !child("b"))
        font.prepend_child((m_p + "b").constData());
    if (!format.bold && child("b"))
        font.remove_child(child("b"));
    if (format.fontColor >= 0) {
        if (child("color"))
            font.remove_child(child("color"));
        pugi::xml_node color =
            child("name") ? font.insert_child_before((m_p + "color").constData(), child("name"))
                          : font.append_child((m_p + "color").constData());
        color.append_attribute("rgb") = argb(format.fontColor).constData();
    }
    if (!format.fontName.isEmpty()) {
        pugi::xml_node name = child("name");
        if (!name)
            name = font.append_child((m_p + "name").constData());
        if (!name.attribute("val"))
            name.append_attribute("val");
        name.attribute("val").set_value(xmlEscape(format.fontName).constData());
        // A theme font scheme would override the name.
        if (child("scheme"))
            font.remove_child(child("scheme"));
    }
    const int index = reuseOrKeep(fonts, font);
    bumpCount(fonts);
    return index;
}

int StyleAppender::appendFill(int rgb) {
    pugi::xml_node fills = section("fills", {"borders", "cellStyleXfs", "cellXfs", "cellStyles",
                                             "dxfs", "tableStyles", "colors", "extLst"});
    // Fills 0 and 1 are reserved (none and gray125); a workbook that lacks them gets them.
    while (elementCount(fills) < 2) {
        pugi::xml_node pattern = fills.append_child((m_p + "fill").constData())
                                     .append_child((m_p + "patternFill").constData());
        pattern.append_attribute("patternType") = elementCount(fills) == 1 ? "none" : "gray125";
    }
    pugi::xml_node pattern = fills.append_child((m_p + "fill").constData())
                                 .append_child((m_p + "patternFill").constData());
    pattern.append_attribute("patternType") = "solid";
    pattern.append_child((m_p + "fgColor").constData()).append_attribute("rgb") =
        argb(rgb).constData();
    pattern.append_child((m_p + "bgColor").constData()).append_attribute("indexed") = "64";
    const int index = reuseOrKeep(fills, pattern.parent());
    bumpCount(fills);
    return index;
}

int StyleAppender::appendBorder(int rgb) {
    pugi::xml_node borders = section("borders", {"cellStyleXfs", "cellXfs", "cellStyles", "dxfs",
                                                 "tableStyles", "colors", "extLst"});
    if (elementCount(borders) == 0)
        borders.append_child((m_p + "border").constData());
    pugi::xml_node border = borders.append_child((m_p + "border").constData());
    for (const char* side : {"left", "right", "top", "bottom"}) {
        pugi::xml_node s = border.append_child((m_p + side).constData());
        s.append_attribute("style") = "thin";
        s.append_child((m_p + "color").constData()).append_attribute("rgb") = argb(rgb).constData();
    }
    border.append_child((m_p + "diagonal").constData());
    const int index = reuseOrKeep(borders, border);
    bumpCount(borders);
    return index;
}

int StyleAppender::cellStyle(const excel::CellFormat& format, bool date) {
    const QString key = keyOf(format, date);
    if (const auto it = m_xfs.find(key); it != m_xfs.end())
        return it->second;
    m_changed = true;
    const QString code = format.numberFormat.isEmpty() && date ? QString() : format.numberFormat;
    const int numFmt = format.numberFormat.isEmpty() && date ? 14 : numFmtId(code);
    const bool plainFont = !format.bold && format.fontColor < 0 && format.fontName.isEmpty();
    const int font = plainFont ? 0 : appendFont(format);
    const int fill = format.fillColor < 0 ? 0 : appendFill(format.fillColor);
    const int border = format.borderColor < 0 ? 0 : appendBorder(format.borderColor);
    pugi::xml_node xfs =
        section("cellXfs", {"cellStyles", "dxfs", "tableStyles", "colors", "extLst"});
    pugi::xml_node xf = xfs.append_child((m_p + "xf").constData());
    xf.append_attribute("numFmtId") = numFmt;
    xf.append_attribute("fontId") = font;
    xf.append_attribute("fillId") = fill;
    xf.append_attribute("borderId") = border;
    xf.append_attribute("xfId") = 0;
    if (numFmt)
        xf.append_attribute("applyNumberFormat") = 1;
    if (font)
        xf.append_attribute("applyFont") = 1;
    if (fill)
        xf.append_attribute("applyFill") = 1;
    if (border)
        xf.append_attribute("applyBorder") = 1;
    const char* horizontal = format.horizontalAlignment == excel::kAlignLeft     ? "left"
                             : format.horizontalAlignment == excel::kAlignCenter ? "center"
                             : format.horizontalAlignment == excel::kAlignRight  ? "right"
                                                                                 : nullptr;
    if (horizontal) {
        xf.append_attribute("applyAlignment") = 1;
        xf.append_child((m_p + "alignment").constData()).append_attribute("horizontal") =
            horizontal;
    }
    const int index = reuseOrKeep(xfs, xf);
    bumpCount(xfs);
    m_xfs[key] = index;
    return index;
}

int StyleAppender::fillDxf(int rgb) {
    if (const auto it = m_dxfs.find(rgb); it != m_dxfs.end())
        return it->second;
    m_changed = true;
    pugi::xml_node dxfs = section("dxfs", {"tableStyles", "colors", "extLst"});
    pugi::xml_node pattern = dxfs.append_child((m_p + "dxf").constData())
                                 .append_child((m_p + "fill").constData())
                                 .append_child((m_p + "patternFill").constData());
    pattern.append_child((m_p + "bgColor").constData()).append_attribute("rgb") =
        argb(rgb).constData();
    bumpCount(dxfs);
    const int index = elementCount(dxfs) - 1;
    m_dxfs[rgb] = index;
    return index;
}

} // namespace embedded
