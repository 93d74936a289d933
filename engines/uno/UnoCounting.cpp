// COUNTIF for a list of criteria in a few calls: the office's own COUNTIF, as formulas written
// at once into a hidden scratch sheet and read back at once. One call of the office's function
// service copies the whole range every time; formulas in the document count over it in place.

#include "engines/uno/UnoApplication.h"
#include "engines/uno/UnoWorkbook.h"
#include "engines/uno/UnoWorksheet.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/document/XUndoManager.hpp>
#include <com/sun/star/document/XUndoManagerSupplier.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XCellRangeFormula.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/util/XModifiable.hpp>

#include <cmath>
#include <limits>

namespace uno {

namespace {

// A hidden sheet at the end of the document for as long as the counts take. Neither the undo
// list nor the document's modified mark shows it, and the document's matching settings are the
// ones COUNTIF follows everywhere else (wildcards, whole cells) while it is there.
class ScratchSheet {
public:
    explicit ScratchSheet(const UnoWorkbook& book)
        : m_document(book.document())
        , m_settings(m_document, UNO_QUERY_THROW) {
        const Reference<css::document::XUndoManagerSupplier> undo(m_document, UNO_QUERY);
        if (undo.is()) {
            m_undo = undo->getUndoManager();
            m_undo->lock();
        }
        const Reference<css::util::XModifiable> modifiable(m_document, UNO_QUERY);
        m_wasModified = modifiable.is() && modifiable->isModified();
        setting("Wildcards", true);
        setting("RegularExpressions", false);
        setting("MatchWholeCell", true);
        const auto sheets = m_document->getSheets();
        const Reference<css::container::XIndexAccess> indexed(sheets, UNO_QUERY_THROW);
        m_name = "TallyvaneCounts";
        for (int n = 2; sheets->hasByName(m_name); ++n)
            m_name = "TallyvaneCounts" + rtl::OUString::number(n);
        sheets->insertNewByName(m_name, sal_Int16(indexed->getCount()));
        m_sheet.set(sheets->getByName(m_name), UNO_QUERY_THROW);
        Reference<css::beans::XPropertySet>(m_sheet, UNO_QUERY_THROW)
            ->setPropertyValue("IsVisible", Any(false));
    }

    ~ScratchSheet() {
        // Also after a failure: the document is left as it was, if the office is still there.
        try {
            if (m_sheet.is())
                m_document->getSheets()->removeByName(m_name);
            for (auto it = m_restore.rbegin(); it != m_restore.rend(); ++it)
                m_settings->setPropertyValue(it->first, it->second);
            const Reference<css::util::XModifiable> modifiable(m_document, UNO_QUERY);
            if (modifiable.is() && !m_wasModified)
                modifiable->setModified(false);
            if (m_undo.is())
                m_undo->unlock();
        } catch (const css::uno::Exception&) {
        }
    }

    ScratchSheet(const ScratchSheet&) = delete;
    ScratchSheet& operator=(const ScratchSheet&) = delete;

    Reference<css::table::XCellRange> column(sal_Int32 column, sal_Int32 rows) const {
        return m_sheet->getCellRangeByPosition(column, 0, column, rows - 1);
    }

private:
    void setting(const char* name, bool value) {
        const rtl::OUString key = rtl::OUString::createFromAscii(name);
        bool now = !value;
        if (!(m_settings->getPropertyValue(key) >>= now) || now == value)
            return;
        m_restore.emplace_back(key, Any(now));
        m_settings->setPropertyValue(key, Any(value));
    }

    Reference<css::sheet::XSpreadsheetDocument> m_document;
    Reference<css::beans::XPropertySet> m_settings;
    Reference<css::document::XUndoManager> m_undo;
    Reference<css::sheet::XSpreadsheet> m_sheet;
    rtl::OUString m_name;
    bool m_wasModified = false;
    std::vector<std::pair<rtl::OUString, Any>> m_restore;
};

// What no cell says as COUNTIF reads it: a logical criterion, and the empty text (a blank cell
// would mean zero).
QString criterionLiteral(const excel::Variant& criterion) {
    if (criterion.kind() == excel::Variant::Kind::Boolean)
        return criterion.boolean() ? QStringLiteral("TRUE()") : QStringLiteral("FALSE()");
    return QStringLiteral("\"\"");
}

// A criterion as the value of a cell that COUNTIF reads it from; void where only a literal says
// it.
Any criterionCell(const excel::Variant& criterion, double dayOffset) {
    switch (criterion.kind()) {
    case excel::Variant::Kind::Number:
        return Any(criterion.number());
    case excel::Variant::Kind::Date:
        return Any(criterion.date().serial - dayOffset);
    case excel::Variant::Kind::Boolean:
        return {};
    default: {
        const QString text = criterion.toString();
        return text.isEmpty() ? Any() : Any(toOffice(text));
    }
    }
}

} // namespace

QVector<double> UnoApplication::countIfEach(const excel::Range& range,
                                            const QVector<excel::Variant>& criteria) {
    const UnoWorksheet& sheet = sheetOf(range, "CountIf");
    const auto book = std::static_pointer_cast<UnoWorkbook>(sheet.Parent());
    if (criteria.isEmpty() || !book)
        return {};
    QStringList blocks;
    for (const excel::CellRect& r : range.rects())
        blocks << sheet.formulaReference(r);
    const double dayOffset = book->nullDateOffset();
    return guarded(*m_connection, "CountIf", [&] {
        // The criteria go into column B as cell values and the formulas in column A refer to
        // them relatively: the office then holds one group of like formulas, which it counts
        // about twice as fast as formulas each with its own literal. A blank or logical
        // criterion stays a literal (a blank cell would mean zero).
        const sal_Int32 n = sal_Int32(criteria.size());
        Sequence<Sequence<rtl::OUString>> formulas(n);
        Sequence<Sequence<Any>> values(n);
        for (sal_Int32 i = 0; i < n; ++i) {
            Any value = criterionCell(criteria[i], dayOffset);
            const QString argument = value.hasValue() ? QStringLiteral("B%1").arg(i + 1)
                                                      : criterionLiteral(criteria[i]);
            if (!value.hasValue())
                value <<= rtl::OUString();
            QStringList parts;
            for (const QString& block : blocks)
                parts << QStringLiteral("COUNTIF(%1;%2)").arg(block, argument);
            formulas.getArray()[i] = Sequence<rtl::OUString>(1);
            formulas.getArray()[i].getArray()[0] = toOffice(QLatin1Char('=') + parts.join(QLatin1Char('+')));
            values.getArray()[i] = Sequence<Any>(&value, 1);
        }
        const ScratchSheet scratch(*book);
        Reference<css::sheet::XCellRangeData>(scratch.column(1, n), UNO_QUERY_THROW)->setDataArray(values);
        const auto cells = scratch.column(0, n);
        Reference<css::sheet::XCellRangeFormula>(cells, UNO_QUERY_THROW)->setFormulaArray(formulas);
        const auto results = Reference<css::sheet::XCellRangeData>(cells, UNO_QUERY_THROW)->getDataArray();
        QVector<double> counts(criteria.size(), std::numeric_limits<double>::quiet_NaN());
        for (sal_Int32 i = 0; i < results.getLength() && i < counts.size(); ++i)
            results[i][0] >>= counts[i];
        return counts;
    });
}

} // namespace uno
