#include "excel/FormatConditions.h"

#include "excel/CellFormat.h"
#include "excel/Error.h"
#include "excel/Worksheet.h"

#include <algorithm>

namespace excel {

namespace {

// The parts of r outside cut: up to four blocks (above, below, left, right).
QVector<CellRect> subtract(const CellRect& r, const CellRect& cut) {
    const auto common = r.intersected(cut);
    if (!common)
        return {r};
    QVector<CellRect> out;
    if (r.top < common->top)
        out.push_back({r.top, r.left, common->top - 1, r.right});
    if (common->bottom < r.bottom)
        out.push_back({common->bottom + 1, r.left, r.bottom, r.right});
    if (r.left < common->left)
        out.push_back({common->top, r.left, common->bottom, common->left - 1});
    if (common->right < r.right)
        out.push_back({common->top, common->right + 1, common->bottom, r.right});
    return out;
}

bool touches(const ConditionalFormat& rule, const QVector<CellRect>& areas) {
    for (const CellRect& a : rule.ranges) {
        for (const CellRect& b : areas) {
            if (a.intersected(b))
                return true;
        }
    }
    return false;
}

} // namespace

void FormatCondition::setInteriorColorIndex(int index) {
    const int rgb = paletteColor(index);
    if (rgb < 0)
        throw Error(QStringLiteral("Interior.ColorIndex"),
                    QStringLiteral("%1 is not a colour of the palette (1 to 56)").arg(index));
    if (m_rule->isStored())
        throw Error(QStringLiteral("Interior.ColorIndex"),
                    QStringLiteral("the fill of a rule read from the workbook cannot be changed"));
    m_rule->fillColor = rgb;
}

int FormatCondition::fillColor() const {
    return m_rule->fillColor;
}

void FormatConditions::Delete() {
    auto& rules = m_range.Worksheet()->conditionalFormats();
    for (const auto& rule : rules) {
        if (!touches(*rule, m_range.rects()))
            continue;
        QVector<CellRect> left = rule->ranges;
        for (const CellRect& cut : m_range.rects()) {
            QVector<CellRect> next;
            for (const CellRect& r : left)
                next += subtract(r, cut);
            left = next;
        }
        rule->ranges = left;
    }
    rules.erase(std::remove_if(rules.begin(), rules.end(),
                               [](const auto& r) { return r->ranges.isEmpty(); }),
                rules.end());
}

FormatCondition FormatConditions::Add(int type, const QString& string, int textOperator) {
    if (type != kTextString || textOperator != kContains)
        throw Error(QStringLiteral("FormatConditions.Add"),
                    QStringLiteral("only a rule on text that contains a value (type 9, operator "
                                   "0) is offered"));
    auto rule = std::make_shared<ConditionalFormat>();
    rule->ranges = m_range.rects();
    rule->type = type;
    rule->text = string;
    rule->textOperator = textOperator;
    auto& rules = m_range.Worksheet()->conditionalFormats();
    rules.insert(rules.begin(), rule);
    return FormatCondition(rule);
}

FormatCondition FormatConditions::Item(int index) const {
    int seen = 0;
    for (const auto& rule : m_range.Worksheet()->conditionalFormats()) {
        if (touches(*rule, m_range.rects()) && ++seen == index)
            return FormatCondition(rule);
    }
    throw Error(QStringLiteral("FormatConditions"),
                QStringLiteral("there is no conditional format %1 on %2")
                    .arg(index)
                    .arg(m_range.Address()));
}

int FormatConditions::Count() const {
    const auto& rules = m_range.Worksheet()->conditionalFormats();
    return int(std::count_if(rules.begin(), rules.end(),
                             [&](const auto& r) { return touches(*r, m_range.rects()); }));
}

} // namespace excel
