#include "excel/ListObjects.h"

#include "excel/Error.h"
#include "excel/Workbook.h"
#include "excel/Worksheet.h"

#include <algorithm>

namespace excel {

namespace {

constexpr int kSourceRange = 1;
constexpr int kHeadersNo = 2;
constexpr int kHeadersYes = 1;

bool tableNameTaken(const Worksheet& sheet, const QString& name, const ListObjectModel* except) {
    const auto book = sheet.Parent();
    if (!book)
        return false;
    for (int i = 1; i <= book->sheetCount(); ++i) {
        for (const auto& t : book->sheetAt(i)->tables()) {
            if (t.get() != except && t->name.compare(name, Qt::CaseInsensitive) == 0)
                return true;
        }
    }
    for (const DefinedName& n : book->definedNames()) {
        if (n.name.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

} // namespace

void ListObject::setName(const QString& name) {
    if (name.isEmpty() || name.contains(QLatin1Char(' ')) || parseReference(name))
        throw Error(QStringLiteral("ListObject.Name"),
                    QStringLiteral("\"%1\" is not a valid table name").arg(name));
    if (tableNameTaken(*m_sheet, name, m_model.get()))
        throw Error(QStringLiteral("ListObject.Name"),
                    QStringLiteral("the name \"%1\" is already taken in the workbook").arg(name));
    m_model->name = name;
}

void ListObject::setTableStyle(const QString& style) {
    if (!style.isEmpty() && style.compare(QLatin1String("TableStyleMedium11"), Qt::CaseInsensitive))
        throw Error(QStringLiteral("TableStyle"),
                    QStringLiteral("the table style \"%1\" is not offered").arg(style));
    m_model->style = style.isEmpty() ? QString() : QStringLiteral("TableStyleMedium11");
}

excel::Range ListObject::Range() const {
    if (m_model->deleted)
        throw Error(QStringLiteral("ListObject"), QStringLiteral("the table's cells were deleted"));
    return excel::Range(m_sheet, {m_model->rect});
}

void ListObject::Unlist() {
    auto& tables = m_sheet->tables();
    const CellRect r = m_model->rect;
    // Only this style's colours are known here; a table left in another style keeps plain cells.
    if (m_model->style == QLatin1String("TableStyleMedium11") && !m_model->deleted) {
        m_sheet->formatCells({r.top, r.left, r.top, r.right}, [](CellFormat& f) {
            f.fillColor = kMedium11Header;
            f.fontColor = 0xFFFFFF;
            f.bold = true;
            f.borderColor = kMedium11Lines;
        });
        for (int row = r.top + 1; row <= r.bottom; ++row) {
            const int fill = (row - r.top) % 2 == 1 ? kMedium11Band1 : kMedium11Band2;
            m_sheet->formatCells({row, r.left, row, r.right}, [fill](CellFormat& f) {
                f.fillColor = fill;
                f.borderColor = kMedium11Lines;
            });
        }
    }
    tables.erase(std::remove(tables.begin(), tables.end(), m_model), tables.end());
}

ListObject ListObjectCollection::Add(int sourceType, const excel::Range& source, int hasHeaders) {
    if (sourceType != kSourceRange)
        throw Error(QStringLiteral("ListObjects.Add"),
                    QStringLiteral("only a range (source type 1) is offered"));
    if (hasHeaders != kHeadersNo && hasHeaders != kHeadersYes)
        throw Error(QStringLiteral("ListObjects.Add"),
                    QStringLiteral("has-headers must be 1 (yes) or 2 (no)"));
    if (source.rects().size() != 1 || source.Worksheet() != m_sheet)
        throw Error(QStringLiteral("ListObjects.Add"),
                    QStringLiteral("a table is made of one block of this sheet"));
    for (const auto& t : m_sheet->tables()) {
        if (t->rect.intersected(source.rects().front()))
            throw Error(QStringLiteral("ListObjects.Add"),
                        QStringLiteral("a table cannot overlap another table"));
    }
    CellRect data = source.rects().front();
    if (hasHeaders == kHeadersNo) {
        m_sheet->insertRows(data.top, 1);
        data = source.rects().front(); // the range followed its cells down
        for (int c = data.left; c <= data.right; ++c)
            m_sheet->setCellValue(data.top - 1, c,
                                  QStringLiteral("Column%1").arg(c - data.left + 1));
        data.top -= 1;
    }
    auto model = std::make_shared<ListObjectModel>();
    model->rect = data;
    int n = 1;
    while (tableNameTaken(*m_sheet, QStringLiteral("Table%1").arg(n), nullptr))
        ++n;
    model->name = QStringLiteral("Table%1").arg(n);
    model->style = QStringLiteral("TableStyleMedium2"); // the spreadsheet's default look
    m_sheet->tables().push_back(model);
    return ListObject(m_sheet, model);
}

ListObject ListObjectCollection::Item(const QString& name) const {
    for (const auto& t : m_sheet->tables()) {
        if (t->name.compare(name, Qt::CaseInsensitive) == 0)
            return ListObject(m_sheet, t);
    }
    throw Error(QStringLiteral("ListObjects"),
                QStringLiteral("there is no table named \"%1\" on %2").arg(name, m_sheet->Name()));
}

int ListObjectCollection::Count() const {
    return int(m_sheet->tables().size());
}

} // namespace excel
