#pragma once
// A workbook as the object model shows it, and the collection of its sheets.

#include "Worksheet.h"

#include <QString>
#include <memory>

namespace excel {

class Workbook;

// Worksheets(...) and Sheets(...): by index from 1 in tab order, or by name without regard to case.
class SheetCollection {
public:
    SheetCollection(std::shared_ptr<Workbook> book, QString member);
    int Count() const;
    std::shared_ptr<Worksheet> Item(int index) const;
    std::shared_ptr<Worksheet> Item(const QString& name) const;
    std::shared_ptr<Worksheet> operator()(int index) const { return Item(index); }
    std::shared_ptr<Worksheet> operator()(const QString& name) const { return Item(name); }

private:
    std::shared_ptr<Workbook> m_book;
    QString m_member;
};

class Workbook : public std::enable_shared_from_this<Workbook> {
public:
    virtual ~Workbook() = default;

    // The file name without its folder, as the spreadsheet shows it ("Defects.xlsx").
    virtual QString Name() const = 0;
    virtual void Activate() = 0;
    virtual std::shared_ptr<Worksheet> ActiveSheet() = 0;
    SheetCollection Worksheets();
    SheetCollection Sheets();

    // Hooks each backend supplies.
    virtual int sheetCount() const = 0;
    // index counts from 1 in tab order; null when out of range.
    virtual std::shared_ptr<Worksheet> sheetAt(int index) const = 0;
};

} // namespace excel
