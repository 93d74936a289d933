// What a save must never do to the user's file, whatever the labels hold and whoever else works
// on it: write a part that strict readers refuse, take the file from its owner or its other
// names, leave its temporary files behind, or write over a file another program has open.

#include "core/analysis/Highlight.h"
#include "excel/Error.h"
#include "excel/Workbook.h"
#include "engines/embedded/EmbeddedApplication.h"
#include "engines/embedded/LockFile.h"
#include "engines/embedded/ReplacementFile.h"
#include "engines/embedded/xlsx/XlsxWriter.h"
#include "engines/embedded/xlsx/XmlStream.h"
#include "core/report/ReportAction.h"
#include "support/AnalysisFixture.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QSysInfo>
#include <QXmlStreamReader>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <csignal>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace testsupport;

namespace {

// The texts of the elements or attributes of that local name in a part, escapes decoded.
QStringList textsIn(const QByteArray& part, const QString& element, const QString& attribute = {}) {
    QStringList out;
    QXmlStreamReader xml(part);
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement() || xml.name() != element)
            continue;
        out << embedded::decodeEscapes(attribute.isEmpty()
                                           ? xml.readElementText()
                                           : xml.attributes().value(attribute).toString());
    }
    return out;
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Opens the workbook and writes the report of the reference into it, not yet saved.
std::shared_ptr<embedded::EmbeddedApplication> reportInto(const QString& path,
                                                          const QString& reference) {
    auto app = embedded::EmbeddedApplication::create();
    app->open(path);
    Analysis analysis(app, reference);
    analysis.analyse();
    EXPECT_EQ(report::runReport(*app, app->ActiveWorkbook(), analysis.main, false).outcome,
              report::ReportResult::Outcome::Written);
    return app;
}

QStringList hiddenFilesIn(const QString& dir) {
    return QDir(dir).entryList(QDir::Hidden | QDir::Files | QDir::System).filter(QRegularExpression("^\\."));
}

} // namespace

// Control characters, U+FFFE and U+FFFF, half a surrogate pair and a literal escape: each is
// written as spreadsheets store it, in the cells, the highlight rule and the chart's caches, and
// reads back as the same text.
TEST(SaveIntegrity, TextsXmlCannotHoldComeBackFromEveryPart) {
    const QString odd = QStringLiteral("a\x01") + QChar(0xFFFE) + QChar(0xD800) +
                        QStringLiteral("b_x0041_\x1b") + QChar(0xFFFF);
    const QStringList labels = {odd, QString(QChar(0)) + QStringLiteral("nul"),
                                QStringLiteral("plain"), QStringLiteral("_x005F_ twice")};
    QVector<excel::Variant> column{excel::Variant("Defect")};
    for (int i = 0; i < labels.size(); ++i)
        for (int n = 0; n <= i; ++n)
            column << excel::Variant(labels[i]);
    Analysis analysis(column);
    analysis.reference = QStringLiteral("A2:A%1").arg(column.size());
    analysis.analyse();
    ASSERT_EQ(analysis.main.count(), labels.size());
    auto& app = *analysis.app;
    const excel::Range range = *analysis.table.AnalysedRange;
    ASSERT_TRUE(analysis::runHighlightAction(
                    app, [&] { analysis::HighlightCategory(range, odd); }, QStringLiteral("set"))
                    .isEmpty());
    ASSERT_EQ(report::runReport(app, app.ActiveWorkbook(), analysis.main, true).outcome,
              report::ReportResult::Outcome::Written);
    const QString path = scratchDir(QStringLiteral("odd")) + QStringLiteral("/odd.xlsx");
    auto book = std::static_pointer_cast<embedded::EmbeddedWorkbook>(app.ActiveWorkbook());
    app.save(*book, path);

    EXPECT_EQ(firstMalformedPart(path), QString());
    const embedded::WorkbookData saved = embedded::readWorkbookFile(path);
    ASSERT_EQ(saved.sheets.size(), 2u);
    QStringList source, report;
    for (int row = 2; row <= int(column.size()); ++row)
        source << saved.sheets[0].cells->value(row, 1).toString();
    for (int row = 2; row <= labels.size() + 1; ++row)
        report << saved.sheets[1].cells->value(row, 1).toString();
    QStringList expectedSource;
    for (int i = 1; i < column.size(); ++i)
        expectedSource << column[i].toString();
    EXPECT_EQ(source, expectedSource);
    QStringList sortedLabels = labels;
    sortedLabels.sort();
    report.sort();
    EXPECT_EQ(report, sortedLabels);

    const QByteArray sheet = partText(path, QStringLiteral("xl/worksheets/sheet1.xml"));
    EXPECT_EQ(textsIn(sheet, "cfRule", "text"), QStringList{odd});
    EXPECT_EQ(textsIn(sheet, "formula"),
              QStringList{QStringLiteral("NOT(ISERROR(SEARCH(\"%1\",A2)))").arg(odd)});
    QStringList cached = textsIn(partText(path, QStringLiteral("xl/charts/chart1.xml")), "v");
    for (const QString& label : labels)
        EXPECT_TRUE(cached.contains(label)) << label.toStdString();
}

