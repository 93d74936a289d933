#pragma once
// Range.FormatConditions: the conditional formats that apply to a range's cells. Deleting takes
// the range's cells out of every rule (a rule left with no cells goes); adding puts a new rule
// first.

#include "excel/Range.h"

#include <memory>

namespace excel {

struct ConditionalFormat;

// Type 9 (text) with operator 0 (contains) is the rule offered.
constexpr int kTextString = 9;
constexpr int kContains = 0;

class FormatCondition {
public:
    explicit FormatCondition(std::shared_ptr<ConditionalFormat> rule)
        : m_rule(std::move(rule)) {}
    // Interior.ColorIndex: a colour of the default palette (1..56) as the rule's fill.
    void setInteriorColorIndex(int index);
    int fillColor() const;

private:
    std::shared_ptr<ConditionalFormat> m_rule;
};

class FormatConditions {
public:
    explicit FormatConditions(excel::Range range)
        : m_range(std::move(range)) {}
    void Delete();
    FormatCondition Add(int type, const QString& string, int textOperator);
    // The index-th rule (from 1) among those that touch the range.
    FormatCondition Item(int index) const;
    FormatCondition operator()(int index) const { return Item(index); }
    int Count() const;

private:
    excel::Range m_range;
};

} // namespace excel
