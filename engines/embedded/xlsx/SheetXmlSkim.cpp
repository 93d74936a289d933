#include "engines/embedded/xlsx/SheetXmlReader.h"

#include "engines/embedded/xlsx/PlainXmlChars.h"

#include <cstring>
#include <string_view>

// The skim: most of a sheet's bytes are rows and cells of a few shapes,
//   <row r="7" spans="1:5">  <c r="A7" s="1" t="s"><v>12</v></c>  <c r="B7"/>  <f>A1+1</f>  </row>
// read here straight from the plain reader's buffer, without its events, and in one go for as
// many whole tokens as the buffer holds. Only what is certainly well-formed is taken, each token
// whole before anything is done with it; anything else (entities, other characters, inline
// texts, formulas with attributes, prefixes, a token cut off by the end of the buffer) is left
// to the plain reader token by token, which reads it as it always has.

namespace embedded {

using namespace plainxml;

namespace {

struct Span {
    const char* name;
    size_t nameLength;
    const char* value;
    size_t valueLength;
};

constexpr int kMostAttributes = 16;

// Characters that stand for themselves in an attribute value closed by " (bit 1) or ' (bit 2).
struct ValueTable {
    unsigned char kind[256] = {};
    constexpr ValueTable() {
        for (int c = 0x20; c < 0x80; ++c) {
            if (c != '&' && c != '<')
                kind[c] = (c == '"' ? 0 : 1) | (c == '\'' ? 0 : 2);
        }
    }
};
constexpr ValueTable kValues;

// The attributes of a start tag from just after its name to its end: ` name="value"` pairs of
// plain characters, set apart by one space, each name once. The position after the tag, or null
// when it is anything else or not all in [p, end). *end is a NUL, which no name or value holds.
const char* attributesOf(const char* p, const char* end, Span* spans, int& count, bool& empty) {
    count = 0;
    while (true) {
        if (p == end)
            return nullptr;
        const char c = *p;
        if (c == '>') {
            empty = false;
            ++p;
            break;
        }
        if (c == '/') {
            if (end - p < 2 || p[1] != '>')
                return nullptr;
            empty = true;
            p += 2;
            break;
        }
        if (c != ' ' || count == kMostAttributes || end - p < 2 || !isNameStart(uchar(p[1])))
            return nullptr;
        Span& span = spans[count++];
        span.name = ++p;
        while (isNameChar(uchar(*p)))
            ++p;
        span.nameLength = size_t(p - span.name);
        if (end - p < 2 || p[0] != '=' || (p[1] != '"' && p[1] != '\''))
            return nullptr;
        const char quote = p[1];
        const unsigned char plain = quote == '"' ? 1 : 2;
        p += 2;
        span.value = p;
        while (kValues.kind[uchar(*p)] & plain)
            ++p;
        if (p == end || *p != quote)
            return nullptr;
        span.valueLength = size_t(p - span.value);
        ++p;
    }
    for (int i = 1; i < count; ++i) {
        for (int j = 0; j < i; ++j) {
            if (spans[i].nameLength == spans[j].nameLength &&
                plainxml::sameName(reinterpret_cast<const uchar*>(spans[i].name),
                                   reinterpret_cast<const uchar*>(spans[j].name),
                                   spans[i].nameLength))
                return nullptr; // named twice: not well-formed
        }
    }
    return p;
}

// Whether the tag at p is <name followed by the end of its name.
bool opens(const char* p, const char* end, const char* name, size_t length) {
    if (size_t(end - p) <= length + 1 || p[0] != '<')
        return false;
    for (size_t i = 0; i < length; ++i) {
        if (p[i + 1] != name[i])
            return false;
    }
    return !isNameChar(uchar(p[length + 1]));
}

// <name>plain text</name> at p: the text, and the position after it; null when it is not that.
const char* leafOf(const char* p, const char* end, char name, const char*& text, size_t& length) {
    if (end - p < 7 || p[0] != '<' || p[1] != name || p[2] != '>')
        return nullptr;
    text = p + 3;
    const char* q = text;
    while (q < end && isPlainText(uchar(*q)) && *q != '<')
        ++q;
    if (end - q < 4 || q[0] != '<' || q[1] != '/' || q[2] != name || q[3] != '>')
        return nullptr;
    length = size_t(q - text);
    return q + 4;
}

// A value copied out with its NUL, as the handlers take it; false when it is too long for the
// attributes the skim passes on (the token reader then takes the tag).
bool copyValue(const Span& span, char (&out)[32]) {
    if (span.valueLength >= sizeof out)
        return false;
    std::memcpy(out, span.value, span.valueLength);
    out[span.valueLength] = '\0';
    return true;
}

} // namespace

size_t SheetXmlReader::skim(const char* data, size_t size, const std::string& innermost,
                            bool& closed, const char*& opened) {
    const bool startedInRow = innermost == "row";
    if (!startedInRow && innermost != "sheetData")
        return 0;
    sizeStoreFromProgress(size);
    bool inRow = startedInRow;
    bool rowEnded = false; // a </row> was read
    const char* const end = data + size;
    const char* p = data;
    const char* taken = data;
    while (!failed() && p < end) {
        if (*p != '<') {
            // Blanks between tokens are text nobody reads.
            while (p < end && isBlank(*p))
                ++p;
            if (p == end || *p != '<')
                break;
            continue;
        }
        const char* next = nullptr;
        if (inRow) {
            if (end - p >= 6 && std::memcmp(p, "</row>", 6) == 0) {
                next = p + 6;
                inRow = false;
                rowEnded = true;
            } else {
                next = skimCell(p, end);
            }
        } else {
            next = skimRowStart(p, end, inRow);
        }
        if (!next)
            break;
        p = taken = next;
    }
    closed = startedInRow && rowEnded;
    opened = inRow && (!startedInRow || rowEnded) ? "row" : nullptr;
    return size_t(taken - data);
}

const char* SheetXmlReader::skimRowStart(const char* p, const char* end, bool& inRow) {
    if (!opens(p, end, "row", 3))
        return nullptr;
    Span spans[kMostAttributes];
    int count = 0;
    bool empty = false;
    const char* after = attributesOf(p + 4, end, spans, count, empty);
    if (!after)
        return nullptr;
    // The row's number: the first attribute whose local name is r.
    char r[32];
    const char* number = nullptr;
    for (int i = 0; i < count && !number; ++i) {
        const Span& s = spans[i];
        const bool local = s.name[s.nameLength - 1] == 'r' &&
                           (s.nameLength == 1 || s.name[s.nameLength - 2] == ':');
        if (local) {
            if (!copyValue(s, r))
                return nullptr;
            number = r;
        }
    }
    startRow(number);
    inRow = !empty;
    return after;
}

const char* SheetXmlReader::skimCell(const char* p, const char* end) {
    if (!opens(p, end, "c", 1))
        return nullptr;
    Span spans[kMostAttributes];
    int count = 0;
    bool empty = false;
    const char* after = attributesOf(p + 2, end, spans, count, empty);
    if (!after)
        return nullptr;
    const char* formula = nullptr;
    size_t formulaLength = 0;
    const char* value = nullptr;
    size_t valueLength = 0;
    if (!empty) {
        if (const char* q = leafOf(after, end, 'f', formula, formulaLength))
            after = q;
        if (const char* q = leafOf(after, end, 'v', value, valueLength))
            after = q;
        if (end - after < 4 || std::memcmp(after, "</c>", 4) != 0)
            return nullptr;
        after += 4;
    }
    // The whole cell is read and well-formed: from here on it is the handlers' work.
    char copies[3][32];
    int copied = 0;
    const char* values[kMostAttributes] = {};
    for (int i = 0; i < count; ++i) {
        if (spans[i].nameLength != 1)
            continue;
        const char key = spans[i].name[0];
        if (key != 'r' && key != 't' && key != 's')
            continue;
        if (!copyValue(spans[i], copies[copied]))
            return nullptr;
        values[i] = copies[copied++];
    }
    beginCell();
    bool hasRef = false;
    for (int i = 0; i < count; ++i) {
        if (values[i] && !cellAttribute(spans[i].name[0], values[i], hasRef))
            return after;
    }
    endCellAttributes(hasRef);
    if (failed())
        return after;
    m_hasFormula = formula != nullptr;
    if (m_passing) {
        // A cell of a column not asked for: its value is looked at, not copied.
        passCell(std::string_view(value ? value : "", valueLength));
        m_inCell = false;
        return after;
    }
    if (formula) {
        m_hasFormula = true;
        m_formula.assign(formula, formulaLength);
    }
    if (value)
        m_value.assign(value, valueLength);
    finishCell();
    m_inCell = false;
    return after;
}

} // namespace embedded