// As the user's file was: its owner and group (when this program may give them), its mode, and
// its extended attributes, an access control list among them.
TEST(SaveIntegrity, TheReplacedFileKeepsItsOwnerModeAndAttributes) {
    const QString dir = scratchDir(QStringLiteral("owner"));
    const QString path = dir + QStringLiteral("/Book.xlsx");
    writeXlsx(path, {sheetSpec(QStringLiteral("Log"), {{"A1", excel::Variant("Scratch")},
                                                       {"A2", excel::Variant("Dent")}})});
    const QByteArray file = QFile::encodeName(path);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(file.constData(), 65534, 65534), 0);
    }
    ASSERT_EQ(::chmod(file.constData(), 0640), 0);
    const bool attributes = ::setxattr(file.constData(), "user.origin", "mill 3", 6, 0) == 0;
    // An access list: the owner reads and writes, user 4242 reads, the group reads, no others.
    const unsigned char acl[] = {2, 0, 0, 0,                                // version
                                 1, 0, 6, 0, 0xff, 0xff, 0xff, 0xff,        // owner rw
                                 2, 0, 4, 0, 0x92, 0x10, 0, 0,              // user 4242 r
                                 4, 0, 4, 0, 0xff, 0xff, 0xff, 0xff,        // group r
                                 0x10, 0, 4, 0, 0xff, 0xff, 0xff, 0xff,     // mask r
                                 0x20, 0, 0, 0, 0xff, 0xff, 0xff, 0xff};    // others nothing
    const bool acls =
        ::setxattr(file.constData(), "system.posix_acl_access", acl, sizeof acl, 0) == 0;
    struct stat before {};
    ASSERT_EQ(::stat(file.constData(), &before), 0);

    reportInto(path, QStringLiteral("A1:A2"))->endSession();

    struct stat after {};
    ASSERT_EQ(::stat(file.constData(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino) << "replaced whole, not written in place";
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    EXPECT_EQ(after.st_mode & 07777, before.st_mode & 07777);
    char value[64] = {};
    if (attributes) {
        EXPECT_EQ(::getxattr(file.constData(), "user.origin", value, sizeof value), 6);
        EXPECT_STREQ(value, "mill 3");
    }
    if (acls) {
        unsigned char kept[128] = {};
        ASSERT_EQ(::getxattr(file.constData(), "system.posix_acl_access", kept, sizeof kept),
                  ssize_t(sizeof acl));
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(kept), sizeof acl),
                  QByteArray(reinterpret_cast<const char*>(acl), sizeof acl));
    }
    EXPECT_EQ(embedded::readWorkbookFile(path).sheets.size(), 2u);
    if (!root || !attributes || !acls)
        std::printf("checked without%s%s%s\n", root ? "" : " the owner (not root)",
                    attributes ? "" : " extended attributes", acls ? "" : " access lists");
}

// A file with another name (a hard link) is not parted from it: the save says why, and both
// names keep the same, old content.
TEST(SaveIntegrity, AFileWithHardLinksIsRefusedAndLeftWhole) {
    const QString dir = scratchDir(QStringLiteral("links"));
    const QString path = dir + QStringLiteral("/Book.xlsx");
    const QString other = dir + QStringLiteral("/Same book.xlsx");
    writeXlsx(path, {sheetSpec(QStringLiteral("Log"), {{"A1", excel::Variant("Scratch")},
                                                       {"A2", excel::Variant("Dent")}})});
    ASSERT_EQ(::link(QFile::encodeName(path).constData(), QFile::encodeName(other).constData()),
              0);
    const QByteArray before = fileBytes(path);
    auto app = reportInto(path, QStringLiteral("A1:A2"));
    try {
        app->endSession();
        FAIL() << "a file with two names was parted from one";
    } catch (const excel::Error& e) {
        EXPECT_EQ(e.message(),
                  QStringLiteral("The workbook \"Book.xlsx\" could not be saved: the file %1 has "
                                 "2 names in the file system (hard links), which a save would "
                                 "part, leaving the others with the old content; save under "
                                 "another name. The file on disk is as it was.")
                      .arg(QFileInfo(path).canonicalFilePath()));
    }
    EXPECT_EQ(fileBytes(path), before);
    EXPECT_EQ(fileBytes(other), before);
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    EXPECT_EQ(st.st_nlink, 2u);
    EXPECT_EQ(hiddenFilesIn(dir), QStringList());
}

