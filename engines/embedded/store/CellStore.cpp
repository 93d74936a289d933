#include "engines/embedded/store/CellStore.h"

#include <algorithm>
#include <cstdint>
#include <new>
#ifdef __linux__
#include <sys/mman.h>
#endif

namespace embedded {

namespace {

quint64 cellKey(int row, int column) {
    return (quint64(row) << 16) | quint64(column);
}

const std::vector<Cell> kNoCells;

} // namespace

qint64 StringPool::find(QStringView text, size_t hash) const {
    if (m_slots.empty())
        return -1;
    const size_t mask = m_slots.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& slot = m_slots[i];
        if (slot.entry == 0)
            return -1;
        if (slot.hash == quint32(hash)) {
            const QString& candidate = m_strings[slot.entry - 1];
            if (candidate.size() == text.size() &&
                (text.isEmpty() || std::memcmp(candidate.constData(), text.data(),
                                               size_t(text.size()) * sizeof(QChar)) == 0))
                return slot.entry - 1;
        }
    }
}

void StringPool::index(quint32 entry, size_t hash) {
    if ((m_taken + 1) * 2 > m_slots.size()) {
        std::vector<Slot> old(std::max<size_t>(64, m_slots.size() * 2));
        old.swap(m_slots);
        m_taken = 0;
        for (const Slot& slot : old) {
            if (slot.entry != 0)
                index(slot.entry - 1, slot.hash); // the mask never reaches past the kept bits
        }
    }
    const size_t mask = m_slots.size() - 1;
    size_t i = hash & mask;
    while (m_slots[i].entry != 0)
        i = (i + 1) & mask;
    m_slots[i] = {quint32(hash), entry + 1};
    ++m_taken;
}

quint32 StringPool::add(const QString& text) {
    m_strings.push_back(text);
    const quint32 entry = quint32(m_strings.size() - 1);
    // A text the pool holds already keeps being found at its first entry.
    const size_t hash = qHash(QStringView(text));
    if (find(text, hash) < 0)
        index(entry, hash);
    return entry;
}

quint32 StringPool::intern(const QString& text) {
    const qint64 at = find(text, qHash(QStringView(text)));
    return at >= 0 ? quint32(at) : add(text);
}

quint32 StringPool::intern(QStringView text) {
    const qint64 at = find(text, qHash(text));
    return at >= 0 ? quint32(at) : add(text.toString());
}

double serialToAutomationDate(double serial, bool date1904) {
    if (date1904)
        return serial + 1462;
    // The 1900 system counts a 29 February 1900 that never was: serials from 1 to 59 are one day
    // ahead of the calendar, and the phantom day itself shows as 28 February. Serials below 1
    // are times of day without a date.
    if (serial >= 1 && serial < 60)
        return serial + 1;
    return serial;
}

double automationDateToSerial(double automationDate, bool date1904) {
    if (date1904)
        return automationDate - 1462;
    if (automationDate >= 1 && automationDate < 61)
        return automationDate - 1;
    return automationDate;
}

bool isDateSerial(double serial, bool date1904) {
    // 31 December 9999 is serial 2958465 in the 1900 system and 2957003 in the 1904 system.
    return serial >= 0 && serial < (date1904 ? 2957004.0 : 2958466.0);
}

CellStore::CellStore(std::shared_ptr<BookContext> context)
    : m_context(std::move(context)) {}

void CellStore::append(int row, int column, const Cell& cell) {
    if (size_t(column) > m_columns.size()) {
        m_columns.resize(size_t(column));
        m_unsorted.resize(size_t(column));
    }
    auto& cells = m_columns[size_t(column - 1)];
    if (!cells.empty() && cells.back().row >= quint32(row))
        m_unsorted[size_t(column - 1)] = true;
    Cell c = cell;
    c.row = quint32(row);
    cells.push_back(c);
    ++m_cellCount;
    ++m_version;
}

