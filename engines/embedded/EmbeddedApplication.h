#pragma once
// The embedded workbook engine as a running spreadsheet application: the workbooks it hosts,
// which one is active, and the worksheet functions with the spreadsheet's own rules.

#include "engines/embedded/EmbeddedWorkbook.h"
#include "engines/embedded/ReadLimits.h"
#include "excel/Application.h"

#include <QTemporaryDir>
#include <memory>
#include <vector>

namespace embedded {

class EmbeddedApplication : public excel::Application,
                            public std::enable_shared_from_this<EmbeddedApplication> {
public:
    static std::shared_ptr<EmbeddedApplication> create();

    // Reads a workbook file (.xlsx or .csv), hosts it and makes it the active workbook. Raises
    // excel::Error with the reason when the file is refused.
    std::shared_ptr<EmbeddedWorkbook> open(const QString& path, const ReadLimits& limits = {});
    // Hosts a workbook made in memory (tests, tools), or read from the file at path, and makes
    // it active.
    std::shared_ptr<EmbeddedWorkbook> host(WorkbookData data, const QString& path = {});

    std::shared_ptr<excel::Workbook> ActiveWorkbook() override;
    std::optional<excel::Range> Selection() override;
    double CountA(const excel::Range& range) override;
    double CountIf(const excel::Range& range, const excel::Variant& criteria) override;
    QString Caption() const override;
    std::shared_ptr<excel::Workbook> workbookNamed(const QString& name) const override;
    double maxOfRange(const excel::Range& range) override;
    void completeAction() override;
    QString abandonAction() override;
    // Saves every workbook whose completed actions changed it: an .xlsx over itself, a workbook
    // read from another kind of file as a new .xlsx beside it.
    void endSession() override;
    // Where endSession() or save() put each workbook it saved.
    const QStringList& savedFiles() const { return m_saved; }
    // Whether the end of the session saves (the batch); a workbook on screen is saved only when
    // the user says so.
    void setSavesAtEnd(bool saves) { m_savesAtEnd = saves; }
    // Saves the workbook as its last completed action left it: over its own file, or as
    // saveAs. Raises excel::Error with the sentence for the user when it cannot; the file on
    // disk is then as it was.
    void save(EmbeddedWorkbook& book, const QString& saveAs = {});
    // Whether save() needs a name first: a workbook read from another kind of file (.csv).
    static bool needsName(const EmbeddedWorkbook& book);

    void activateWorkbook(const EmbeddedWorkbook* book);
    const std::vector<std::shared_ptr<EmbeddedWorkbook>>& workbooks() const { return m_books; }

private:
    EmbeddedApplication() = default;
    // Why the workbook's own file must not be saved over (another program has it open, or
    // changed it since it was read); empty when it may.
    static QString whyNotOverwrite(EmbeddedWorkbook& book);
    static const EmbeddedWorksheet& sheetOf(const excel::Range& range, const char* member);

    std::vector<std::shared_ptr<EmbeddedWorkbook>> m_books;
    int m_active = -1;
    QStringList m_saved;
    bool m_ended = false;
    bool m_savesAtEnd = true;
    // Copies of workbook files as they were read, taken before a save replaces them: every later
    // save starts from what was read.
    std::unique_ptr<QTemporaryDir> m_readCopies;
};

// Reads a workbook file by its kind (.xlsx or .csv).
WorkbookData readWorkbookFile(const QString& path, const ReadLimits& limits = {});

} // namespace embedded
