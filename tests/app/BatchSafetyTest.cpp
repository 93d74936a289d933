// tallyvane-batch on the workbooks and surroundings that once damaged a workbook or kept the
// program waiting (tests/data/findings-3): odd labels, other programs' locks, pipes, a full disk,
// a kill in the middle of a save, and output a spreadsheet would run.

#include "support/OtherReaders.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QThread>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using testsupport::ProgramRun;

ProgramRun batch(const QStringList& args) {
    return testsupport::runProgram(QStringLiteral(TALLYVANE_BATCH), args);
}

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A writable copy of a file of tests/data in the test's folder.
QString copyOf(const QString& data, const QString& dir, const QString& as = {}) {
    const QString to = dir + "/" + (as.isEmpty() ? QFileInfo(data).fileName() : as);
    QFile::remove(to);
    EXPECT_TRUE(QFile::copy(testsupport::testData(data), to)) << data.toStdString();
    QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                  QFile::ReadOther);
    return to;
}

// What openpyxl (lxml underneath, strict about characters) says of the file: "ok" or its error.
QString openpyxlSays(const QString& file) {
    QProcess p;
    p.start(TALLYVANE_PYTHON, {"-c", "import sys, warnings, openpyxl\n"
                                     "warnings.simplefilter('ignore')\n"
                                     "openpyxl.load_workbook(sys.argv[1])\nprint('ok')",
                               file});
    p.waitForFinished(120000);
    const QString out = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    return out == "ok" ? out : QString::fromUtf8(p.readAllStandardError()).trimmed();
}

QStringList entriesBeside(const QString& dir) {
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// A workbook of a few megabytes whose saves take long enough to be interrupted.
QString largeWorkbook(const QString& path) {
    QByteArray rows;
    for (int r = 1; r <= 150000; ++r)
        rows += "<row r=\"" + QByteArray::number(r) + "\"><c r=\"A" + QByteArray::number(r) +
                "\" t=\"inlineStr\"><is><t>Defect " + QByteArray::number(r % 40) + " of line " +
                QByteArray::number(r % 7) + "</t></is></c><c r=\"B" + QByteArray::number(r) +
                "\"><v>" + QByteArray::number(r * 37 % 1000) + "</v></c></row>";
    testsupport::writeRawXlsx(path, rows);
    return path;
}

} // namespace

// A label holding a control character, U+FFFE or half a surrogate pair (stored as _xHHHH_ in
// the workbook, raw in a .csv): the report with its chart and the highlight give workbooks that
// this program and a strict second reader open again.
TEST(BatchSafety, OddLabelsSaveIntoWorkbooksThatOpenAgain) {
    const QString dir = testsupport::scratchDir("odd-labels");
    const testsupport::OtherReaders others{TALLYVANE_PYTHON, {}, {}};
    const bool openpyxl = others.hasOpenpyxl();
    const struct {
        const char* file;
        QStringList args;
        const char* saved;
    } cases[] = {
        {"ctrl.xlsx", {"--report", "--chart"}, "ctrl.xlsx"},
        {"ctrl.xlsx", {"--highlight", "a\x01" "b"}, "ctrl.xlsx"},
        {"fffe.xlsx", {"--report", "--chart"}, "fffe.xlsx"},
        {"fffe.xlsx", {"--highlight", QString(QChar(0xFFFE))}, "fffe.xlsx"},
        {"ctrl.csv", {"--report", "--chart"}, "ctrl.xlsx"},
    };
    for (const auto& c : cases) {
        QDir(dir).removeRecursively();
        QDir().mkpath(dir);
        const QString book = copyOf(QStringLiteral("findings-3/") + c.file, dir);
        const ProgramRun run = batch(QStringList{book, "--range", "A:A"} + c.args);
        ASSERT_EQ(run.code, 0) << c.file << ": " << run.err.toStdString();
        const QString saved = dir + "/" + c.saved;
        EXPECT_EQ(testsupport::firstMalformedPart(saved), QString()) << c.file;
        EXPECT_EQ(testsupport::reopened(saved), "ok") << c.file;
        if (openpyxl) {
            EXPECT_EQ(openpyxlSays(saved), "ok") << c.file;
        }
        // The labels read back as they were.
        const ProgramRun again = batch({saved, "--range", "A:A", "--format", "json"});
        const ProgramRun first = batch({testsupport::testData(QStringLiteral("findings-3/") +
                                                              c.file),
                                        "--range", "A:A", "--format", "json"});
        EXPECT_EQ(again.out.section("\"categories\"", 1), first.out.section("\"categories\"", 1))
            << c.file;
    }
}

