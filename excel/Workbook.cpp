#include "excel/Workbook.h"

#include "excel/Error.h"

#include <QRegularExpression>

namespace excel {

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

std::shared_ptr<Worksheet> SheetCollection::Add() {
    const auto taken = [&](const QString& name) {
        for (int i = 1; i <= m_book->sheetCount(); ++i) {
            if (m_book->sheetAt(i)->Name().compare(name, Qt::CaseInsensitive) == 0)
                return true;
        }
        return m_book->otherSheetNames().contains(name, Qt::CaseInsensitive);
    };
    int n = 1;
    while (taken(QStringLiteral("Sheet%1").arg(n)))
        ++n;
    int active = 1;
    const auto current = m_book->ActiveSheet();
    for (int i = 1; i <= m_book->sheetCount(); ++i) {
        if (m_book->sheetAt(i) == current)
            active = i;
    }
    auto sheet = m_book->insertWorksheet(active, QStringLiteral("Sheet%1").arg(n));
    sheet->Activate();
    return sheet;
}

SheetCollection Workbook::Worksheets() {
    return SheetCollection(shared_from_this(), QStringLiteral("Worksheets"));
}

SheetCollection Workbook::Sheets() {
    return SheetCollection(shared_from_this(), QStringLiteral("Sheets"));
}

std::optional<excel::Range> Workbook::namedRange(const QString& name) {
    for (const DefinedName& n : m_names) {
        if (n.name.compare(name, Qt::CaseInsensitive) == 0 && n.refersTo)
            return n.refersTo;
    }
    return std::nullopt;
}

namespace {

void checkName(const QString& name) {
    static const QRegularExpression shape(QStringLiteral("^[\\p{L}_\\\\][\\p{L}\\p{N}_.\\\\]*$"));
    static const QRegularExpression r1c1(
        QStringLiteral("^(?:[RrCc]|[Rr]\\d*[Cc]\\d*|[Rr]\\d+|[Cc]\\d+)$"));
    const bool cell = parseReference(name).has_value();
    if (name.isEmpty() || name.size() > 255 || !shape.match(name).hasMatch() || cell ||
        r1c1.match(name).hasMatch())
        throw Error(QStringLiteral("Names.Add"),
                    QStringLiteral("\"%1\" is not a valid name").arg(name));
}

} // namespace

Name Names::Add(const QString& name, const excel::Range& refersToR1C1) {
    checkName(name);
    if (refersToR1C1.Worksheet()->Parent() != m_book)
        throw Error(QStringLiteral("Names.Add"),
                    QStringLiteral("a name refers to cells of its own workbook"));
    auto& names = m_book->definedNames();
    for (DefinedName& n : names) {
        if (n.name.compare(name, Qt::CaseInsensitive) == 0) {
            n.refersTo = refersToR1C1;
            n.storedFormula.clear();
            return excel::Name(m_book, n.name);
        }
    }
    names.push_back({name, refersToR1C1, QString(), false});
    return excel::Name(m_book, name);
}

Name Names::Item(const QString& name) const {
    for (const DefinedName& n : m_book->definedNames()) {
        if (n.name.compare(name, Qt::CaseInsensitive) == 0)
            return excel::Name(m_book, n.name);
    }
    throw Error(QStringLiteral("Names"),
                QStringLiteral("there is no name \"%1\" in %2").arg(name, m_book->Name()));
}

int Names::Count() const {
    return int(m_book->definedNames().size());
}

void Name::Delete() {
    auto& names = m_book->definedNames();
    const auto it = std::find_if(names.begin(), names.end(), [&](const DefinedName& n) {
        return n.name.compare(m_name, Qt::CaseInsensitive) == 0;
    });
    if (it == names.end())
        throw Error(QStringLiteral("Names"),
                    QStringLiteral("there is no name \"%1\" to delete").arg(m_name));
    names.erase(it);
}

excel::Range Name::RefersToRange() const {
    if (auto r = m_book->namedRange(m_name))
        return *r;
    throw Error(QStringLiteral("RefersToRange"),
                QStringLiteral("the name \"%1\" does not refer to a range").arg(m_name));
}

} // namespace excel
