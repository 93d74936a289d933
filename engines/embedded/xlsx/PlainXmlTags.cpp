#include "engines/embedded/xlsx/PlainXml.h"

#include "engines/embedded/xlsx/PlainXmlChars.h"

#include <cstring>
#include <string_view>
#include <unordered_set>

// The plain XML reader's start and end tags: read token by token, or a tag of plain attributes in
// place; attributes checked as a conforming parser checks them.

namespace embedded {

using namespace plainxml;

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