// As the window does: no save over a workbook that another program says it has open; the file
// stays as it was, byte for byte, and the holder is named.
TEST(BatchSafety, ALockedWorkbookIsNotSavedOver) {
    const QString dir = testsupport::scratchDir("locked");
    const QString book = dir + "/book.xlsx";
    ASSERT_TRUE(QFile::copy(TALLYVANE_SAMPLE, book));
    QFile::setPermissions(book, QFile::ReadOwner | QFile::WriteOwner);
    const QByteArray before = bytesOf(book);
    const struct {
        const char* lock;
        QByteArray content;
        const char* holder;
    } locks[] = {
        {"/.~lock.book.xlsx#",
         "Bob,bob,hostb,10.12.2026 05:00,file:///home/bob/.config/libreoffice/4;",
         "Bob on hostb"},
        {"/~$book.xlsx", QByteArray("\x03" "Ann", 4) + QByteArray(60, ' '), "Ann"},
    };
    for (const auto& l : locks) {
        testsupport::writeFile(dir + l.lock, l.content);
        for (const QStringList& action :
             {QStringList{"--report", "--chart"}, QStringList{"--highlight", "Scratch"}}) {
            const ProgramRun run = batch(QStringList{book, "--range", "C:C"} + action);
            EXPECT_EQ(run.code, 1) << l.lock;
            EXPECT_TRUE(run.err.contains(QStringLiteral("The workbook \"book.xlsx\" could not be "
                                                        "saved: it is open in another program "
                                                        "(by %1)")
                                             .arg(l.holder)))
                << run.err.toStdString();
            EXPECT_TRUE(bytesOf(book) == before) << l.lock;
        }
        QFile::remove(dir + l.lock);
    }
}

// A pipe named like a lock file is read without waiting for a writer: the workbook is analysed
// and saved as if it were not there.
TEST(BatchSafety, APipeNamedLikeALockFileDoesNotHoldTheProgram) {
    const QString dir = testsupport::scratchDir("fifo");
    const QString book = dir + "/book.xlsx";
    ASSERT_TRUE(QFile::copy(TALLYVANE_SAMPLE, book));
    QFile::setPermissions(book, QFile::ReadOwner | QFile::WriteOwner);
    for (const char* lock : {"/.~lock.book.xlsx#", "/~$book.xlsx"})
        ASSERT_EQ(::mkfifo(QFile::encodeName(dir + lock).constData(), 0644), 0);
    QProcess p;
    p.start(TALLYVANE_BATCH, {book, "--range", "C:C", "--report"});
    const bool ended = p.waitForFinished(60000);
    if (!ended)
        p.kill();
    ASSERT_TRUE(ended) << "waited on the pipe";
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    EXPECT_EQ(testsupport::reopened(book), "ok");
}

// The same answer from both XML readers for a declaration with standalone="YES": refused with
// or without the comment that sends the part to the full parser.
TEST(BatchSafety, BothXmlReadersAnswerAlikeForADeclaration) {
    const ProgramRun plain =
        batch({testsupport::testData("findings-3/yes_upper.xlsx"), "--range", "A:A"});
    const ProgramRun full =
        batch({testsupport::testData("findings-3/yes_upper_comment.xlsx"), "--range", "A:A"});
    EXPECT_EQ(plain.code, 1);
    EXPECT_EQ(full.code, 1);
    EXPECT_EQ(plain.err.section("cannot be opened: ", 1), full.err.section("cannot be opened: ", 1));
    EXPECT_TRUE(plain.err.contains("XML declaration not well-formed")) << plain.err.toStdString();
}

