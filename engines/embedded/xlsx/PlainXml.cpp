#include "engines/embedded/xlsx/PlainXml.h"

#include <cstring>
#include <string_view>
#include <unordered_set>

namespace embedded {

namespace {

using uchar = unsigned char;

// A token longer than this is not what a spreadsheet writes: the full parser takes the part.
constexpr size_t kMaxToken = 1 << 20;

bool isBlank(char c) {
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

bool isNameStart(unsigned char c) {
    return kNames.kind[c] & 1;
}

bool isNameChar(unsigned char c) {
    return kNames.kind[c] & 2;
}

// A character that stands for itself in text: printable ASCII, no reference, no "]" (which may
// start "]]>"). The caller stops at "<" where it must.
bool isPlainText(unsigned char c) {
    return c >= 0x20 && c < 0x80 && c != '&' && c != ']';
}

// A character that stands for itself in an attribute value closed by quote.
bool isPlainValue(unsigned char c, char quote) {
    return c >= 0x20 && c < 0x80 && c != uchar(quote) && c != '&' && c != '<';
}

// Names are short: compared here rather than by a call.
bool sameName(const unsigned char* a, const unsigned char* b, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        if (a[i] != b[i])
            return false;
    }
    return true;
}

// A character XML allows in a document.
bool isXmlChar(unsigned long c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

void appendUtf8(unsigned long c, std::string& out) {
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
size_t utf8Length(const unsigned char* p, const unsigned char* end) {
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

} // namespace

PlainXml::PlainXml(Handlers handlers)
    : m_handlers(std::move(handlers)) {}

void PlainXml::feed(const char* data, size_t size) {
    if (m_gaveUp)
        return;
    if (m_pos > 0 && m_pos * 2 >= m_buffer.size()) {
        m_buffer.erase(0, m_pos);
        m_pos = 0;
    }
    m_buffer.append(data, size);
    process(false);
}

void PlainXml::finish() {
    if (m_gaveUp)
        return;
    process(true);
    // A document ends after its root element, with nothing unread.
    if (!m_gaveUp && !*m_handlers.stopped &&
        (m_phase != Phase::Epilog || m_pos < m_buffer.size()))
        m_gaveUp = true;
}

void PlainXml::process(bool final) {
    while (!m_gaveUp && m_pos < m_buffer.size() && !*m_handlers.stopped) {
        Step step = Step::Done;
        const char c = m_buffer[m_pos];
        if (m_phase == Phase::Content && c != '<') {
            const void* lt = std::memchr(m_buffer.data() + m_pos, '<', m_buffer.size() - m_pos);
            if (!lt) {
                step = m_buffer.size() - m_pos > kMaxToken ? Step::GiveUp : Step::NeedMore;
            } else {
                step = text(size_t(static_cast<const char*>(lt) - m_buffer.data()));
            }
        } else if (m_phase != Phase::Content && isBlank(c)) {
            ++m_pos;
            m_atStart = false;
            continue;
        } else if (c != '<') {
            // Before the root element only a byte order mark may come, at the very start.
            if (m_atStart && !m_hadBom && m_buffer.compare(m_pos, 3, "\xEF\xBB\xBF") == 0) {
                m_pos += 3;
                m_hadBom = true; // a declaration may still follow; another mark may not
                continue;
            }
            if (m_atStart && m_buffer.size() - m_pos < 3 && !final)
                return;
            step = Step::GiveUp;
        } else if (m_pos + 1 >= m_buffer.size()) {
            step = Step::NeedMore;
        } else if (m_buffer[m_pos + 1] == '/') {
            step = m_phase == Phase::Content ? endTag() : Step::GiveUp;
        } else if (m_buffer[m_pos + 1] == '?' && m_atStart) {
            step = declaration();
        } else if (m_phase != Phase::Epilog && isNameStart(uchar(m_buffer[m_pos + 1]))) {
            if ((m_phase == Phase::Content && leaf()) || plainStartTag()) {
                m_atStart = false;
                continue;
            }
            step = startTag();
        } else {
            step = Step::GiveUp; // comments, CDATA, instructions, document types, a second root
        }
        if (step == Step::GiveUp) {
            m_gaveUp = true;
            return;
        }
        if (step == Step::NeedMore) {
            if (final || m_buffer.size() - m_pos > kMaxToken)
                m_gaveUp = true;
            return;
        }
        m_atStart = false;
    }
}

bool PlainXml::name(size_t& at) const {
    const size_t size = m_buffer.size();
    const char* data = m_buffer.data();
    if (at >= size || !isNameStart(uchar(data[at])))
        return false;
    ++at;
    while (at < size && isNameChar(uchar(data[at])))
        ++at;
    return true;
}

PlainXml::Step PlainXml::declaration() {
    // Only what producers write: <?xml version="1.0" encoding="UTF-8" standalone="yes"?>.
    const size_t end = m_buffer.find("?>", m_pos);
    if (end == std::string::npos)
        return Step::NeedMore;
    const std::string decl = m_buffer.substr(m_pos + 2, end - m_pos - 2);
    size_t at = 0;
    const auto blanks = [&] {
        const size_t from = at;
        while (at < decl.size() && isBlank(decl[at]))
            ++at;
        return at > from;
    };
    if (decl.compare(0, 3, "xml") != 0)
        return Step::GiveUp;
    at = 3;
    int seen = 0; // version, encoding, standalone, in that order
    while (true) {
        const bool blank = blanks();
        if (at == decl.size())
            break;
        if (!blank)
            return Step::GiveUp;
        const size_t eq = decl.find('=', at);
        if (eq == std::string::npos)
            return Step::GiveUp;
        std::string key = decl.substr(at, eq - at);
        while (!key.empty() && isBlank(key.back()))
            key.pop_back();
        at = eq + 1;
        blanks();
        if (at >= decl.size() || (decl[at] != '"' && decl[at] != '\''))
            return Step::GiveUp;
        const size_t close = decl.find(decl[at], at + 1);
        if (close == std::string::npos)
            return Step::GiveUp;
        std::string value = decl.substr(at + 1, close - at - 1);
        at = close + 1;
        // As the full parser: the encoding's name in any case, every other value as written.
        std::string folded = value;
        for (char& ch : folded)
            ch = char(std::tolower(uchar(ch)));
        if (key == "version" && seen == 0 && value == "1.0")
            seen = 1;
        else if (key == "encoding" && seen == 1 && folded == "utf-8")
            seen = 2;
        else if (key == "standalone" && (seen == 1 || seen == 2) && (value == "yes" || value == "no"))
            seen = 3;
        else
            return Step::GiveUp;
    }
    if (seen == 0)
        return Step::GiveUp;
    m_pos = end + 2;
    return Step::Done;
}

PlainXml::Step PlainXml::entity(size_t& at, std::string& out) const {
    const size_t semicolon = m_buffer.find(';', at);
    if (semicolon == std::string::npos)
        return m_buffer.size() - at > 12 ? Step::GiveUp : Step::NeedMore;
    const size_t length = semicolon - at - 1;
    const char* e = m_buffer.data() + at + 1;
    if (length == 0 || length > 10)
        return Step::GiveUp;
    if (e[0] == '#') {
        unsigned long value = 0;
        const bool hex = length > 1 && e[1] == 'x';
        const size_t first = hex ? 2 : 1;
        if (first >= length)
            return Step::GiveUp;
        for (size_t i = first; i < length; ++i) {
            const char d = e[i];
            int digit = -1;
            if (d >= '0' && d <= '9')
                digit = d - '0';
            else if (hex && d >= 'a' && d <= 'f')
                digit = d - 'a' + 10;
            else if (hex && d >= 'A' && d <= 'F')
                digit = d - 'A' + 10;
            if (digit < 0)
                return Step::GiveUp;
            value = value * (hex ? 16 : 10) + unsigned(digit);
            if (value > 0x10FFFF)
                return Step::GiveUp;
        }
        if (!isXmlChar(value))
            return Step::GiveUp;
        appendUtf8(value, out);
    } else {
        const std::string_view name(e, length);
        if (name == "lt")
            out += '<';
        else if (name == "gt")
            out += '>';
        else if (name == "amp")
            out += '&';
        else if (name == "quot")
            out += '"';
        else if (name == "apos")
            out += '\'';
        else
            return Step::GiveUp;
    }
    at = semicolon + 1;
    return Step::Done;
}

PlainXml::Step PlainXml::text(size_t end) {
    m_text.clear();
    const auto* bytes = reinterpret_cast<const unsigned char*>(m_buffer.data());
    size_t at = m_pos;
    while (at < end) {
        const unsigned char c = bytes[at];
        if (isPlainText(c)) {
            // A run of plain characters in one go.
            size_t run = at + 1;
            while (run < end && isPlainText(bytes[run]))
                ++run;
            m_text.append(m_buffer, at, run - at);
            at = run;
        } else if (c == '&') {
            const Step step = entity(at, m_text);
            if (step != Step::Done)
                return Step::GiveUp; // the text ends at "<", so the reference is all there
        } else if (c == ']') {
            if (m_buffer.compare(at, 3, "]]>") == 0)
                return Step::GiveUp;
            m_text += ']';
            ++at;
        } else if (c == '\r') {
            m_text += '\n'; // line ends as XML reads them
            at += (at + 1 < end && bytes[at + 1] == '\n') ? 2 : 1;
        } else if (c == '\n' || c == '\t') {
            m_text += char(c);
            ++at;
        } else if (c >= 0x80) {
            const size_t n = utf8Length(bytes + at, bytes + end);
            if (n == 0)
                return Step::GiveUp;
            m_text.append(m_buffer, at, n);
            at += n;
        } else {
            return Step::GiveUp; // a control character
        }
    }
    m_pos = end;
    if (!m_text.empty())
        m_handlers.text(m_text.data(), int(m_text.size()));
    return Step::Done;
}

bool PlainXml::leaf() {
    const size_t size = m_buffer.size();
    const auto* bytes = reinterpret_cast<const unsigned char*>(m_buffer.data());
    size_t at = m_pos + 1;
    const size_t nameStart = at;
    if (!name(at) || at >= size || bytes[at] != '>')
        return false;
    const size_t nameLength = at - nameStart;
    const size_t textStart = ++at;
    while (at < size && bytes[at] != '<' && isPlainText(bytes[at]))
        ++at;
    const size_t textEnd = at;
    // The end tag right after, without blanks: anything else is read token by token.
    if (at + nameLength + 3 > size || bytes[at] != '<' || bytes[at + 1] != '/' ||
        !sameName(bytes + at + 2, bytes + nameStart, nameLength) ||
        bytes[at + 2 + nameLength] != '>')
        return false;
    m_pos = at + nameLength + 3;
    // All read: the name is ended where it stands, over its ">".
    m_buffer[nameStart + nameLength] = '\0';
    const char* elementName = m_buffer.data() + nameStart;
    const char* noAttributes[] = {nullptr};
    m_handlers.start(elementName, noAttributes);
    if (*m_handlers.stopped)
        return true;
    if (textEnd > textStart) {
        // Text of plain characters is passed as it stands in the buffer, without a copy.
        m_handlers.text(m_buffer.data() + textStart, int(textEnd - textStart));
        if (*m_handlers.stopped)
            return true;
    }
    m_handlers.end(elementName);
    return true;
}

PlainXml::Step PlainXml::startTag() {
    const size_t size = m_buffer.size();
    size_t at = m_pos + 1;
    m_scratch.clear();
    m_offsets.clear();
    if (!name(at))
        return Step::GiveUp;
    if (at >= size)
        return Step::NeedMore;
    const size_t nameLength = at - m_pos - 1;
    m_scratch.assign(m_buffer, m_pos + 1, nameLength);
    m_scratch += '\0';
    bool empty = false;
    while (true) {
        const size_t before = at;
        while (at < size && isBlank(m_buffer[at]))
            ++at;
        if (at >= size)
            return Step::NeedMore;
        if (m_buffer[at] == '>') {
            ++at;
            break;
        }
        if (m_buffer[at] == '/') {
            if (at + 1 >= size)
                return Step::NeedMore;
            if (m_buffer[at + 1] != '>')
                return Step::GiveUp;
            at += 2;
            empty = true;
            break;
        }
        if (at == before)
            return Step::GiveUp; // attributes are set apart by blanks
        const size_t nameStart = at;
        if (!name(at))
            return Step::GiveUp;
        if (at >= size)
            return Step::NeedMore;
        m_offsets.push_back(m_scratch.size());
        m_scratch.append(m_buffer, nameStart, at - nameStart);
        m_scratch += '\0';
        while (at < size && isBlank(m_buffer[at]))
            ++at;
        if (at >= size)
            return Step::NeedMore;
        if (m_buffer[at] != '=')
            return Step::GiveUp;
        ++at;
        while (at < size && isBlank(m_buffer[at]))
            ++at;
        if (at >= size)
            return Step::NeedMore;
        const char quote = m_buffer[at];
        if (quote != '"' && quote != '\'')
            return Step::GiveUp;
        ++at;
        m_offsets.push_back(m_scratch.size());
        while (true) {
            if (at >= size)
                return Step::NeedMore;
            const unsigned char c = uchar(m_buffer[at]);
            if (isPlainValue(c, quote)) {
                // A run of plain characters in one go.
                size_t run = at + 1;
                while (run < size && isPlainValue(uchar(m_buffer[run]), quote))
                    ++run;
                m_scratch.append(m_buffer, at, run - at);
                at = run;
                continue;
            }
            if (c == uchar(quote)) {
                ++at;
                break;
            }
            if (c == '<')
                return Step::GiveUp;
            if (c == '&') {
                const Step step = entity(at, m_scratch);
                if (step != Step::Done)
                    return step;
            } else if (c == '\r') {
                // Line ends read as one, then every blank as a space.
                if (at + 1 >= size)
                    return Step::NeedMore;
                m_scratch += ' ';
                at += m_buffer[at + 1] == '\n' ? 2 : 1;
            } else if (c == '\n' || c == '\t') {
                m_scratch += ' ';
                ++at;
            } else if (c >= 0x80) {
                const size_t n = utf8Length(reinterpret_cast<const unsigned char*>(m_buffer.data()) + at,
                                            reinterpret_cast<const unsigned char*>(m_buffer.data()) + size);
                if (n == 0)
                    return size - at < 4 ? Step::NeedMore : Step::GiveUp;
                m_scratch.append(m_buffer, at, n);
                at += n;
            } else if (c < 0x20) {
                return Step::GiveUp;
            } else {
                m_scratch += char(c);
                ++at;
            }
        }
        m_scratch += '\0';
        if (at - m_pos > kMaxToken)
            return Step::GiveUp;
    }
    // Pointers into the scratch text, which no longer grows; an attribute named twice is an error.
    m_attributes.clear();
    for (size_t offset : m_offsets)
        m_attributes.push_back(m_scratch.data() + offset);
    if (hasDuplicateName())
        return Step::GiveUp;
    m_attributes.push_back(nullptr);
    m_pos = at;
    started(m_scratch.data(), nameLength, empty);
    return Step::Done;
}

bool PlainXml::hasDuplicateName() const {
    const size_t count = m_attributes.size() / 2;
    if (count <= 8) {
        for (size_t i = 0; i < m_attributes.size(); i += 2) {
            for (size_t j = 0; j < i; j += 2) {
                if (std::strcmp(m_attributes[i], m_attributes[j]) == 0)
                    return true;
            }
        }
        return false;
    }
    std::unordered_set<std::string_view> names;
    names.reserve(count);
    for (size_t i = 0; i < m_attributes.size(); i += 2) {
        if (!names.insert(std::string_view(m_attributes[i])).second)
            return true;
    }
    return false;
}

void PlainXml::started(const char* elementName, size_t nameLength, bool empty) {
    m_phase = Phase::Content;
    m_handlers.start(elementName, m_attributes.data());
    if (empty) {
        m_handlers.end(elementName);
        if (m_open.empty())
            m_phase = Phase::Epilog;
    } else {
        m_open.emplace_back(elementName, nameLength);
    }
}

bool PlainXml::plainStartTag() {
    // The buffer ends with a NUL (as every std::string does), which no test below lets through:
    // a tag cut off by the end of the buffer is left to the token reader.
    char* data = m_buffer.data();
    const size_t start = m_pos;
    size_t at = start + 1;
    while (isNameChar(uchar(data[at])))
        ++at;
    const size_t nameEnd = at;
    struct Span {
        size_t name, nameEnd, value, valueEnd;
    };
    Span spans[16];
    int count = 0;
    bool empty = false;
    while (true) {
        const char c = data[at];
        if (c == '>') {
            ++at;
            break;
        }
        if (c == '/') {
            if (data[at + 1] != '>')
                return false;
            at += 2;
            empty = true;
            break;
        }
        if (c != ' ' || count == 16 || !isNameStart(uchar(data[at + 1])))
            return false;
        Span& span = spans[count++];
        span.name = ++at;
        while (isNameChar(uchar(data[at])))
            ++at;
        span.nameEnd = at;
        if (data[at] != '=' || (data[at + 1] != '"' && data[at + 1] != '\''))
            return false;
        const char quote = data[at + 1];
        at += 2;
        span.value = at;
        while (isPlainValue(uchar(data[at]), quote))
            ++at;
        if (data[at] != quote)
            return false;
        span.valueEnd = at++;
    }
    if (at - start > kMaxToken)
        return false;
    for (int i = 0; i < count; ++i) {
        for (int j = 0; j < i; ++j) {
            const size_t length = spans[i].nameEnd - spans[i].name;
            if (length == spans[j].nameEnd - spans[j].name &&
                std::memcmp(data + spans[i].name, data + spans[j].name, length) == 0)
                return false; // an attribute named twice: the token reader gives up
        }
    }
    // All read and well-formed: the names and values are ended where they stand.
    data[nameEnd] = '\0';
    m_attributes.clear();
    for (int i = 0; i < count; ++i) {
        data[spans[i].nameEnd] = '\0';
        data[spans[i].valueEnd] = '\0';
        m_attributes.push_back(data + spans[i].name);
        m_attributes.push_back(data + spans[i].value);
    }
    m_attributes.push_back(nullptr);
    m_pos = at;
    started(data + start + 1, nameEnd - start - 1, empty);
    return true;
}

PlainXml::Step PlainXml::endTag() {
    size_t at = m_pos + 2;
    const size_t nameStart = at;
    if (!name(at))
        return at >= m_buffer.size() ? Step::NeedMore : Step::GiveUp;
    const size_t nameEnd = at;
    while (at < m_buffer.size() && isBlank(m_buffer[at]))
        ++at;
    if (at >= m_buffer.size())
        return Step::NeedMore;
    if (m_buffer[at] != '>')
        return Step::GiveUp;
    if (m_open.empty() || m_open.back().size() != nameEnd - nameStart ||
        !sameName(reinterpret_cast<const unsigned char*>(m_buffer.data()) + nameStart,
                  reinterpret_cast<const unsigned char*>(m_open.back().data()),
                  nameEnd - nameStart))
        return Step::GiveUp; // mismatched
    m_pos = at + 1;
    m_handlers.end(m_open.back().c_str());
    m_open.pop_back();
    if (m_open.empty())
        m_phase = Phase::Epilog;
    return Step::Done;
}

} // namespace embedded
