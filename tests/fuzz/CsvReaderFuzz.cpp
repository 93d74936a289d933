// The CSV reader on raw bytes: read or refused with a message, and every stored cell lies on
// the sheet. Read again for one column only, it refuses alike, keeps the same used area and
// gives that column the same values. It refuses as not UTF-8 exactly what Qt's decoder does.
// Read in small pieces (of a size the input sets), it reads to the same cells, or refuses too.
#include "FuzzSupport.h"
#include "support/WorkbookDump.h"
#include "excel/Error.h"
#include "engines/embedded/csv/CsvReader.h"

#include <QByteArray>
#include <QStringDecoder>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = fuzz::writeScratch(".csv", data, size);
    bool whole = false;
    embedded::WorkbookData book;
    fuzz::refusalIsAnAnswer([&] {
        book = embedded::readCsv(path);
        whole = true;
        if (!book.sheets.at(0).cells->usedRect().isValid())
            abort();
    });
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    (void)QString(decoder(bytes));
    bool notUtf8 = false;
    try {
        embedded::readCsv(path);
    } catch (const excel::Error& e) {
        notUtf8 = e.message().contains("not UTF-8");
    }
    if (notUtf8 != decoder.hasError())
        abort();
    embedded::ReadLimits pieces;
    pieces.textPieceBytes = 1 + (size > 0 ? data[size - 1] % 13 : 0);
    const std::string inPieces =
        testsupport::readAndDump([&] { return embedded::readCsv(path, pieces); });
    const std::string atOnce = testsupport::readAndDump([&] { return embedded::readCsv(path); });
    const auto refused = [](const std::string& s) { return s.rfind("refused: ", 0) == 0; };
    if (refused(atOnce) ? !refused(inPieces) : inPieces != atOnce)
        abort();
    bool narrow = false;
    embedded::WorkbookData column;
    embedded::ReadLimits second;
    second.firstColumn = second.lastColumn = 2;
    fuzz::refusalIsAnAnswer([&] {
        column = embedded::readCsv(path, second);
        narrow = true;
    });
    if (whole != narrow)
        abort();
    if (!whole)
        return 0;
    const auto& all = *book.sheets.at(0).cells;
    const auto& two = *column.sheets.at(0).cells;
    const excel::CellRect used = all.usedRect();
    if (!(two.usedRect() == used))
        abort();
    for (int row = used.top; row <= used.bottom; ++row) {
        if (!(all.value(row, 2) == two.value(row, 2)))
            abort();
    }
    return 0;
}