// Comma-separated output that a spreadsheet opens runs no formula; JSON keeps the labels exact.
TEST(BatchSafety, CsvOutputRunsNoFormula) {
    const QString csv = testsupport::testData("findings-3/inj.csv");
    const ProgramRun run = batch({csv, "--range", "A:A", "--format", "csv"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "Category,Count,Count(%),Cum(%),Bar chart of Count(%)\r\n"
                       "\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\",2,28.6%,28.6%,"
                       "******************************\r\n"
                       "Cat,1,14.3%,42.9%,***************\r\n"
                       "'+cmd|' /C calc'!A0,1,14.3%,57.1%,***************\r\n"
                       "'@SUM(1),1,14.3%,71.4%,***************\r\n"
                       "'-2+3,1,14.3%,85.7%,***************\r\n"
                       "'=1+1,1,14.3%,100.0%,***************\r\n");
    const ProgramRun json = batch({csv, "--range", "A:A", "--format", "json"});
    EXPECT_TRUE(json.out.contains("{\"label\": \"+cmd|' /C calc'!A0\", \"count\": 1"))
        << json.out.toStdString();
}

// A full disk: the result file and the workbook stay as they were, and the message says why in
// the system's words. Run in a file system of its own (a small tmpfs in a mount namespace of
// the test's own, which needs the right to make one).
TEST(BatchSafety, AFullDiskIsSaidInTheSystemsWords) {
    const QString dir = testsupport::scratchDir("full-disk");
    const QString mount = dir + "/disk";
    QDir().mkpath(mount);
    const QString script = QStringLiteral(
        "set -e\n"
        "mount -t tmpfs -o size=96k tmpfs \"$1\" 2>/dev/null || exit 77\n"
        "cp \"$3\" \"$1/book.xlsx\"; printf old > \"$1/out.tsv\"\n"
        "dd if=/dev/zero of=\"$1/fill\" bs=1k count=200 2>/dev/null || true\n"
        "set +e\n"
        "\"$2\" \"$3\" --range C:C --output \"$1/out.tsv\" 2>\"$1/../output.err\"; echo $? > \"$1/../output.rc\"\n"
        "cat \"$1/out.tsv\" > \"$1/../output.kept\"\n"
        "\"$2\" \"$1/book.xlsx\" --range C:C --report 2>\"$1/../save.err\"; echo $? > \"$1/../save.rc\"\n"
        "cmp -s \"$1/book.xlsx\" \"$3\"; echo $? > \"$1/../save.same\"\n"
        "ls -A \"$1\" > \"$1/../left\"\n");
    const int code = QProcess::execute(
        "unshare", {"--mount", "--propagation", "private", "sh", "-c", script, "sh", mount,
                    TALLYVANE_BATCH, TALLYVANE_SAMPLE});
    if (code == 77 || code < 0)
        GTEST_SKIP() << "no tmpfs can be mounted here";
    ASSERT_EQ(code, 0);
    EXPECT_EQ(bytesOf(dir + "/output.rc").trimmed(), "1");
    EXPECT_EQ(bytesOf(dir + "/output.err").trimmed(),
              "tallyvane-batch: Could not write the result into \"" + (mount + "/out.tsv").toUtf8() +
                  "\": No space left on device.");
    EXPECT_EQ(bytesOf(dir + "/output.kept"), "old");
    EXPECT_EQ(bytesOf(dir + "/save.rc").trimmed(), "1");
    EXPECT_TRUE(bytesOf(dir + "/save.err").contains("No space left on device"))
        << bytesOf(dir + "/save.err").toStdString();
    EXPECT_EQ(bytesOf(dir + "/save.same").trimmed(), "0");
    EXPECT_EQ(bytesOf(dir + "/left"), "book.xlsx\nfill\nout.tsv\n");
}

// Killed at any moment while it saves, the program leaves the workbook whole and at most a file
// of its own beside it, which the next save removes.
TEST(BatchSafety, AKilledSaveLeavesNothingAfterTheNextSave) {
    const QString dir = testsupport::scratchDir("killed");
    const QString book = largeWorkbook(dir + "/victim.xlsx");
    const QStringList args = {book, "--range", "A:A", "--report", "--chart"};
    QElapsedTimer clock;
    clock.start();
    {
        const QString probe = dir + "/probe.xlsx";
        QFile::copy(book, probe);
        ASSERT_EQ(batch({probe, "--range", "A:A", "--report", "--chart"}).code, 0);
        QFile::remove(probe);
    }
    const qint64 whole = std::max<qint64>(clock.elapsed(), 50);
    const QStringList listed = entriesBeside(dir);
    const QSet<QString> before(listed.begin(), listed.end());
    int killedWhileSaving = 0;
    for (int round = 0; round < 16; ++round) {
        QProcess p;
        p.start(TALLYVANE_BATCH, args);
        ASSERT_TRUE(p.waitForStarted());
        clock.restart();
        // Half the rounds kill as soon as a new file shows beside the workbook, the others at a
        // moment anywhere in the run.
        const qint64 at = round % 2 ? QRandomGenerator::global()->bounded(whole) : whole * 4;
        while (p.state() != QProcess::NotRunning && clock.elapsed() < at) {
            const QStringList now = entriesBeside(dir);
            if (round % 2 == 0 && QSet<QString>(now.begin(), now.end()) != before) {
                ++killedWhileSaving;
                break;
            }
            QThread::usleep(200);
        }
        p.kill(); // SIGKILL
        p.waitForFinished();
        EXPECT_EQ(testsupport::reopened(book), "ok") << "round " << round;
    }
    ASSERT_EQ(batch(args).code, 0);
    EXPECT_EQ(entriesBeside(dir), QStringList{"victim.xlsx"});
    std::printf("%d of 16 kills came while a file of the save was there\n", killedWhileSaving);
}