void CellStore::reserve(int column, size_t cells) {
    if (size_t(column) > m_columns.size()) {
        m_columns.resize(size_t(column));
        m_unsorted.resize(size_t(column));
    }
    auto& kept = m_columns[size_t(column - 1)];
    try {
        kept.reserve(cells);
    } catch (const std::bad_alloc&) {
        return; // room is only asked for ahead: where the system has none to promise, it grows
    }
#ifdef __linux__
    // A column of millions of cells is filled from end to end: in pages of 2 MB it is touched
    // with one fault a page instead of five hundred.
    constexpr uintptr_t kHuge = uintptr_t(2) << 20;
    const auto begin = reinterpret_cast<uintptr_t>(kept.data());
    const uintptr_t end = begin + kept.capacity() * sizeof(Cell);
    const uintptr_t first = (begin + kHuge - 1) & ~(kHuge - 1);
    const uintptr_t last = end & ~(kHuge - 1);
    if (last > first)
        madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#endif
}

void CellStore::reserveAhead(int first, int last, double scale) {
    last = std::min(last, int(m_columns.size()));
    for (int column = std::max(first, 1); column <= last; ++column) {
        const size_t now = m_columns[size_t(column - 1)].size();
        if (now > 0)
            reserve(column, size_t(double(now) * scale) + 64);
    }
}

void CellStore::finishLoading() {
    for (size_t i = 0; i < m_columns.size(); ++i) {
        if (!m_unsorted[i])
            continue;
        auto& cells = m_columns[i];
        std::stable_sort(cells.begin(), cells.end(),
                         [](const Cell& a, const Cell& b) { return a.row < b.row; });
        // Keep the last of equal rows: walk backwards keeping first-seen.
        std::vector<Cell> unique;
        unique.reserve(cells.size());
        for (auto it = cells.rbegin(); it != cells.rend(); ++it) {
            if (unique.empty() || unique.back().row != it->row)
                unique.push_back(*it);
        }
        std::reverse(unique.begin(), unique.end());
        m_cellCount -= qint64(cells.size() - unique.size());
        cells = std::move(unique);
        m_unsorted[i] = false;
    }
    ++m_version;
}

void CellStore::set(int row, int column, const Cell& cell) {
    if (size_t(column) > m_columns.size()) {
        m_columns.resize(size_t(column));
        m_unsorted.resize(size_t(column));
    }
    auto& cells = m_columns[size_t(column - 1)];
    auto it = std::lower_bound(cells.begin(), cells.end(), quint32(row),
                               [](const Cell& c, quint32 r) { return c.row < r; });
    Cell c = cell;
    c.row = quint32(row);
    if (it != cells.end() && it->row == quint32(row)) {
        *it = c;
    } else {
        cells.insert(it, c);
        ++m_cellCount;
    }
    ++m_version;
}

void CellStore::setValue(int row, int column, const excel::Variant& value, bool hasFormula) {
    Cell cell;
    cell.flags = hasFormula ? Cell::kHasFormula : 0;
    switch (value.kind()) {
    case excel::Variant::Kind::Empty:
    case excel::Variant::Kind::Array:
        if (!hasFormula)
            return erase(row, column);
        cell.kind = CellKind::FormulaOnly;
        break;
    case excel::Variant::Kind::Number:
        cell.kind = CellKind::Number;
        cell.number = value.number();
        break;
    case excel::Variant::Kind::Text:
        cell.kind = CellKind::Text;
        cell.text = m_context->strings.intern(value.text());
        break;
    case excel::Variant::Kind::Boolean:
        cell.kind = CellKind::Boolean;
        cell.boolean = value.boolean();
        break;
    case excel::Variant::Kind::Error:
        cell.kind = CellKind::Error;
        cell.error = quint8(value.error());
        break;
    case excel::Variant::Kind::Date:
        cell.kind = CellKind::Date;
        cell.number = automationDateToSerial(value.date().serial, m_context->date1904);
        break;
    }
    // A new value keeps the look the cell had.
    if (const Cell* old = find(row, column))
        cell.style = old->style;
    set(row, column, cell);
}

void CellStore::erase(int row, int column) {
    if (column < 1 || size_t(column) > m_columns.size())
        return;
    auto& cells = m_columns[size_t(column - 1)];
    auto it = std::lower_bound(cells.begin(), cells.end(), quint32(row),
                               [](const Cell& c, quint32 r) { return c.row < r; });
    if (it != cells.end() && it->row == quint32(row)) {
        cells.erase(it);
        --m_cellCount;
        ++m_version;
    }
    m_formulas.remove(cellKey(row, column));
}

