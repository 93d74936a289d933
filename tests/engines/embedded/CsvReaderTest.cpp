// Comma-separated files opened as one-sheet workbooks.

#include "engines/embedded/csv/CsvReader.h"
#include "engines/embedded/FileRefusal.h"

#include "excel/Error.h"
#include "excel/TextForm.h"
#include "support/TestFiles.h"

#include <QFile>
#include <cstring>
#include <gtest/gtest.h>

namespace {

QString writeFile(const QString& name, const QByteArray& bytes) {
    const QString path = testsupport::scratchDir("csv") + "/" + name;
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

TEST(CsvReader, ReadsQuotedFieldsNumbersAndText) {
    const QString path = writeFile("defects.csv", "\xEF\xBB\xBF"
                                                  "Defect,Minutes\r\n"
                                                  "Scratch,5\r\n"
                                                  "\"Dent, deep\",7.5\r\n"
                                                  "\"say \"\"hi\"\"\",-1e3\n"
                                                  "\"two\nlines\",\r\n"
                                                  ",0012\n"
                                                  "\" 5\",1,000\n"
                                                  "Ärger,\"12\"");
    const embedded::WorkbookData book = embedded::readCsv(path);
    EXPECT_EQ(book.name, "defects.csv");
    ASSERT_EQ(book.sheets.size(), 1u);
    EXPECT_EQ(testsupport::dump(book), "active defects\n"
                                       "sheet defects selection A1 active A1\n"
                                       "  A1 text Defect\n"
                                       "  A2 text Scratch\n"
                                       "  A3 text Dent, deep\n"
                                       "  A4 text say \"hi\"\n"
                                       "  A5 text two\\nlines\n"
                                       "  A7 text  5\n"
                                       "  A8 text Ärger\n"
                                       "  B1 text Minutes\n"
                                       "  B2 number 5\n"
                                       "  B3 number 7.5\n"
                                       "  B4 number -1000\n"
                                       "  B6 number 12\n"
                                       "  B7 number 1\n"
                                       "  B8 number 12\n"
                                       "  C7 number 0\n");
}

TEST(CsvReader, RefusesWhatIsNotUtf8TextOrIsCutOff) {
    const auto refusal = [](const QString& path) {
        try {
            embedded::readCsv(path);
        } catch (const excel::Error& e) {
            return e.message();
        }
        return QString();
    };
    EXPECT_EQ(refusal(writeFile("latin1.csv", "Caf\xE9,1\n")),
              "The workbook \"latin1.csv\" cannot be opened: it is not UTF-8 text; save it as "
              "\"CSV UTF-8\" and try again.");
    EXPECT_EQ(
        refusal(writeFile("open.csv", "a,b\n\"never closed,1\n2,3\n")),
        "The workbook \"open.csv\" cannot be opened: the quoted field that opens on line 2 is "
        "never closed.");
    embedded::ReadLimits tight;
    tight.maxCellsPerSheet = 3;
    try {
        embedded::readCsv(writeFile("big.csv", "1,2\n3,4\n"), tight);
        FAIL() << "the cell cap must hold";
    } catch (const excel::Error& e) {
        EXPECT_EQ(e.message(),
                  "The workbook \"big.csv\" cannot be opened: it holds more than 3 cells.");
    }
}

TEST(CsvReader, AFullSheetMayEndWithALineBreakButNotRunPastIt) {
    QByteArray lines;
    lines.reserve(2 * excel::kMaxRows + 4);
    for (int i = 0; i < excel::kMaxRows; ++i)
        lines += "x\n";
    EXPECT_EQ(embedded::readCsv(writeFile("full.csv", lines)).sheets[0].cells->cellCount(),
              excel::kMaxRows);
    try {
        embedded::readCsv(writeFile("over.csv", lines + "y"));
        FAIL() << "a line past the last row must be refused";
    } catch (const excel::Error& e) {
        EXPECT_EQ(e.message(), "The workbook \"over.csv\" cannot be opened: it has more than "
                               "1048576 lines, the most a sheet can hold.");
    }
}

// The file is read in pieces: wherever a piece ends (inside a quoted field, between CR and LF,
// inside a character of several bytes, on a trailing comma), it reads as it reads whole; every
// field of a generated file of several default pieces comes out as written.
TEST(CsvReader, ReadsAlikeWhereverItsPiecesEnd) {
    const QByteArray fields[] = {"Scratch", "\"Dent, deep\"", "\"say \"\"hi\"\"\"", "-1e3", "7.5",
                                 "\"two\r\nlines\"", "\xC3\x84rger", "\xE2\x82\xAC\xF0\x9F\x98\x80",
                                 "\"\"", "", "\"12\"", "\"q\"tail", "0012", " 5", "\"\n\""};
    const QByteArray ends[] = {"\n", "\r\n", "\r", ",\n", ",\r\n"};
    QByteArray text = "\xEF\xBB\xBF";
    for (int line = 0; line < 300; ++line) {
        for (int k = 0; k <= line % 4; ++k)
            text += (k ? "," : "") + fields[size_t(line * 7 + k * 3) % std::size(fields)];
        text += ends[size_t(line) % std::size(ends)];
    }
    const QString dir = testsupport::scratchDir("pieces");
    const auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile f(dir + "/" + name);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return f.fileName();
    };
    const QString path = write("pieces.csv", text);
    const std::string whole = testsupport::dump(embedded::readCsv(path)).toStdString();
    for (qint64 piece : {1, 2, 3, 5, 64, 4096}) {
        embedded::ReadLimits limits;
        limits.textPieceBytes = piece;
        EXPECT_EQ(testsupport::dump(embedded::readCsv(path, limits)).toStdString(), whole)
            << "pieces of " << piece;
        // The byte-order mark is no cell, however small the first piece (found by the fuzz
        // target: a mark alone on the first line made an empty text in A1).
        const embedded::WorkbookData marked =
            embedded::readCsv(write("marked.csv", "\xEF\xBB\xBF\nx\n"), limits);
        EXPECT_EQ(excel::formatRect(marked.sheets[0].cells->usedRect()), "$A$2")
            << "pieces of " << piece;
        for (const char* broken : {"a,\"open\n1,2\n", "a,\xE2\x82\n", "x\xC3"}) {
            const QString bad = write("broken.csv", broken);
            QString small, large;
            try {
                embedded::readCsv(bad, limits);
            } catch (const excel::Error& e) {
                small = e.message();
            }
            try {
                embedded::readCsv(bad);
            } catch (const excel::Error& e) {
                large = e.message();
            }
            EXPECT_FALSE(small.isEmpty()) << broken;
            EXPECT_EQ(small, large) << broken << " in pieces of " << piece;
        }
    }

    // A character cut off by the end of the file is the first fault told, before binary data
    // earlier in the file, as when the file was checked whole.
    try {
        embedded::readCsv(write("both.csv", QByteArray("a,b\n\0,c\xED", 8)));
        FAIL() << "a file of binary data cut off within a character must be refused";
    } catch (const excel::Error& e) {
        EXPECT_TRUE(e.message().contains("not UTF-8")) << e.message().toStdString();
    }

    // A field far longer than the pieces (a quote never closed) is read to the end and refused,
    // not parsed again from its start for each piece.
    embedded::ReadLimits bytewise;
    bytewise.textPieceBytes = 1;
    try {
        embedded::readCsv(write("long.csv", "a,b\n\"" + QByteArray(4 << 20, 'x')), bytewise);
        FAIL() << "a quote never closed must be refused";
    } catch (const excel::Error& e) {
        EXPECT_TRUE(e.message().endsWith("the quoted field that opens on line 2 is never closed."))
            << e.message().toStdString();
    }

    // Several default pieces of known fields: row r holds "T<r % 1000>", r / 2 and a quoted
    // field with a comma and a line break.
    QByteArray big;
    for (int r = 1; r <= 250000; ++r)
        big += "T" + QByteArray::number(r % 1000) + "," + QByteArray::number(r / 2.0) +
               ",\"x," + QByteArray::number(r % 7) + "\ny\"\r\n";
    ASSERT_GT(big.size(), 4 << 20); // the store is sized after 4 MB
    const embedded::WorkbookData book = embedded::readCsv(write("big.csv", big));
    const embedded::CellStore& cells = *book.sheets[0].cells;
    ASSERT_EQ(cells.cellCount(), 3 * 250000);
    for (int r : {1, 2, 999, 1000, 65537, 100001, 250000}) {
        EXPECT_EQ(cells.value(r, 1).text(), "T" + QString::number(r % 1000)) << r;
        EXPECT_EQ(cells.value(r, 2).number(), r / 2.0) << r;
        EXPECT_EQ(cells.value(r, 3).text(), QString("x,%1\ny").arg(r % 7)) << r;
    }
    EXPECT_EQ(excel::formatRect(cells.usedRect()), "$A$1:$C$250000");
}

TEST(CsvReader, TellsNumbersFromText) {
    double v = 0;
    for (const char* number : {"0", "-1", "+2", "3.5", ".5", "5.", "1e3", "1E-3", "007"})
        EXPECT_TRUE(excel::parsePlainNumber(QString::fromUtf8(number), v)) << number;
    for (const char* text :
         {"", " 1", "1 ", "1,000", "1e", "e3", "-", ".", "inf", "nan", "0x1F", "1.2.3", "1e999"})
        EXPECT_FALSE(excel::parsePlainNumber(QString::fromUtf8(text), v)) << text;
    // Bytes as their text: the same answers without a string made.
    for (const char* number : {"0", "-1", "+2", "3.5", ".5", "5.", "1e3", "1E-3", "007"})
        EXPECT_TRUE(excel::parsePlainNumber(number, qsizetype(std::strlen(number)), v)) << number;
    for (const char* text : {" 1", "1 ", "1,000", "1e", "e3", "-", ".", "inf", "0x1F", "1e999",
                             "\xEF\xBC\x91"})
        EXPECT_FALSE(excel::parsePlainNumber(text, qsizetype(std::strlen(text)), v)) << text;
    EXPECT_FALSE(excel::parsePlainNumber("", 0, v));
    EXPECT_TRUE(excel::parsePlainNumber("+2.5e1", 6, v));
    EXPECT_EQ(v, 25);
}

} // namespace

