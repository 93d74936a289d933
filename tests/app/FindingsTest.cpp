// The workbooks that once broke the engine, each run through tallyvane-batch as its finding says,
// on a copy: refused with a sentence that says what is wrong, or read, counted and saved into a
// file that opens again, with every untouched entry as it was.

#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

struct BatchRun {
    int code;
    QString out;
    QString err;
};

class Findings : public ::testing::Test {
protected:
    void SetUp() override {
        m_source = testsupport::testData(QStringLiteral("findings"));
        m_dir = testsupport::scratchDir("findings");
    }

    // A writable copy of a finding.
    QString copy(const QString& name) {
        const QString path = m_dir + "/" + name;
        QFile::remove(path);
        EXPECT_TRUE(QFile::copy(m_source + "/" + name, path)) << name.toStdString();
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        return path;
    }

    BatchRun batch(const QString& name, const QStringList& args) {
        QProcess p;
        p.start(QStringLiteral(TALLYVANE_BATCH), QStringList{copy(name)} + args);
        p.waitForFinished(120000);
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }

    // "label count" per category, in the table's order.
    static QStringList counts(const QString& out) {
        QStringList lines;
        for (const QString& line : out.split("\r\n", Qt::SkipEmptyParts).mid(1)) {
            const QStringList f = line.split('\t');
            lines << f[0] + " " + f[1];
        }
        return lines;
    }

    QString path(const QString& name) const { return m_dir + "/" + name; }

    QString m_source;
    QString m_dir;
};

TEST_F(Findings, BrokenStructureIsRefusedWithWhatIsWrong) {
    const struct {
        const char* file;
        QStringList args;
        const char* reason;
    } cases[] = {
        {"row_inside_cell.xlsx", {}, "has a row that opens inside its cell A1"},
        {"implicit_row_beyond_last.xlsx",
         {"--range", "Causes!A:A"},
         "the sheet \"Causes\" has more rows than the last row 1048576"},
        {"f7_row_zero.xlsx",
         {},
         "the sheet \"Data\" has a row numbered 0; rows are numbered from 1 to 1048576"},
        {"sheet_entries_5000.xlsx",
         {},
         "its sheets \"Defect log\" and \"Defect log\" both name the part "
         "xl/worksheets/sheet1.xml; each sheet needs a part of its own"},
    };
    for (const auto& c : cases) {
        const BatchRun run = batch(c.file, c.args);
        EXPECT_EQ(run.code, 1) << c.file;
        EXPECT_EQ(run.out, "") << c.file;
        EXPECT_TRUE(run.err.contains(c.reason)) << c.file << ": " << run.err.toStdString();
    }
}

TEST_F(Findings, EveryListedLabelCountsItsCells) {
    const struct {
        const char* file;
        QStringList args;
        QStringList counts;
    } cases[] = {
        {"f1_name_error.xlsx", {"--range", "A:A"}, {"#NAME? 2", "Status 1", "#N/A 1"}},
        {"f2_time_of_day.xlsx",
         {"--range", "A:A"},
         {"12:00:00 3", "Shift start 1", "06:00:00 1"}},
        {"r3_long_decimal.xlsx", {"--range", "A:A"}, {"25.3966666666667 2", "Mean 1", "0.5 1"}},
        {"f3_empty_shared_string_cell.xlsx", {"--range", "A:A"}, {"Alice 2", "Name 1"}},
        {"f4a_iso_datetime_ms.xlsx",
         {"--range", "A:A"},
         {"When 1", "31 Dec 2021 23:44:51.894 1", "31 Dec 2021 23:44:51 1"}},
        {"f4b_iso_time_of_day.xlsx",
         {"--range", "A:A"},
         {"When 1", "10:10:10 1", "1 Jan 2021 10:10:10 1"}},
        {"date_serial_1e20.xlsx",
         {"--range", "Causes!C1:C6"},
         {"When 1", "1E+20 1", "2 Jan 2024 1", "3 Jan 2024 1", "4 Jan 2024 1", "5 Jan 2024 1"}},
    };
    for (const auto& c : cases) {
        const BatchRun run = batch(c.file, c.args);
        EXPECT_EQ(run.code, 0) << c.file << ": " << run.err.toStdString();
        EXPECT_EQ(counts(run.out), c.counts) << c.file;
    }
}

