#include "engines/embedded/xlsx/PlainXml.h"

#include "engines/embedded/xlsx/PlainXmlChars.h"

#include <cstring>

namespace embedded {

using namespace plainxml;

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
            if (m_phase == Phase::Content && m_handlers.skim && skimmed())
                continue;
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

bool PlainXml::skimmed() {
    if (m_open.empty())
        return false;
    bool closed = false;
    const char* opened = nullptr;
    const size_t taken = m_handlers.skim(m_buffer.data() + m_pos, m_buffer.size() - m_pos,
                                         m_open.back(), closed, opened);
    if (taken == 0)
        return false;
    m_pos += taken;
    m_atStart = false;
    if (closed)
        m_open.pop_back();
    if (opened)
        m_open.emplace_back(opened);
    if (m_open.empty())
        m_phase = Phase::Epilog;
    return true;
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

} // namespace embedded
