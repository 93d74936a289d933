#include "engines/embedded/CountIfIndex.h"

#include <algorithm>

namespace embedded {

CountIfIndex::CountIfIndex(const CellStore& cells, const excel::CellRect& rect)
    : m_total(rect.cellCount()) {
    const StringPool& strings = cells.context().strings;
    // Texts are counted by pool entry first, and folded once per distinct entry afterwards.
    std::vector<quint32> perString(strings.size(), 0);
    std::unordered_map<double, qint64> numbers;
    qint64 stored = 0;
    qint64 unknownFormulas = 0;
    cells.forEachInRect(rect, [&](int, int, const Cell& cell) {
        ++stored;
        switch (cell.kind) {
        case CellKind::FormulaOnly:
            ++unknownFormulas;
            break;
        case CellKind::Number:
        case CellKind::Date:
            ++numbers[cell.number];
            break;
        case CellKind::Text:
            ++perString[cell.text];
            break;
        case CellKind::Boolean:
            ++m_booleans[cell.boolean ? 1 : 0];
            break;
        case CellKind::Error:
            ++m_errors[cell.error & 7];
            break;
        }
    });
    m_blank = m_total - stored;
    if (unknownFormulas)
        m_text[QString()] += unknownFormulas;
    for (quint32 i = 0; i < perString.size(); ++i) {
        if (perString[i])
            m_text[foldCase(strings.at(i))] += perString[i];
    }
    for (auto it = m_text.cbegin(); it != m_text.cend(); ++it) {
        if (const auto n = parseCriterionNumber(it.key()))
            m_numericText[*n] += it.value();
    }
    m_numbers.reserve(numbers.size());
    for (const auto& [value, count] : numbers)
        m_numbers.push_back({value, count, 0});
    std::sort(m_numbers.begin(), m_numbers.end(),
              [](const NumberCount& a, const NumberCount& b) { return a.value < b.value; });
    for (NumberCount& n : m_numbers) {
        n.before = m_numberCells;
        m_numberCells += n.count;
    }
}

qint64 CountIfIndex::numberCount(const Criterion& c) const {
    // The numbers that may equal the operand lie in a narrow window around it.
    const double low = c.number() - c.numberTolerance();
    const double high = c.number() + c.numberTolerance();
    auto it = std::lower_bound(m_numbers.begin(), m_numbers.end(), low,
                               [](const NumberCount& n, double v) { return n.value < v; });
    qint64 n = 0;
    for (; it != m_numbers.end() && it->value <= high; ++it) {
        if (c.numberEquals(it->value))
            n += it->count;
    }
    return n;
}

qint64 CountIfIndex::count(const Criterion& criterion) const {
    switch (criterion.op()) {
    case Criterion::Op::Equal:
        return equalCount(criterion);
    case Criterion::Op::NotEqual:
        return m_total - equalCount(criterion);
    default:
        return compareCount(criterion);
    }
}

qint64 CountIfIndex::equalCount(const Criterion& c) const {
    switch (c.operand()) {
    case Criterion::Operand::Blank:
        return m_blank + (c.blankMatchesEmptyText() ? textCount(QString()) : 0);
    case Criterion::Operand::Number: {
        const qint64 numbers = numberCount(c);
        if (c.fromText())
            return numbers + textCount(c.literal());
        const auto it = m_numericText.find(c.number());
        return numbers + (it != m_numericText.end() ? it->second : 0);
    }
    case Criterion::Operand::Boolean:
        return m_booleans[c.boolean() ? 1 : 0] + (c.fromText() ? textCount(c.literal()) : 0);
    case Criterion::Operand::Error:
        return m_errors[quint8(c.error()) & 7] + (c.fromText() ? textCount(c.literal()) : 0);
    case Criterion::Operand::Text:
        break;
    }
    if (!c.hasWildcards())
        return textCount(c.literal());
    qint64 n = 0;
    for (auto it = m_text.cbegin(); it != m_text.cend(); ++it) {
        if (c.wildcardMatch(it.key()))
            n += it.value();
    }
    return n;
}

qint64 CountIfIndex::compareCount(const Criterion& c) const {
    switch (c.operand()) {
    case Criterion::Operand::Number: {
        const double v = c.number();
        const auto lower =
            std::lower_bound(m_numbers.begin(), m_numbers.end(), v,
                             [](const NumberCount& n, double x) { return n.value < x; });
        const auto upper =
            std::upper_bound(m_numbers.begin(), m_numbers.end(), v,
                             [](double x, const NumberCount& n) { return x < n.value; });
        const qint64 below = lower == m_numbers.end() ? m_numberCells : lower->before;
        const qint64 upTo = upper == m_numbers.end() ? m_numberCells : upper->before;
        switch (c.op()) {
        case Criterion::Op::Less:
            return below;
        case Criterion::Op::LessEqual:
            return upTo;
        case Criterion::Op::Greater:
            return m_numberCells - upTo;
        case Criterion::Op::GreaterEqual:
            return m_numberCells - below;
        default:
            return 0;
        }
    }
    case Criterion::Operand::Text: {
        qint64 n = 0;
        CellKey key;
        key.kind = CellKey::Kind::Text;
        for (auto it = m_text.cbegin(); it != m_text.cend(); ++it) {
            key.folded = it.key();
            if (c.compares(key))
                n += it.value();
        }
        return n;
    }
    case Criterion::Operand::Boolean: {
        qint64 n = 0;
        for (int b = 0; b < 2; ++b) {
            CellKey key;
            key.kind = CellKey::Kind::Boolean;
            key.boolean = b == 1;
            if (c.compares(key))
                n += m_booleans[b];
        }
        return n;
    }
    case Criterion::Operand::Blank:
    case Criterion::Operand::Error:
        break;
    }
    return 0;
}

} // namespace embedded
