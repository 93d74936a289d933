#include "engines/embedded/EmbeddedApplication.h"

#include "engines/embedded/csv/CsvReader.h"
#include "engines/embedded/FileRefusal.h"
#include "engines/embedded/LockFile.h"
#include "engines/embedded/xlsx/XlsxReader.h"
#include "engines/embedded/xlsx/XlsxWriter.h"
#include "excel/Error.h"

#include <QDateTime>
#include <QFileInfo>

namespace embedded {

namespace {

// A file's size and time of change, to tell whether it changed.
QString stampOf(const QString& path) {
    const QFileInfo info(path);
    return info.exists() ? QStringLiteral("%1 %2").arg(info.size()).arg(
                               info.lastModified().toMSecsSinceEpoch())
                         : QString();
}

} // namespace

QString EmbeddedApplication::whyNotOverwrite(EmbeddedWorkbook& book) {
    // Asked again now: a lock that came after the workbook was read counts too.
    if (const auto holder = lockHolder(book.path())) {
        book.setLockedBy(*holder);
        return QStringLiteral("it is open in another program (by %1), and saving would replace "
                              "what they save")
            .arg(*holder);
    }
    if (!book.fileStamp().isEmpty() && stampOf(book.path()) != book.fileStamp())
        return QStringLiteral("the file was changed on disk since it was opened or last saved, "
                              "by another program");
    return {};
}

WorkbookData readWorkbookFile(const QString& path, const ReadLimits& limits) {
    const QFileInfo info(path);
    if (!info.exists())
        throw excel::Error(QStringLiteral("Open"),
                           QStringLiteral("There is no workbook file \"%1\".").arg(path));
    if (info.isDir())
        refuseFile(info.fileName(), QStringLiteral("it is a folder, not a file"));
    // A pipe or a device would be read until someone else ends it.
    if (!info.isFile())
        refuseFile(info.fileName(), QStringLiteral("it is not a regular file (a pipe, a socket or "
                                                   "a device); save the workbook as a file and "
                                                   "open that"));
    const QString suffix = info.suffix().toLower();
    if (suffix == QLatin1String("csv"))
        return readCsv(path, limits);
    if (suffix == QLatin1String("xlsx") || suffix == QLatin1String("xlsm"))
        return readXlsx(path, limits);
    refuseFile(info.fileName(), QStringLiteral("only workbook files (.xlsx) and comma-separated "
                                               "files (.csv) can be opened; save it in one of "
                                               "those formats and try again"));
}

std::shared_ptr<EmbeddedApplication> EmbeddedApplication::create() {
    return std::shared_ptr<EmbeddedApplication>(new EmbeddedApplication);
}

std::shared_ptr<EmbeddedWorkbook> EmbeddedApplication::open(const QString& path,
                                                            const ReadLimits& limits) {
    return host(readWorkbookFile(path, limits), path);
}

std::shared_ptr<EmbeddedWorkbook> EmbeddedApplication::host(WorkbookData data,
                                                            const QString& path) {
    auto book = EmbeddedWorkbook::create(weak_from_this(), std::move(data));
    if (const auto holder = path.isEmpty() ? std::nullopt : lockHolder(path))
        book->setLockedBy(*holder);
    if (!path.isEmpty())
        book->setFileStamp(stampOf(path));
    m_books.push_back(book);
    m_active = int(m_books.size() - 1);
    return book;
}

std::shared_ptr<excel::Workbook> EmbeddedApplication::ActiveWorkbook() {
    if (m_active < 0 || size_t(m_active) >= m_books.size())
        return nullptr;
    return m_books[size_t(m_active)];
}

void EmbeddedApplication::activateWorkbook(const EmbeddedWorkbook* book) {
    for (size_t i = 0; i < m_books.size(); ++i) {
        if (m_books[i].get() == book)
            m_active = int(i);
    }
}

std::optional<excel::Range> EmbeddedApplication::Selection() {
    auto book = ActiveWorkbook();
    if (!book)
        return std::nullopt;
    auto sheet = std::static_pointer_cast<EmbeddedWorksheet>(book->ActiveSheet());
    return excel::Range(sheet, sheet->data().selection);
}

const EmbeddedWorksheet& EmbeddedApplication::sheetOf(const excel::Range& range,
                                                      const char* member) {
    const auto* sheet = dynamic_cast<const EmbeddedWorksheet*>(range.Worksheet().get());
    if (!sheet)
        throw excel::Error(QString::fromLatin1(member),
                           QStringLiteral("the range belongs to another application"));
    return *sheet;
}

double EmbeddedApplication::CountA(const excel::Range& range) {
    const EmbeddedWorksheet& sheet = sheetOf(range, "CountA");
    qint64 n = 0;
    for (const excel::CellRect& r : range.rects())
        n += sheet.countA(r);
    return double(n);
}

double EmbeddedApplication::CountIf(const excel::Range& range, const excel::Variant& criteria) {
    const EmbeddedWorksheet& sheet = sheetOf(range, "CountIf");
    const auto book = std::static_pointer_cast<EmbeddedWorkbook>(sheet.Parent());
    const Criterion criterion = Criterion::parse(criteria, book && book->date1904());
    // A range of several blocks counts each block; the spreadsheet's own COUNTIF refuses such a
    // range, which would leave the caller with no count at all.
    qint64 n = 0;
    for (const excel::CellRect& r : range.rects())
        n += sheet.countIf(r, criterion);
    return double(n);
}

double EmbeddedApplication::maxOfRange(const excel::Range& range) {
    const EmbeddedWorksheet& sheet = sheetOf(range, "Max");
    std::optional<double> best;
    for (const excel::CellRect& r : range.rects()) {
        if (const auto m = sheet.maxOf(r))
            best = best ? std::max(*best, *m) : *m;
    }
    return best.value_or(0.0);
}

void EmbeddedApplication::completeAction() {
    for (const auto& book : m_books)
        book->commit();
    actionEnded();
}

QString EmbeddedApplication::abandonAction() {
    for (const auto& book : m_books)
        book->rollBack();
    actionEnded();
    return QStringLiteral("The workbook file has not been changed by this step.");
}

bool EmbeddedApplication::needsName(const EmbeddedWorkbook& book) {
    const QString suffix = QFileInfo(book.path()).suffix().toLower();
    return book.packagePath().isEmpty() && suffix != QLatin1String("xlsx") &&
           suffix != QLatin1String("xlsm");
}

void EmbeddedApplication::save(EmbeddedWorkbook& book, const QString& saveAs) {
    const QString name = book.Name();
    const auto fail = [&](const QString& why) {
        throw excel::Error(QStringLiteral("Save"),
                           QStringLiteral("The workbook \"%1\" could not be saved: %2. The file on "
                                          "disk is as it was.")
                               .arg(name, why));
    };
    QString target = saveAs.isEmpty() ? book.path() : QFileInfo(saveAs).absoluteFilePath();
    if (saveAs.isEmpty()) {
        if (const QString why = whyNotOverwrite(book); !why.isEmpty())
            fail(why + QStringLiteral("; save it under another name with Save As"));
    } else if (const auto holder = lockHolder(saveAs)) {
        fail(QStringLiteral("%1 is open in another program (by %2)")
                 .arg(QFileInfo(saveAs).fileName(), *holder));
    }
    if (saveAs.isEmpty() && needsName(book))
        fail(QStringLiteral("it was read from a %1 file; save it as a workbook (.xlsx) under a "
                            "name of its own")
                 .arg(QFileInfo(book.path()).suffix()));
    if (QFileInfo(target).exists())
        target = QFileInfo(target).canonicalFilePath();
    SaveRequest request;
    request.sourcePackage = book.packagePath();
    request.target = target;
    request.fileName = name;
    // The first save keeps the file as it was read: later saves start from it, whatever happens
    // to the file the workbook came from.
    QString readFrom = book.packagePath();
    const bool kept = m_readCopies && readFrom.startsWith(m_readCopies->path() + QLatin1Char('/'));
    if (!readFrom.isEmpty() && !kept) {
        if (!m_readCopies)
            m_readCopies = std::make_unique<QTemporaryDir>();
        const QString copy = m_readCopies->filePath(QString::number(m_saved.size() + 1) +
                                                    QLatin1Char('-') + QFileInfo(target).fileName());
        if (!m_readCopies->isValid() || !QFile::copy(readFrom, copy))
            fail(QStringLiteral("a copy of the file as it was read could not be kept"));
        request.sourcePackage = copy;
        readFrom = copy;
    }
    const WorkbookSnapshot state = book.committed() ? *book.committed() : book.snapshot();
    try {
        saveWorkbook(state, request);
    } catch (const excel::Error& e) {
        fail(e.message());
    }
    book.savedAs(target, readFrom);
    book.setFileStamp(stampOf(target));
    m_saved << target;
}

void EmbeddedApplication::endSession() {
    if (m_ended || !m_savesAtEnd)
        return;
    m_ended = true;
    for (const auto& book : m_books) {
        const auto& state = book->committed();
        if (!state || !state->changed)
            continue;
        SaveRequest request;
        request.sourcePackage = book->packagePath();
        request.fileName = book->Name();
        try {
            if (book->packagePath().isEmpty()) {
                request.target = xlsxBeside(book->path());
                request.replaceTarget = false;
            } else {
                request.target = QFileInfo(book->packagePath()).canonicalFilePath();
                // As the window's save: never over a file someone else has open or changed.
                if (const QString why = whyNotOverwrite(*book); !why.isEmpty())
                    throw excel::Error(QStringLiteral("Save"), why);
            }
            saveWorkbook(*state, request);
        } catch (const excel::Error& e) {
            throw excel::Error(QStringLiteral("Save"),
                               QStringLiteral("The workbook \"%1\" could not be saved: %2. The "
                                              "file on disk is as it was.")
                                   .arg(book->Name(), e.message()));
        }
        m_saved << request.target;
    }
}

QString EmbeddedApplication::Caption() const {
    if (m_active < 0)
        return QStringLiteral("Tallyvane workbook host");
    return m_books[size_t(m_active)]->Name() + QStringLiteral(" - Tallyvane workbook host");
}

std::shared_ptr<excel::Workbook> EmbeddedApplication::workbookNamed(const QString& name) const {
    for (const auto& book : m_books) {
        if (book->Name().compare(name, Qt::CaseInsensitive) == 0)
            return book;
    }
    return nullptr;
}

} // namespace embedded
