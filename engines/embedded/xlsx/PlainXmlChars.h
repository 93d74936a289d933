#pragma once
// The characters of the plain XML reader: what may start and continue a name, what needs no
// escaping in text and attribute values, which characters XML allows, and UTF-8 read and
// written. For the reader's two halves (PlainXml.cpp, PlainXmlTags.cpp) only.

#include <cstddef>
#include <string>

namespace embedded::plainxml {

using uchar = unsigned char;

// A token longer than this is not what a spreadsheet writes: the full parser takes the part.
inline constexpr size_t kMaxToken = 1 << 20;

inline bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Characters of names (ASCII only: names beyond it are left to the full parser): 1 may start a
// name, 2 may follow.
struct NameTable {
    unsigned char kind[256] = {};
    constexpr NameTable() {
        for (int c = 0; c < 256; ++c) {
            const bool start =
                (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':';
            const bool follow = start || (c >= '0' && c <= '9') || c == '-' || c == '.';
            kind[c] = start ? 3 : (follow ? 2 : 0);
        }
    }
};
constexpr NameTable kNames;

inline bool isNameStart(unsigned char c) {
    return kNames.kind[c] & 1;
}

inline bool isNameChar(unsigned char c) {
    return kNames.kind[c] & 2;
}

// A character that stands for itself in text: printable ASCII, no reference, no "]" (which may
// start "]]>"). The caller stops at "<" where it must.
inline bool isPlainText(unsigned char c) {
    return c >= 0x20 && c < 0x80 && c != '&' && c != ']';
}

// A character that stands for itself in an attribute value closed by quote.
inline bool isPlainValue(unsigned char c, char quote) {
    return c >= 0x20 && c < 0x80 && c != uchar(quote) && c != '&' && c != '<';
}

// Names are short: compared here rather than by a call.
inline bool sameName(const unsigned char* a, const unsigned char* b, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        if (a[i] != b[i])
            return false;
    }
    return true;
}

// A character XML allows in a document.
inline bool isXmlChar(unsigned long c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

inline void appendUtf8(unsigned long c, std::string& out) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// The length of the well-formed UTF-8 sequence of an allowed character at p (before end), or 0.
inline size_t utf8Length(const unsigned char* p, const unsigned char* end) {
    const unsigned char c = p[0];
    size_t n = 0;
    unsigned long value = 0;
    unsigned long least = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2, value = c & 0x1F, least = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3, value = c & 0x0F, least = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4, value = c & 0x07, least = 0x10000;
    } else {
        return 0;
    }
    if (size_t(end - p) < n)
        return 0;
    for (size_t i = 1; i < n; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (p[i] & 0x3F);
    }
    return value >= least && isXmlChar(value) ? n : 0;
}

} // namespace embedded::plainxml
