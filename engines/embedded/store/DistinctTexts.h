#pragma once
// The different texts of the cells an analysis is to take, counted while a sheet is read, so that
// a range with more than the analysis can list is refused before the rest of the file is read
// (ReadLimits::mostValues).

#include "engines/embedded/store/CellStore.h"
#include "engines/embedded/ReadLimits.h"
#include "excel/TextForm.h"

#include <unordered_set>
#include <vector>

namespace embedded {

class DistinctTexts {
public:
    DistinctTexts(const ReadLimits& limits, const StringPool& pool);

    // A text cell as it is stored; false once the watched cells hold too many different texts.
    bool add(int row, int column, quint32 text) {
        if (!m_area.contains(row, column))
            return true;
        if (text >= m_seen.size())
            m_seen.resize(std::max<size_t>(size_t(text) + 1, m_seen.size() * 2));
        if (m_seen[text])
            return true; // the same entry of the pool: settled without hashing
        m_seen[text] = true;
        return addNew(text);
    }

private:
    bool addNew(quint32 text);

    excel::CellRect m_area;
    size_t m_most;
    const StringPool& m_pool;
    std::vector<bool> m_seen; // by entry of the pool
    std::unordered_set<QString, excel::FoldedTextHash, excel::FoldedTextEqual> m_keys;
};

} // namespace embedded
