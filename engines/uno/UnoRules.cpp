// Conditional formats of an office sheet. The object model changes them as a list of rules; at
// the end of each action the list is put into the document (rules removed, trimmed or added),
// and the next action reads the document's rules again, with whatever the user changed there.

#include "engines/uno/UnoWorkbook.h"
#include "engines/uno/UnoWorksheet.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XNameContainer.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/sheet/ConditionFormatOperator.hpp>
#include <com/sun/star/sheet/ConditionOperator.hpp>
#include <com/sun/star/sheet/XSheetConditionalEntries.hpp>
#include <com/sun/star/sheet/XConditionalFormat.hpp>
#include <com/sun/star/sheet/XConditionalFormats.hpp>
#include <com/sun/star/sheet/XSheetCellRangeContainer.hpp>
#include <com/sun/star/style/XStyle.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>

#include <map>
#include <set>

namespace uno {

namespace {

Reference<css::sheet::XConditionalFormats> formatsOf(const Reference<css::sheet::XSpreadsheet>& sheet) {
    return Reference<css::sheet::XConditionalFormats>(
        Reference<css::beans::XPropertySet>(sheet, UNO_QUERY_THROW)
            ->getPropertyValue("ConditionalFormats"),
        UNO_QUERY_THROW);
}

sal_Int32 idOf(const Reference<css::sheet::XConditionalFormat>& format) {
    sal_Int32 id = -1;
    Reference<css::beans::XPropertySet>(format, UNO_QUERY_THROW)->getPropertyValue("ID") >>= id;
    return id;
}

// A cell style that fills with colour (0xRRGGBB), made once per document; rules refer to
// styles by name, as the office's own dialog does.
rtl::OUString fillStyle(const UnoWorkbook& book, int colour) {
    const QString hex = QStringLiteral("%1").arg(colour, 6, 16, QLatin1Char('0')).toUpper();
    const Reference<css::style::XStyleFamiliesSupplier> families(book.document(), UNO_QUERY_THROW);
    const Reference<css::container::XNameContainer> cellStyles(
        families->getStyleFamilies()->getByName("CellStyles"), UNO_QUERY_THROW);
    const rtl::OUString key = toOffice(QStringLiteral("Tallyvane fill ") + hex);
    if (!cellStyles->hasByName(key)) {
        const Reference<css::lang::XMultiServiceFactory> factory(book.document(), UNO_QUERY_THROW);
        const Reference<css::style::XStyle> style(
            factory->createInstance("com.sun.star.style.CellStyle"), UNO_QUERY_THROW);
        cellStyles->insertByName(key, Any(style));
        const Reference<css::beans::XPropertySet> props(style, UNO_QUERY_THROW);
        props->setPropertyValue("CellBackColor", Any(sal_Int32(colour)));
        props->setPropertyValue("IsCellBackgroundTransparent", Any(false));
    }
    return key;
}

} // namespace

Reference<css::sheet::XSheetCellRanges>
UnoWorksheet::rangesOf(const QVector<excel::CellRect>& blocks) const {
    const auto owner = book("Range");
    const Reference<css::lang::XMultiServiceFactory> factory(owner->document(), UNO_QUERY_THROW);
    const Reference<css::sheet::XSheetCellRangeContainer> ranges(
        factory->createInstance("com.sun.star.sheet.SheetCellRanges"), UNO_QUERY_THROW);
    const sal_Int16 index = owner->indexOf(m_sheet);
    for (const excel::CellRect& block : blocks)
        ranges->addRangeAddress(addressOf(block, index), false);
    return Reference<css::sheet::XSheetCellRanges>(ranges, UNO_QUERY_THROW);
}

std::vector<std::shared_ptr<excel::ConditionalFormat>>& UnoWorksheet::conditionalFormats() {
    if (m_rulesLoaded)
        return m_rules;
    guarded(*m_connection, "FormatConditions", [&] {
        m_rules.clear();
        m_documentRules.clear();
        const auto formats = formatsOf(m_sheet)->getConditionalFormats();
        for (sal_Int32 i = 0; i < formats.getLength(); ++i) {
            auto rule = std::make_shared<excel::ConditionalFormat>();
            rule->storedIndex = idOf(formats[i]);
            Reference<css::sheet::XSheetCellRanges> ranges;
            Reference<css::beans::XPropertySet>(formats[i], UNO_QUERY_THROW)->getPropertyValue("Range") >>= ranges;
            rule->ranges = blocksOf(ranges);
            m_documentRules[rule->storedIndex] = rule->ranges;
            m_rules.push_back(rule);
        }
    });
    m_rulesLoaded = true;
    return m_rules;
}

void UnoWorksheet::putRulesIntoDocument() {
    if (!m_rulesLoaded)
        return;
    const auto owner = book("FormatConditions");
    guarded(*m_connection, "FormatConditions", [&] {
        const auto formats = formatsOf(m_sheet);
        std::map<sal_Int32, Reference<css::sheet::XConditionalFormat>> held;
        const auto all = formats->getConditionalFormats();
        for (sal_Int32 i = 0; i < all.getLength(); ++i)
            held[idOf(all[i])] = all[i];
        std::map<sal_Int32, const excel::ConditionalFormat*> kept;
        for (const auto& rule : m_rules) {
            if (rule->isStored())
                kept[rule->storedIndex] = rule.get();
        }
        for (const auto& [id, format] : held) {
            const auto it = kept.find(id);
            if (it == kept.end()) {
                formats->removeByID(id);
            } else if (it->second->ranges != m_documentRules[id]) {
                Reference<css::beans::XPropertySet>(format, UNO_QUERY_THROW)
                    ->setPropertyValue("Range", Any(rangesOf(it->second->ranges)));
            }
        }
        // New rules, last first: the office puts a new rule after the others, and the first
        // of our list is the one that wins.
        for (auto it = m_rules.rbegin(); it != m_rules.rend(); ++it) {
            const auto& rule = **it;
            if (rule.isStored() || rule.ranges.isEmpty())
                continue;
            QString text = rule.text;
            text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
            const rtl::OUString literal = toOffice(QLatin1Char('"') + text + QLatin1Char('"'));
            // Made through the cell ranges' own conditional format, as the office's dialog
            // makes one: a rule made in the list of rules alone is kept and saved, but the cells
            // do not know it and the window does not show it until the document is loaded
            // again. That way knows no "contains", so the rule starts as "equal" and is turned
            // into "contains" in the list, where it is now.
            std::set<sal_Int32> before;
            for (const auto& format : formats->getConditionalFormats())
                before.insert(idOf(format));
            const Reference<css::beans::XPropertySet> cells(rangesOf(rule.ranges), UNO_QUERY_THROW);
            const Reference<css::sheet::XSheetConditionalEntries> entries(
                cells->getPropertyValue("ConditionalFormat"), UNO_QUERY_THROW);
            entries->clear();
            Sequence<css::beans::PropertyValue> condition(rule.fillColor >= 0 ? 3 : 2);
            condition.getArray()[0].Name = "Operator";
            condition.getArray()[0].Value <<= css::sheet::ConditionOperator_EQUAL;
            condition.getArray()[1].Name = "Formula1";
            condition.getArray()[1].Value <<= literal;
            if (rule.fillColor >= 0) {
                condition.getArray()[2].Name = "StyleName";
                condition.getArray()[2].Value <<= fillStyle(*owner, rule.fillColor);
            }
            entries->addNew(condition);
            cells->setPropertyValue("ConditionalFormat", Any(entries));
            for (const auto& format : formats->getConditionalFormats()) {
                if (before.count(idOf(format)) || format->getCount() < 1)
                    continue;
                const Reference<css::beans::XPropertySet> entry(format->getByIndex(0), UNO_QUERY_THROW);
                entry->setPropertyValue(
                    "Operator", Any(sal_Int32(css::sheet::ConditionFormatOperator::CONTAINS)));
                entry->setPropertyValue("Formula1", Any(literal));
            }
        }
    });
    // The next action reads the rules as the document now holds them.
    m_rulesLoaded = false;
    m_rules.clear();
}

} // namespace uno
