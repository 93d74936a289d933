// Hostile workbook files, made by a script before this test: each is refused with its reason,
// quickly and without the reader's memory growing with what the file claims.

#include "excel/Error.h"
#include "engines/embedded/xlsx/XlsxReader.h"
#include "support/TestFiles.h"

#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

// Peak memory of this process so far. Each test runs in a process of its own.
qint64 peakBytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return qint64(usage.ru_maxrss) * 1024;
}

QString hostile(const char* name) {
    return testsupport::generatedDir("hostile") + "/" + name;
}

QString refusalOf(const char* name) {
    const QString path = hostile(name);
    if (!QFileInfo::exists(path))
        return QStringLiteral("(missing test file %1)").arg(path);
    try {
        embedded::readXlsx(path);
    } catch (const excel::Error& e) {
        EXPECT_EQ(e.member(), "Open");
        return e.message();
    }
    return QString();
}

// Far below what any of these files would take if its claims were believed.
constexpr qint64 kMemoryBound = qint64(160) << 20;

TEST(HostileFiles, ZipBombIsRefusedBeforeUnpacking) {
    EXPECT_EQ(refusalOf("zip_bomb.xlsx"),
              "The workbook \"zip_bomb.xlsx\" cannot be opened: its part xl/worksheets/sheet1.xml "
              "would unpack to 1.0 GB, more than the 512.0 MB allowed for one part.");
    EXPECT_LT(peakBytes(), kMemoryBound);
}

TEST(HostileFiles, SizesThatLieAreCaughtWhileUnpacking) {
    EXPECT_EQ(refusalOf("lying_sizes.xlsx"),
              "The workbook \"lying_sizes.xlsx\" cannot be opened: its part "
              "xl/worksheets/sheet1.xml is damaged: it unpacks to more bytes than its header "
              "declares (1,000 bytes).");
    EXPECT_LT(peakBytes(), kMemoryBound);
}

TEST(HostileFiles, DamagedArchivesAreRefused) {
    const QString cutShort = "it is not a workbook file, or it is damaged (no zip directory at "
                             "its end; the file may be cut short).";
    EXPECT_EQ(refusalOf("truncated_half.xlsx"),
              "The workbook \"truncated_half.xlsx\" cannot be opened: " + cutShort);
    EXPECT_EQ(refusalOf("truncated_tail.xlsx"),
              "The workbook \"truncated_tail.xlsx\" cannot be opened: " + cutShort);
    EXPECT_EQ(refusalOf("not_a_zip.xlsx"),
              "The workbook \"not_a_zip.xlsx\" cannot be opened: " + cutShort);
    EXPECT_TRUE(refusalOf("corrupted.xlsx")
                    .startsWith("The workbook \"corrupted.xlsx\" cannot be opened: its part "
                                "xl/worksheets/sheet1.xml is damaged ("))
        << refusalOf("corrupted.xlsx").toStdString();
    EXPECT_EQ(refusalOf("valid_large.xlsx"), "");
}

TEST(HostileFiles, DocumentTypeDeclarationsAreRefusedWherever) {
    const QString why = "holds a document type declaration, which workbook files never have; it "
                        "is refused for safety.";
    EXPECT_EQ(
        refusalOf("billion_laughs.xlsx"),
        "The workbook \"billion_laughs.xlsx\" cannot be opened: its part xl/sharedStrings.xml " +
            why);
    EXPECT_EQ(refusalOf("billion_laughs_workbook.xlsx"),
              "The workbook \"billion_laughs_workbook.xlsx\" cannot be opened: its part "
              "xl/workbook.xml " +
                  why);
    EXPECT_EQ(refusalOf("external_entity.xlsx"),
              "The workbook \"external_entity.xlsx\" cannot be opened: its part "
              "xl/worksheets/sheet1.xml " +
                  why);
    EXPECT_LT(peakBytes(), kMemoryBound);
}

TEST(HostileFiles, TooManyEntriesAreRefusedBeforeTheDirectoryIsLoaded) {
    EXPECT_EQ(refusalOf("many_entries.xlsx"),
              "The workbook \"many_entries.xlsx\" cannot be opened: it holds 200,006 parts, more "
              "than the 10,000 a workbook may have.");
    EXPECT_LT(peakBytes(), qint64(40) << 20);
}

TEST(HostileFiles, AClaimedDimensionOfTheWholeSheetIsNotBelieved) {
    // Such a file is not refused (real producers write wrong dimensions); nothing is sized from it.
    const embedded::WorkbookData book = embedded::readXlsx(hostile("huge_dimension.xlsx"));
    ASSERT_EQ(book.sheets.size(), 1u);
    EXPECT_EQ(book.sheets[0].declaredDimension, "A1:XFD1048576");
    EXPECT_EQ(excel::formatRect(book.sheets[0].cells->usedRect()), "$B$2:$C$9");
    EXPECT_EQ(book.sheets[0].cells->cellCount(), 2);
    EXPECT_LT(peakBytes(), kMemoryBound);
}

} // namespace
