// The workbook reader on raw bytes: any file is read or refused with a message; the cells read
// are then analysed as the program would (every distinct value counted).
#include "FuzzSupport.h"
#include "engines/embedded/CountIfIndex.h"
#include "engines/embedded/xlsx/XlsxReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = fuzz::writeScratch(".xlsx", data, size);
    fuzz::refusalIsAnAnswer([&] {
        embedded::ReadLimits limits;
        limits.maxPartBytes = 64 << 20;
        limits.maxTotalBytes = 128 << 20;
        limits.maxCellsPerWorkbook = 1 << 20;
        const embedded::WorkbookData book = embedded::readXlsx(path, limits);
        for (const embedded::SheetData& sheet : book.sheets) {
            const excel::CellRect used = sheet.cells->usedRect();
            const embedded::CountIfIndex index(*sheet.cells, used);
            if (index.nonBlank() != sheet.cells->cellCount())
                abort();
        }
    });
    return 0;
}
