// Names the program defines, as the document's own named ranges: at the end of each action the
// names it added are put into the document (or changed there), and the ones it deleted leave.

#include "engines/uno/UnoWorkbook.h"
#include "engines/uno/UnoWorksheet.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/sheet/XNamedRanges.hpp>
#include <com/sun/star/sheet/XNamedRange.hpp>
#include <com/sun/star/table/CellAddress.hpp>

namespace uno {

void UnoWorkbook::putNamesIntoDocument() {
    if (definedNames().empty() && m_namesPut.isEmpty())
        return;
    guarded(*m_connection, "Names", [&] {
        const Reference<css::sheet::XNamedRanges> named(
            Reference<css::beans::XPropertySet>(m_document, UNO_QUERY_THROW)
                ->getPropertyValue("NamedRanges"),
            UNO_QUERY_THROW);
        QHash<QString, QString> now;
        for (const excel::DefinedName& n : definedNames()) {
            if (!n.refersTo)
                continue;
            const auto* sheet = dynamic_cast<const UnoWorksheet*>(n.refersTo->Worksheet().get());
            if (!sheet)
                continue;
            QStringList blocks;
            for (const excel::CellRect& r : n.refersTo->rects())
                blocks << sheet->formulaReference(r);
            now.insert(n.name, blocks.join(QLatin1Char(';')));
        }
        for (auto it = m_namesPut.cbegin(); it != m_namesPut.cend(); ++it) {
            if (now.value(it.key()) != it.value() && named->hasByName(toOffice(it.key())))
                named->removeByName(toOffice(it.key()));
        }
        for (auto it = now.cbegin(); it != now.cend(); ++it) {
            if (m_namesPut.value(it.key()) == it.value() && named->hasByName(toOffice(it.key())))
                continue;
            if (named->hasByName(toOffice(it.key())))
                named->removeByName(toOffice(it.key()));
            named->addNewByName(toOffice(it.key()), toOffice(it.value()),
                                css::table::CellAddress(0, 0, 0), 0);
        }
        m_namesPut = now;
    });
}

} // namespace uno
