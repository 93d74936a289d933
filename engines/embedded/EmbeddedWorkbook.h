#pragma once
// A workbook hosted by the embedded engine: its sheets in tab order and the active one.

#include "engines/embedded/EmbeddedWorksheet.h"
#include "engines/embedded/LockFile.h"
#include "engines/embedded/store/WorkbookData.h"
#include "engines/embedded/store/WorkbookSnapshot.h"
#include "excel/Workbook.h"

#include <memory>
#include <vector>

namespace embedded {

class EmbeddedApplication;

class EmbeddedWorkbook : public excel::Workbook {
public:
    static std::shared_ptr<EmbeddedWorkbook> create(std::weak_ptr<EmbeddedApplication> app,
                                                    WorkbookData data);

    QString Name() const override { return m_name; }
    QString FullName() const override { return m_path; }
    void Activate() override;
    std::shared_ptr<excel::Worksheet> ActiveSheet() override;
    int sheetCount() const override { return int(m_sheets.size()); }
    std::shared_ptr<excel::Worksheet> sheetAt(int index) const override;
    std::shared_ptr<excel::Worksheet> insertWorksheet(int index, const QString& name) override;
    void moveSheet(const excel::Worksheet* sheet, int index) override;
    QStringList otherSheetNames() const override { return m_otherSheetNames; }
    // Saved by the engine (EmbeddedApplication::save): over its own .xlsx, or as a new one.
    void Save() override;
    void SaveAs(const QString& fileName) override;
    bool Saved() const override { return !m_unsaved; }
    bool needsSaveName() const override;
    QString proposedSaveName() const override;
    QString openElsewhereBy() const override { return m_lockedBy; }
    void setOpenForEditing(bool open) override { holdEditLock(open); }

    // The .xlsx file the workbook was read from; empty when it came from elsewhere (.csv).
    const QString& packagePath() const { return m_packagePath; }
    // The names as the file stored them, to tell what changed when saving.
    const std::vector<std::pair<QString, QString>>& storedNames() const { return m_storedNames; }

    const QString& path() const { return m_path; }
    bool date1904() const { return m_context->date1904; }
    QString standardFontName() const override { return m_context->fontName; }
    double standardFontSize() const override { return m_context->fontSize; }
    bool isActive() const;
    void activateSheet(const EmbeddedWorksheet* sheet);
    // The state to save: taken when an action completes.
    WorkbookSnapshot snapshot() const;
    void commit();
    const std::optional<WorkbookSnapshot>& committed() const { return m_committed; }
    // Puts back the sheets, conditional formats and names of the last completed action.
    void rollBack();

    // The file as it was when read or last saved (its size and time), to tell whether someone
    // else changed it since.
    QString fileStamp() const { return m_fileStamp; }
    void setFileStamp(const QString& stamp) { m_fileStamp = stamp; }

    // Who has the file open in another program, when someone does: the workbook is analysed,
    // but not saved over that file.
    const QString& lockedBy() const { return m_lockedBy; }
    void setLockedBy(const QString& holder) { m_lockedBy = holder; }

    // While the workbook is open for editing on screen, a lock file beside its file tells other
    // programs (LibreOffice among them) that it is; it follows a save under another name.
    void holdEditLock(bool hold);
    bool holdsEditLock() const { return m_editLock && m_editLock->held(); }

    // Whether a completed action changed the workbook since it was read or last saved.
    bool hasUnsavedChanges() const { return m_unsaved; }
    // The workbook was saved as path: it takes that file's name; what it was read from stays
    // the base of later saves (readFrom is a private copy of the file as it was read, when the
    // save replaced that file).
    void savedAs(const QString& path, const QString& readFrom);

    std::shared_ptr<EmbeddedWorksheet> embeddedSheet(int index) const {
        return m_sheets.at(size_t(index));
    }

private:
    EmbeddedWorkbook() = default;

    std::weak_ptr<EmbeddedApplication> m_app;
    QString m_name;
    QString m_path;
    QString m_packagePath;
    QStringList m_otherSheetNames;
    std::vector<std::pair<QString, QString>> m_storedNames;
    std::shared_ptr<BookContext> m_context;
    std::vector<std::shared_ptr<EmbeddedWorksheet>> m_sheets;
    int m_activeSheet = 0;
    std::optional<WorkbookSnapshot> m_committed;
    bool m_unsaved = false;
    QString m_lockedBy;
    QString m_fileStamp;
    std::unique_ptr<EditLock> m_editLock;
    // What rollBack() returns to until the first action completes: the workbook as read.
    std::vector<std::shared_ptr<EmbeddedWorksheet>> m_committedSheets;
    std::vector<excel::DefinedName> m_committedNames;
    std::map<const EmbeddedWorksheet*, std::vector<excel::ConditionalFormat>> m_committedRules;
};

} // namespace embedded