// Each save opens again, in this reader and in a second one; what was not touched keeps its
// compressed bytes and its method.
TEST_F(Findings, SavesKeepTheWorkbookWhole) {
    const QStringList highlight = {"--range", "Causes!A2:A6", "--highlight", "Dent"};
    const struct {
        const char* file;
        QStringList args;
    } cases[] = {
        {"sqref_with_blanks.xlsx", highlight},
        {"priority_max.xlsx", highlight},
        {"names_50000.xlsx", highlight},
        {"numfmtid_max.xlsx", {"--range", "Causes!A2:A6", "--report", "--chart"}},
        {"sheetid_max.xlsx", {"--range", "Causes!A2:A6", "--report"}},
        {"f5_stored_entry.xlsx", {"--range", "A:A", "--report"}},
        {"f8_blank_label.xlsx", {"--range", "A:A", "--report"}},
    };
    for (const auto& c : cases) {
        const auto before = testsupport::entries(m_source + "/" + c.file);
        const BatchRun run = batch(c.file, c.args);
        ASSERT_EQ(run.code, 0) << c.file << ": " << run.err.toStdString();
        EXPECT_EQ(testsupport::reopened(path(c.file)), "ok") << c.file;
        const auto after = testsupport::entries(path(c.file));
        for (const auto& [name, entry] : before) {
            if (name.endsWith(".xml") || name.endsWith(".rels"))
                continue; // parts a save may edit
            ASSERT_TRUE(after.count(name)) << c.file << " lost " << name.toStdString();
            EXPECT_EQ(after.at(name).method, entry.method) << c.file << " " << name.toStdString();
            EXPECT_TRUE(after.at(name).compressed == entry.compressed)
                << c.file << " " << name.toStdString();
        }
    }
}

TEST_F(Findings, SavedPartsHoldWhatTheFindingAsks) {
    const auto part = [&](const QString& file, const char* name) {
        return testsupport::partText(path(file), QString::fromLatin1(name));
    };
    const QStringList highlight = {"--range", "Causes!A2:A6", "--highlight", "Dent"};
    ASSERT_EQ(batch("sqref_with_blanks.xlsx", highlight).code, 0);
    EXPECT_TRUE(part("sqref_with_blanks.xlsx", "xl/worksheets/sheet1.xml")
                    .contains("<conditionalFormatting sqref = \"A1:B1 A7:B9 B2:B6\">"));

    ASSERT_EQ(batch("priority_max.xlsx", highlight).code, 0);
    const QByteArray rules = part("priority_max.xlsx", "xl/worksheets/sheet1.xml");
    EXPECT_TRUE(rules.contains("priority=\"2147483647\"") && rules.contains("priority=\"1\""))
        << rules.toStdString();

    ASSERT_EQ(batch("numfmtid_max.xlsx", {"--range", "Causes!A2:A6", "--report"}).code, 0);
    EXPECT_TRUE(part("numfmtid_max.xlsx", "xl/styles.xml")
                    .contains("<numFmt numFmtId=\"164\" formatCode=\"0.0%\"/>"));

    ASSERT_EQ(batch("sheetid_max.xlsx", {"--range", "Causes!A2:A6", "--report"}).code, 0);
    const QByteArray workbook = part("sheetid_max.xlsx", "xl/workbook.xml");
    EXPECT_TRUE(workbook.contains("name=\"Tallyvane1\" sheetId=\"3\"") ||
                workbook.contains("name=\"Tallyvane1\" sheetId=\"2\""))
        << workbook.toStdString();

    ASSERT_EQ(batch("f8_blank_label.xlsx", {"--range", "A:A", "--report"}).code, 0);
    EXPECT_TRUE(part("f8_blank_label.xlsx", "xl/worksheets/sheet2.xml")
                    .contains("<t xml:space=\"preserve\">  </t>"));
}

TEST_F(Findings, AWorkbookThatCannotBeSavedSaysWhyAndStaysAsItWas) {
    const BatchRun run = batch("f6_utf16_workbook.xlsx", {"--range", "A:A", "--report"});
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.contains("The workbook \"f6_utf16_workbook.xlsx\" could not be saved: its "
                                 "part xl/workbook.xml is written in UTF-16"))
        << run.err.toStdString();
    EXPECT_FALSE(run.err.contains("cannot be opened"));
    QFile a(m_source + "/f6_utf16_workbook.xlsx");
    QFile b(path("f6_utf16_workbook.xlsx"));
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    EXPECT_TRUE(a.readAll() == b.readAll());
}

} // namespace