// What a save killed midway left beside the file (a temporary of ours whose process has gone) is
// removed by the next save; one of a save still running elsewhere is not.
TEST(SaveIntegrity, TheNextSaveRemovesWhatAKilledSaveLeft) {
    const QString dir = scratchDir(QStringLiteral("leftovers"));
    const QString path = dir + QStringLiteral("/Book.xlsx");
    writeXlsx(path, {sheetSpec(QStringLiteral("Log"), {{"A1", excel::Variant("Scratch")}})});
    const pid_t gone = ::fork();
    if (gone == 0)
        ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    const QString prefix = dir + QLatin1Char('/') + embedded::ReplacementFile::temporaryPrefix(path);
    const QString left = prefix + QString::number(gone) + QStringLiteral("-Ab12Cd");
    const QString running = prefix + QString::number(::getpid()) + QStringLiteral("-Ab12Cd");
    const QString notOurs = dir + QStringLiteral("/.Book.xlsx.Ab12Cd");
    for (const QString& f : {left, running, notOurs})
        writeFile(f, "partial");

    auto app = embedded::EmbeddedApplication::create();
    auto book = app->open(path);
    app->save(*book, dir + QStringLiteral("/Book.xlsx"));
    EXPECT_FALSE(QFile::exists(left));
    EXPECT_TRUE(QFile::exists(running));
    EXPECT_TRUE(QFile::exists(notOurs));
    QFile::remove(running);
    QFile::remove(notOurs);
    EXPECT_EQ(hiddenFilesIn(dir), QStringList());
}

// "data.xlsx" taken by anything, a link to nothing among them, sends the .csv's workbook to
// "data (2).xlsx"; nothing is written through the link.
TEST(SaveIntegrity, ANameHeldByADanglingLinkIsTaken) {
    const QString dir = scratchDir(QStringLiteral("dangling"));
    writeFile(dir + QStringLiteral("/data.csv"), "L\na\nb\na\n");
    ASSERT_EQ(::symlink("/nonexistent/elsewhere.xlsx",
                        QFile::encodeName(dir + QStringLiteral("/data.xlsx")).constData()),
              0);
    EXPECT_EQ(embedded::xlsxBeside(dir + QStringLiteral("/data.csv")),
              dir + QStringLiteral("/data (2).xlsx"));
    auto app = reportInto(dir + QStringLiteral("/data.csv"), QStringLiteral("A2:A4"));
    app->endSession();
    EXPECT_EQ(app->savedFiles(), QStringList{dir + QStringLiteral("/data (2).xlsx")});
    EXPECT_TRUE(QFileInfo(dir + QStringLiteral("/data.xlsx")).isSymLink());
    EXPECT_FALSE(QFile::exists(QStringLiteral("/nonexistent/elsewhere.xlsx")));
}

// A lock that another program took after the workbook was read refuses the save as one found at
// the start would; so does the file changed on disk. The batch's save and the window's alike.
TEST(SaveIntegrity, ALockOrAChangeAfterTheReadRefusesTheSave) {
    const QString dir = scratchDir(QStringLiteral("late-lock"));
    const QString path = dir + QStringLiteral("/book.xlsx");
    writeXlsx(path, {sheetSpec(QStringLiteral("Log"), {{"A1", excel::Variant("Scratch")},
                                                       {"A2", excel::Variant("Dent")}})});
    const QByteArray before = fileBytes(path);
    const QString lock = dir + QStringLiteral("/.~lock.book.xlsx#");
    for (const bool windowSave : {false, true}) {
        auto app = reportInto(path, QStringLiteral("A1:A2"));
        const auto book = app->workbooks().front();
        EXPECT_TRUE(book->lockedBy().isEmpty());
        writeFile(lock, "Bob,bob,hostb,10.12.2026 05:00,file:///home/bob/.config/libreoffice/4;");
        try {
            windowSave ? app->save(*book) : app->endSession();
            FAIL() << "saved over a file another program has open";
        } catch (const excel::Error& e) {
            EXPECT_TRUE(e.message().startsWith(
                "The workbook \"book.xlsx\" could not be saved: it is open in another program "
                "(by Bob on hostb), and saving would replace what they save"))
                << e.message().toStdString();
        }
        EXPECT_EQ(book->lockedBy(), QStringLiteral("Bob on hostb"));
        EXPECT_EQ(fileBytes(path), before);
        QFile::remove(lock);
    }
}

