#pragma once
// A worksheet's Sort object: sort fields (a key column with an order), the range to sort and
// its options; Apply reorders the range's rows, values and formats together.

#include "excel/Range.h"

#include <memory>
#include <optional>
#include <vector>

namespace excel {

class Worksheet;

struct SortField {
    excel::HeldRange key;
    int sortOn = 0;     // 0: values
    int order = 1;      // 1 ascending, 2 descending
    int dataOption = 0; // 0: text and numbers apart
};

class Sort {
public:
    explicit Sort(std::weak_ptr<Worksheet> sheet)
        : m_sheet(std::move(sheet)) {}

    // SortFields.Clear and SortFields.Add.
    void clearSortFields() { m_fields.clear(); }
    void addSortField(const excel::Range& key, int sortOn = 0, int order = 1, int dataOption = 0);
    const std::vector<SortField>& sortFields() const { return m_fields; }

    void SetRange(const excel::Range& range);
    void setHeader(int header) { m_header = header; } // 1 yes, 2 no
    void setMatchCase(bool matchCase) { m_matchCase = matchCase; }
    void setOrientation(int orientation) { m_orientation = orientation; } // 1 rows
    void setSortMethod(int method) { m_method = method; }
    // Sorts the rows, stably. Ascending order is numbers, then text (without regard to case
    // unless MatchCase), then FALSE and TRUE, then errors; empty cells come last either way.
    void Apply();

private:
    std::weak_ptr<Worksheet> m_sheet;
    std::vector<SortField> m_fields;
    std::optional<excel::HeldRange> m_range;
    int m_header = 2;
    bool m_matchCase = false;
    int m_orientation = 1;
    int m_method = 1;
};

} // namespace excel
