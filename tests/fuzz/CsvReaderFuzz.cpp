// The CSV reader on raw bytes: read or refused with a message, and every stored cell lies on
// the sheet.
#include "FuzzSupport.h"
#include "excel/embedded/CsvReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = fuzz::writeScratch(".csv", data, size);
    fuzz::refusalIsAnAnswer([&] {
        const embedded::WorkbookData book = embedded::readCsv(path);
        const excel::CellRect used = book.sheets.at(0).cells->usedRect();
        if (!used.isValid())
            abort();
    });
    return 0;
}