// A pipe named like a lock file is no lock, and reading it must not wait for a writer; a pipe
// named like the workbook is refused with a sentence.
TEST(SaveIntegrity, PipesAreNeitherLocksNorWorkbooks) {
    const QString dir = scratchDir(QStringLiteral("fifo"));
    const QString path = dir + QStringLiteral("/book.xlsx");
    writeXlsx(path, {sheetSpec(QStringLiteral("Log"), {{"A1", excel::Variant("Scratch")}})});
    for (const char* lock : {"/.~lock.book.xlsx#", "/~$book.xlsx"})
        ASSERT_EQ(::mkfifo(QFile::encodeName(dir + QLatin1String(lock)).constData(), 0644), 0);
    EXPECT_EQ(embedded::lockHolder(path), std::nullopt);
    auto app = embedded::EmbeddedApplication::create();
    EXPECT_TRUE(app->open(path)->lockedBy().isEmpty());

    const QString pipe = dir + QStringLiteral("/pipe.xlsx");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0644), 0);
    try {
        app->open(pipe);
        FAIL() << "a pipe was read as a workbook";
    } catch (const excel::Error& e) {
        EXPECT_EQ(e.message(), "The workbook \"pipe.xlsx\" cannot be opened: it is not a regular "
                               "file (a pipe, a socket or a device); save the workbook as a file "
                               "and open that.");
    }
}

// The lock this program keeps while a workbook is open for editing: LibreOffice's form, never
// over another program's lock, a stale one of ours replaced, and gone when released. Its own
// lock does not keep the program from saving.
TEST(SaveIntegrity, TheEditLockIsLibreOfficesFormAndOnlyEverOurs) {
    const QString dir = scratchDir(QStringLiteral("edit-lock"));
    const QString path = dir + QStringLiteral("/book.xlsx");
    const QString lock = embedded::officeLockPath(path);
    EXPECT_EQ(lock, dir + QStringLiteral("/.~lock.book.xlsx#"));
    {
        embedded::EditLock held(path);
        ASSERT_TRUE(held.held());
        const QString record = QString::fromUtf8(fileBytes(lock));
        const QStringList fields = record.chopped(1).split(QLatin1Char(','));
        ASSERT_EQ(fields.size(), 5) << record.toStdString();
        EXPECT_TRUE(record.endsWith(QLatin1Char(';')));
        EXPECT_EQ(fields[2], QSysInfo::machineHostName());
        EXPECT_TRUE(QRegularExpression("^\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d$")
                        .match(fields[3])
                        .hasMatch())
            << fields[3].toStdString();
        EXPECT_EQ(fields[4], QStringLiteral("tallyvane-%1").arg(::getpid()));
        EXPECT_EQ(embedded::lockHolder(path), std::nullopt) << "our own lock holds nobody back";
    }
    EXPECT_FALSE(QFile::exists(lock));

    // Another program's lock stays as it is.
    const QByteArray theirs = "Bob,bob,hostb,10.12.2026 05:00,file:///home/bob/.config/lo/4;";
    writeFile(lock, theirs);
    {
        embedded::EditLock refused(path);
        EXPECT_FALSE(refused.held());
    }
    EXPECT_EQ(fileBytes(lock), theirs);
    EXPECT_EQ(embedded::lockHolder(path), QStringLiteral("Bob on hostb"));

    // One a program of ours left when it was killed: replaced; while it runs: respected.
    const pid_t gone = ::fork();
    if (gone == 0)
        ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    const QString user = QString::fromLocal8Bit(::getpwuid(::geteuid())->pw_name);
    const auto ours = [&](qint64 pid) {
        return (QStringLiteral("Me,%1,%2,10.12.2026 05:00,tallyvane-%3;")
                    .arg(user, QSysInfo::machineHostName())
                    .arg(pid))
            .toUtf8();
    };
    const pid_t running = ::fork();
    if (running == 0) {
        ::pause();
        ::_exit(0);
    }
    writeFile(lock, ours(running));
    EXPECT_EQ(embedded::lockHolder(path), QStringLiteral("Me on %1").arg(QSysInfo::machineHostName()));
    EXPECT_FALSE(embedded::EditLock(path).held());
    ::kill(running, SIGKILL);
    ::waitpid(running, nullptr, 0);
    writeFile(lock, ours(gone));
    EXPECT_EQ(embedded::lockHolder(path), std::nullopt);
    {
        embedded::EditLock replaced(path);
        EXPECT_TRUE(replaced.held());
    }
    EXPECT_FALSE(QFile::exists(lock));
}