namespace {

// What a read for an analysis of A:A (at most three different values) ends with.
QString analysisRead(const QString& path, const excel::CellRect& area, const QString& sheet = {}) {
    embedded::ReadLimits limits;
    limits.mostValues = 3;
    limits.valueArea = area;
    limits.valueSheet = sheet;
    try {
        embedded::readCsv(path, limits);
    } catch (const embedded::TooManyValues&) {
        return "too many";
    } catch (const excel::Error& e) {
        return e.message();
    }
    return "read";
}

// Texts told apart without regard to case, as the analysis counts them; numbers, blanks and
// cells outside the range do not count; once one too many is met nothing more is read (the
// quoted field left open at the end would refuse the file).
TEST(CsvReader, EndsAnAnalysisReadAtOneValueTooMany) {
    const excel::CellRect columnA{1, 1, excel::kMaxRows, 1};
    const QString three = writeFile("three.csv", "a,x\nA,y\nb,z\n1,w\n2\n,v\nB\nc\n");
    EXPECT_EQ(analysisRead(three, columnA), "read");
    const QString four = writeFile("four.csv", "a,x\nA,y\nb,z\nc\nd\n\"open\n");
    EXPECT_EQ(analysisRead(four, columnA), "too many");
    EXPECT_EQ(analysisRead(four, columnA, "FOUR"), "too many") << "sheet names ignore case";
    EXPECT_TRUE(analysisRead(four, columnA, "Other").endsWith("is never closed."));
    EXPECT_TRUE(analysisRead(four, {1, 1, 3, 1}).endsWith("is never closed."));
    EXPECT_TRUE(analysisRead(four, {1, 2, excel::kMaxRows, 2}).endsWith("is never closed."));
}

} // namespace