void CellStore::shiftRows(int at, int count) {
    const int lastDeleted = at - count - 1; // for count < 0
    for (auto& cells : m_columns) {
        if (count < 0) {
            const auto gone = std::remove_if(cells.begin(), cells.end(), [&](const Cell& c) {
                return int(c.row) >= at && int(c.row) <= lastDeleted;
            });
            m_cellCount -= cells.end() - gone;
            cells.erase(gone, cells.end());
        }
        for (Cell& c : cells) {
            if (int(c.row) >= at)
                c.row = quint32(int(c.row) + count);
        }
        // Cells pushed past the last row are gone.
        while (!cells.empty() && cells.back().row > quint32(excel::kMaxRows)) {
            cells.pop_back();
            --m_cellCount;
        }
    }
    QHash<quint64, QString> formulas;
    for (auto it = m_formulas.cbegin(); it != m_formulas.cend(); ++it) {
        const int row = int(it.key() >> 16);
        const int column = int(it.key() & 0xFFFF);
        if (count < 0 && row >= at && row <= lastDeleted)
            continue;
        formulas.insert(cellKey(row >= at ? row + count : row, column), it.value());
    }
    m_formulas = formulas;
    ++m_version;
}

std::vector<Cell>::const_iterator CellStore::lowerBound(const std::vector<Cell>& cells, int row) {
    return std::lower_bound(cells.begin(), cells.end(), quint32(row),
                            [](const Cell& c, quint32 r) { return c.row < r; });
}

const std::vector<Cell>& CellStore::column(int column) const {
    if (column < 1 || size_t(column) > m_columns.size())
        return kNoCells;
    return m_columns[size_t(column - 1)];
}

const Cell* CellStore::find(int row, int column) const {
    const auto& cells = this->column(column);
    const auto it = lowerBound(cells, row);
    return it != cells.end() && int(it->row) == row ? &*it : nullptr;
}

excel::Variant CellStore::value(const Cell& cell) const {
    switch (cell.kind) {
    case CellKind::FormulaOnly:
        return {};
    case CellKind::Number:
        return excel::Variant(cell.number);
    case CellKind::Text:
        return excel::Variant(m_context->strings.at(cell.text));
    case CellKind::Boolean:
        return excel::Variant(cell.boolean);
    case CellKind::Error:
        return excel::Variant(static_cast<excel::ErrorValue>(cell.error));
    case CellKind::Date:
        return excel::Variant(
            excel::DateValue{serialToAutomationDate(cell.number, m_context->date1904)});
    }
    return {};
}

excel::Variant CellStore::value(int row, int column) const {
    const Cell* cell = find(row, column);
    return cell ? value(*cell) : excel::Variant();
}

void CellStore::setFormula(int row, int column, const QString& formula) {
    m_formulas.insert(cellKey(row, column), formula);
}

QString CellStore::formula(int row, int column) const {
    return m_formulas.value(cellKey(row, column));
}

excel::CellRect CellStore::usedRect() const {
    excel::CellRect r{0, 0, 0, 0};
    bool any = false;
    for (size_t i = 0; i < m_columns.size(); ++i) {
        const auto& cells = m_columns[i];
        if (cells.empty())
            continue;
        const int column = int(i + 1);
        if (!any) {
            r = {int(cells.front().row), column, int(cells.back().row), column};
            any = true;
            continue;
        }
        r.top = std::min(r.top, int(cells.front().row));
        r.bottom = std::max(r.bottom, int(cells.back().row));
        r.right = column;
    }
    if (m_unread.bottom > 0) {
        if (!any)
            return m_unread;
        r = {std::min(r.top, m_unread.top), std::min(r.left, m_unread.left),
             std::max(r.bottom, m_unread.bottom), std::max(r.right, m_unread.right)};
    }
    return any ? r : excel::CellRect::cell(1, 1);
}

} // namespace embedded
