#include "EmbeddedWorkbook.h"

#include "EmbeddedApplication.h"

namespace embedded {

std::shared_ptr<EmbeddedWorkbook> EmbeddedWorkbook::create(std::weak_ptr<EmbeddedApplication> app,
                                                           WorkbookData data) {
    std::shared_ptr<EmbeddedWorkbook> book(new EmbeddedWorkbook);
    book->m_app = std::move(app);
    book->m_name = data.name;
    book->m_path = data.path;
    book->m_context = data.context;
    book->m_activeSheet = std::clamp(data.activeSheet, 0, std::max(0, int(data.sheets.size()) - 1));
    for (SheetData& sheet : data.sheets)
        book->m_sheets.push_back(std::make_shared<EmbeddedWorksheet>(book, std::move(sheet)));
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

void EmbeddedWorkbook::activateSheet(const EmbeddedWorksheet* sheet) {
    for (size_t i = 0; i < m_sheets.size(); ++i) {
        if (m_sheets[i].get() == sheet)
            m_activeSheet = int(i);
    }
    Activate();
}

} // namespace embedded
