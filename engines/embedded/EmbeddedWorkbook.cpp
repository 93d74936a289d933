#include "engines/embedded/EmbeddedWorkbook.h"

#include "engines/embedded/EmbeddedApplication.h"
#include "engines/embedded/xlsx/XlsxWriter.h"
#include "excel/Error.h"

#include <QFileInfo>
#include <algorithm>

namespace embedded {

std::shared_ptr<EmbeddedWorkbook> EmbeddedWorkbook::create(std::weak_ptr<EmbeddedApplication> app,
                                                           WorkbookData data) {
    std::shared_ptr<EmbeddedWorkbook> book(new EmbeddedWorkbook);
    book->m_app = std::move(app);
    book->m_name = data.name;
    book->m_path = data.path;
    book->m_context = data.context;
    book->m_packagePath = data.packagePath;
    book->m_otherSheetNames = data.otherSheetNames;
    book->m_storedNames = data.definedNames;
    for (const auto& [name, formula] : data.definedNames)
        book->definedNames().push_back({name, std::nullopt, formula, true});
    book->m_activeSheet = std::clamp(data.activeSheet, 0, std::max(0, int(data.sheets.size()) - 1));
    for (SheetData& sheet : data.sheets)
        book->m_sheets.push_back(std::make_shared<EmbeddedWorksheet>(book, std::move(sheet)));
    book->m_committedSheets = book->m_sheets;
    book->m_committedNames = book->definedNames();
    return book;
}

void EmbeddedWorkbook::Activate() {
    if (auto app = m_app.lock())
        app->activateWorkbook(this);
}

bool EmbeddedWorkbook::isActive() const {
    const auto app = m_app.lock();
    return app && app->ActiveWorkbook().get() == this;
}

std::shared_ptr<excel::Worksheet> EmbeddedWorkbook::ActiveSheet() {
    return m_sheets.at(size_t(m_activeSheet));
}

std::shared_ptr<excel::Worksheet> EmbeddedWorkbook::sheetAt(int index) const {
    if (index < 1 || index > sheetCount())
        return nullptr;
    return m_sheets[size_t(index - 1)];
}

std::shared_ptr<excel::Worksheet> EmbeddedWorkbook::insertWorksheet(int index,
                                                                    const QString& name) {
    SheetData data;
    data.name = name;
    data.cells = std::make_shared<CellStore>(m_context);
    const auto self = std::static_pointer_cast<EmbeddedWorkbook>(shared_from_this());
    auto sheet = std::make_shared<EmbeddedWorksheet>(self, std::move(data));
    const size_t at = size_t(std::clamp(index, 1, sheetCount() + 1) - 1);
    m_sheets.insert(m_sheets.begin() + qsizetype(at), sheet);
    if (int(at) <= m_activeSheet)
        ++m_activeSheet;
    return sheet;
}

void EmbeddedWorkbook::moveSheet(const excel::Worksheet* sheet, int index) {
    const auto it = std::find_if(m_sheets.begin(), m_sheets.end(),
                                 [&](const auto& s) { return s.get() == sheet; });
    if (it == m_sheets.end())
        return;
    const auto active = m_sheets[size_t(m_activeSheet)];
    auto moving = *it;
    m_sheets.erase(it);
    const size_t at = size_t(std::clamp(index, 1, int(m_sheets.size()) + 1) - 1);
    m_sheets.insert(m_sheets.begin() + qsizetype(at), moving);
    for (size_t i = 0; i < m_sheets.size(); ++i) {
        if (m_sheets[i] == active)
            m_activeSheet = int(i);
    }
}

namespace {

bool sameRules(const std::vector<excel::ConditionalFormat>& rules,
               const std::vector<StoredRule>& stored) {
    if (rules.size() != stored.size())
        return false;
    for (size_t i = 0; i < rules.size(); ++i) {
        if (rules[i].storedIndex != int(i) || rules[i].ranges != stored[i].ranges)
            return false;
    }
    return true;
}

QString nameFormula(const excel::DefinedName& n) {
    if (!n.refersTo)
        return n.storedFormula;
    const excel::Range& r = *n.refersTo;
    return excel::quotedSheetName(r.Worksheet()->Name()) + QLatin1Char('!') + r.Address();
}

} // namespace

WorkbookSnapshot EmbeddedWorkbook::snapshot() const {
    WorkbookSnapshot s;
    for (const auto& sheet : m_sheets) {
        SheetSnapshot entry;
        entry.name = sheet->Name();
        entry.partName = sheet->partName();
        if (sheet->isNew()) {
            entry.content = sheet->content();
            s.changed = true;
        }
        if (sheet->rulesLoaded() || sheet->isNew()) {
            entry.rules = sheet->ruleState();
            entry.storedRules = sheet->storedRules();
            entry.rulesChanged = !sheet->isNew() && !sameRules(entry.rules, entry.storedRules);
            s.changed = s.changed || entry.rulesChanged;
        }
        s.sheets.push_back(std::move(entry));
    }
    for (const excel::DefinedName& n : definedNames()) {
        // A name whose cells were all deleted refers to nothing any more; it is not saved.
        try {
            s.names.emplace_back(n.name, nameFormula(n));
        } catch (const excel::Error&) {
        }
    }
    s.changed = s.changed || s.names != m_storedNames;
    return s;
}

void EmbeddedWorkbook::Save() {
    SaveAs({});
}

void EmbeddedWorkbook::SaveAs(const QString& fileName) {
    const auto app = m_app.lock();
    if (!app)
        throw excel::Error(QStringLiteral("Save"),
                           QStringLiteral("The workbook \"%1\" is no longer open.").arg(m_name));
    app->save(*this, fileName);
}

bool EmbeddedWorkbook::needsSaveName() const {
    return EmbeddedApplication::needsName(*this);
}

QString EmbeddedWorkbook::proposedSaveName() const {
    // A workbook read from a .csv goes to the .xlsx beside it, under a name not taken.
    return needsSaveName() ? xlsxBeside(m_path) : m_path;
}

void EmbeddedWorkbook::holdEditLock(bool hold) {
    m_editLock.reset();
    if (hold && !m_path.isEmpty())
        m_editLock = std::make_unique<EditLock>(m_path);
}

void EmbeddedWorkbook::savedAs(const QString& path, const QString& readFrom) {
    if (m_editLock && path != m_path) {
        m_editLock.reset();
        m_editLock = std::make_unique<EditLock>(path);
    }
    m_path = path;
    m_name = QFileInfo(path).fileName();
    m_lockedBy.clear(); // saved under a name of its own
    if (!m_packagePath.isEmpty())
        m_packagePath = readFrom;
    m_unsaved = false;
}

void EmbeddedWorkbook::commit() {
    const bool before = m_committed && m_committed->changed;
    m_committed = snapshot();
    // An action that changed something, or took back what an earlier one changed.
    if (m_committed->changed || before)
        m_unsaved = true;
    m_committedSheets = m_sheets;
    m_committedNames = definedNames();
    m_committedRules.clear();
    for (size_t i = 0; i < m_sheets.size(); ++i) {
        if (m_sheets[i]->rulesLoaded())
            m_committedRules[m_sheets[i].get()] = m_committed->sheets[i].rules;
    }
}

void EmbeddedWorkbook::rollBack() {
    const auto active = m_sheets.empty() ? nullptr : m_sheets[size_t(m_activeSheet)];
    m_sheets = m_committedSheets;
    m_activeSheet = 0;
    for (size_t i = 0; i < m_sheets.size(); ++i) {
        if (m_sheets[i] == active)
            m_activeSheet = int(i);
        const auto rules = m_committedRules.find(m_sheets[i].get());
        if (rules != m_committedRules.end())
            m_sheets[i]->restoreRules(rules->second);
        else if (m_sheets[i]->rulesLoaded() && !m_sheets[i]->isNew())
            m_sheets[i]->restoreRules(m_sheets[i]->storedRuleState());
    }
    definedNames() = m_committedNames;
}

void EmbeddedWorkbook::activateSheet(const EmbeddedWorksheet* sheet) {
    for (size_t i = 0; i < m_sheets.size(); ++i) {
        if (m_sheets[i].get() == sheet)
            m_activeSheet = int(i);
    }
    Activate();
}

} // namespace embedded
