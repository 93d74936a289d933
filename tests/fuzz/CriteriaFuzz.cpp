// COUNTIF: the per-range index must give what the cell-by-cell rule gives, for any criterion on
// any cells. The input's first line is the criterion; each further line is a cell: a leading
// "#" an error, "?" a logical, "@" a date serial, a number, or text.
#include "FuzzSupport.h"
#include "engines/embedded/CountIfIndex.h"
#include "engines/embedded/Criterion.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList lines = text.split(QLatin1Char('\n'));
    auto context = std::make_shared<embedded::BookContext>();
    context->date1904 = size % 2 == 1;
    embedded::CellStore cells(context);
    int row = 0;
    for (const QString& line : lines.mid(1, 200)) {
        ++row;
        if (line.isEmpty())
            continue; // a blank cell
        excel::Variant v;
        bool ok = false;
        const double number = line.mid(1).toDouble(&ok);
        if (line.startsWith(u'#'))
            v = excel::Variant(excel::ErrorValue(1 + line.size() % 7));
        else if (line.startsWith(u'?'))
            v = excel::Variant(line.size() % 2 == 0);
        else if (line.startsWith(u'@') && ok)
            v = excel::Variant(excel::DateValue{number});
        else if (const double n = line.toDouble(&ok); ok)
            v = excel::Variant(n);
        else
            v = excel::Variant(line);
        cells.setValue(row, 1 + row % 3, v);
    }
    const excel::CellRect rect{1, 1, std::max(1, row + 2), 3};
    for (const excel::Variant& criteria :
         {excel::Variant(lines.value(0)), excel::Variant(lines.value(0).toDouble())}) {
        const auto criterion = embedded::Criterion::parse(criteria, context->date1904);
        const qint64 scanned = embedded::countIfScan(cells, rect, criterion);
        const qint64 indexed = embedded::CountIfIndex(cells, rect).count(criterion);
        if (scanned != indexed)
            abort();
    }
    return 0;
}
