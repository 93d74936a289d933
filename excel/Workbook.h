#pragma once
// A workbook as the object model shows it, and the collection of its sheets.

#include "excel/WorkbookBackend.h"
#include "excel/Worksheet.h"

#include <QString>
#include <map>
#include <memory>
#include <optional>
#include <vector>

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
    // Adds a worksheet before the active sheet of the workbook, named "SheetN" with the first
    // free N, and makes it the active sheet.
    std::shared_ptr<Worksheet> Add();

private:
    std::shared_ptr<Workbook> m_book;
    QString m_member;
};

// A workbook-level defined name. Names this program adds refer to a range (which follows its
// cells); names read from a file keep their stored formula.
struct DefinedName {
    QString name;
    std::optional<excel::Range> refersTo;
    QString storedFormula;
    bool stored = false; // read from the file
};

class Name {
public:
    Name(std::shared_ptr<Workbook> book, QString name)
        : m_book(std::move(book))
        , m_name(std::move(name)) {}
    const QString& name() const { return m_name; }
    void Delete();
    excel::Range RefersToRange() const;

private:
    std::shared_ptr<Workbook> m_book;
    QString m_name;
};

// Workbook.Names: names compare without regard to case.
class Names {
public:
    explicit Names(std::shared_ptr<Workbook> book)
        : m_book(std::move(book)) {}
    // Defines (or redefines) a name for a range. Refuses names that are not valid: they start
    // with a letter, "_" or "\", hold letters, digits, "_", "." and "\", and do not read as
    // a cell reference (A1, R1C1, R, C).
    excel::Name Add(const QString& name, const excel::Range& refersToR1C1);
    excel::Name Item(const QString& name) const;
    excel::Name operator()(const QString& name) const { return Item(name); }
    int Count() const;

private:
    std::shared_ptr<Workbook> m_book;
};

class Workbook : public std::enable_shared_from_this<Workbook>, public WorkbookBackend {
public:
    virtual ~Workbook() = default;

    // The file name without its folder, as the spreadsheet shows it ("Defects.xlsx").
    virtual QString Name() const = 0;
    // The file with its folder ("/home/ann/Defects.xlsx"); empty for a workbook without a file.
    virtual QString FullName() const { return {}; }
    virtual void Activate() = 0;
    virtual std::shared_ptr<Worksheet> ActiveSheet() = 0;
    SheetCollection Worksheets();
    SheetCollection Sheets();
    excel::Names Names() { return excel::Names(shared_from_this()); }
    std::vector<DefinedName>& definedNames() { return m_names; }
    const std::vector<DefinedName>& definedNames() const { return m_names; }
    // The range a defined name refers to; none when there is no such name or it is not a range.
    std::optional<excel::Range> namedRange(const QString& name);

    // Saving, as the spreadsheet's File menu does: over the workbook's own file, or as fileName
    // (a workbook file). Raise excel::Error with the sentence for the user when the workbook
    // cannot be saved; the file on disk is then as it was.
    virtual void Save() = 0;
    virtual void SaveAs(const QString& fileName) = 0;
    // Whether nothing changed since the workbook was opened or last saved.
    virtual bool Saved() const = 0;
    // Whether Save needs a name first (a workbook read from a file of another kind, or never
    // saved), and the name Save As proposes: the workbook's own file, or the workbook file
    // beside it under a name not taken.
    virtual bool needsSaveName() const { return false; }
    virtual QString proposedSaveName() const { return {}; }
    // Who has the workbook's file open in another program, in words ("Ann Lee on host3"); empty
    // when nobody does. Such a workbook is saved only under another name.
    virtual QString openElsewhereBy() const { return {}; }
    // A window of this program shows the workbook for editing (or no longer does): other programs
    // are told, where the host does not tell them itself.
    virtual void setOpenForEditing(bool) {}

    // A text this program keeps with the workbook under a name of its own (the Pareto options
    // chosen for it): here in memory while the workbook is open; a host that keeps such texts in
    // the document itself, where other programs attached to it find them, does so instead.
    virtual QString programSetting(const QString& name) const {
        const auto it = m_settings.find(name);
        return it == m_settings.end() ? QString() : it->second;
    }
    virtual void setProgramSetting(const QString& name, const QString& value) {
        m_settings[name] = value;
    }

private:
    std::vector<DefinedName> m_names;
    std::map<QString, QString> m_settings;
};

} // namespace excel
