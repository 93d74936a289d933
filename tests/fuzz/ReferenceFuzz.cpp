// References as a user types them: whatever parses, formatted and parsed again, is the same.
#include "FuzzSupport.h"
#include "excel/CellRef.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto parsed = excel::parseReference(text);
    if (!parsed)
        return 0;
    QStringList areas;
    for (const excel::CellRect& r : parsed->areas) {
        if (!r.isValid())
            abort();
        areas << excel::formatRect(r);
    }
    QString again = areas.join(QLatin1Char(','));
    if (!parsed->sheet.isEmpty())
        again = (parsed->book.isEmpty() ? excel::quotedSheetName(parsed->sheet)
                                        : excel::externalSheetPrefix(parsed->book, parsed->sheet)) +
                QLatin1Char('!') + again;
    const auto reparsed = excel::parseReference(again);
    if (!reparsed || reparsed->areas != parsed->areas || reparsed->sheet != parsed->sheet ||
        reparsed->book != parsed->book)
        abort();
    return 0;
}
