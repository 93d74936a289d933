#include "Worksheet.h"

#include "Error.h"
#include "Workbook.h"

namespace excel {

excel::Range Worksheet::UsedRange() {
    return excel::Range(shared_from_this(), {usedRect()});
}

excel::Range Worksheet::Range(const QString& reference) {
    const auto parsed = parseReference(reference);
    if (!parsed)
        throw Error(QStringLiteral("Range"),
                    QStringLiteral("\"%1\" is not a cell reference").arg(reference));
    if (!parsed->sheet.isEmpty() && parsed->sheet.compare(Name(), Qt::CaseInsensitive) != 0)
        throw Error(
            QStringLiteral("Range"),
            QStringLiteral("\"%1\" refers to another sheet than %2").arg(reference, Name()));
    return excel::Range(shared_from_this(), parsed->areas);
}

excel::Range Worksheet::Cells() {
    return excel::Range(shared_from_this(), {CellRect{1, 1, kMaxRows, kMaxColumns}});
}

excel::Range Worksheet::Cells(int row, int column) {
    return Cells().Cells(row, column);
}

SheetCollection::SheetCollection(std::shared_ptr<Workbook> book, QString member)
    : m_book(std::move(book))
    , m_member(std::move(member)) {
    if (!m_book)
        throw Error(m_member, QStringLiteral("no workbook is open"));
}

int SheetCollection::Count() const {
    return m_book->sheetCount();
}

std::shared_ptr<Worksheet> SheetCollection::Item(int index) const {
    auto sheet = m_book->sheetAt(index);
    if (!sheet)
        throw Error(m_member, QStringLiteral("there is no sheet %1 in %2, which has %3")
                                  .arg(index)
                                  .arg(m_book->Name())
                                  .arg(m_book->sheetCount()));
    return sheet;
}

std::shared_ptr<Worksheet> SheetCollection::Item(const QString& name) const {
    for (int i = 1; i <= m_book->sheetCount(); ++i) {
        auto sheet = m_book->sheetAt(i);
        if (sheet && sheet->Name().compare(name, Qt::CaseInsensitive) == 0)
            return sheet;
    }
    throw Error(m_member,
                QStringLiteral("there is no sheet named \"%1\" in %2").arg(name, m_book->Name()));
}

SheetCollection Workbook::Worksheets() {
    return SheetCollection(shared_from_this(), QStringLiteral("Worksheets"));
}

SheetCollection Workbook::Sheets() {
    return SheetCollection(shared_from_this(), QStringLiteral("Sheets"));
}

} // namespace excel
