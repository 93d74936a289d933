#include "excel/Application.h"

#include "excel/Error.h"

#include <algorithm>
#include <limits>

namespace excel {

std::shared_ptr<Worksheet> Application::ActiveSheet() {
    auto book = ActiveWorkbook();
    if (!book)
        throw Error(QStringLiteral("ActiveSheet"), QStringLiteral("no workbook is open"));
    return book->ActiveSheet();
}

SheetCollection Application::Worksheets() {
    return SheetCollection(ActiveWorkbook(), QStringLiteral("Worksheets"));
}

SheetCollection Application::Sheets() {
    return SheetCollection(ActiveWorkbook(), QStringLiteral("Sheets"));
}

excel::Range Application::Range(const QString& reference) {
    const auto parsed = parseReference(reference);
    if (!parsed) {
        // A defined name of the active workbook.
        if (auto book = ActiveWorkbook()) {
            if (auto named = book->namedRange(reference))
                return *named;
        }
    }
    if (!parsed)
        throw Error(QStringLiteral("Range"),
                    QStringLiteral("\"%1\" is not a cell reference").arg(reference));
    std::shared_ptr<Workbook> book = ActiveWorkbook();
    if (!parsed->book.isEmpty()) {
        book = workbookNamed(parsed->book);
        if (!book)
            throw Error(QStringLiteral("Range"),
                        QStringLiteral("no open workbook is named \"%1\"").arg(parsed->book));
    }
    if (!book)
        throw Error(QStringLiteral("Range"), QStringLiteral("no workbook is open"));
    std::shared_ptr<Worksheet> sheet =
        parsed->sheet.isEmpty() ? book->ActiveSheet()
                                : SheetCollection(book, QStringLiteral("Range"))(parsed->sheet);
    return excel::Range(sheet, parsed->areas);
}

std::optional<excel::Range> Application::Intersect(const excel::Range& a,
                                                   const excel::Range& b) const {
    if (a.Worksheet() != b.Worksheet())
        throw Error(QStringLiteral("Intersect"),
                    QStringLiteral("the ranges are on different worksheets"));
    QVector<CellRect> common;
    for (const CellRect& x : a.rects()) {
        for (const CellRect& y : b.rects()) {
            if (const auto r = x.intersected(y))
                common.push_back(*r);
        }
    }
    if (common.isEmpty())
        return std::nullopt;
    return excel::Range(a.Worksheet(), common);
}

QVector<double> Application::countIfEach(const excel::Range& range,
                                         const QVector<Variant>& criteria) {
    QVector<double> counts;
    counts.reserve(criteria.size());
    for (const Variant& criterion : criteria) {
        try {
            counts.push_back(CountIf(range, criterion));
        } catch (const HostGone&) {
            throw;
        } catch (const Error&) {
            counts.push_back(std::numeric_limits<double>::quiet_NaN());
        }
    }
    return counts;
}

double Application::Max(const excel::Range& range) {
    return maxOfRange(range);
}

double Application::Max(const QVector<Variant>& values) {
    // Only numbers of an array take part; text, logical values and empty elements are skipped,
    // and an error value makes the whole function fail, as with cells.
    double best = -std::numeric_limits<double>::infinity();
    bool any = false;
    for (const Variant& v : values) {
        if (v.isError())
            throw Error(QStringLiteral("Max"),
                        QStringLiteral("the values hold the error %1").arg(errorText(v.error())));
        if (v.isNumber() || v.isDate()) {
            best = std::max(best, v.isNumber() ? v.number() : v.date().serial);
            any = true;
        }
    }
    return any ? best : 0.0;
}

std::optional<excel::Range> Application::InputBox(const QString& prompt, const QString& title,
                                                  int type) {
    if (type != 8)
        throw Error(
            QStringLiteral("InputBox"),
            QStringLiteral("only the range input box (type 8) is offered, not type %1").arg(type));
    if (!m_rangeInput)
        throw Error(QStringLiteral("InputBox"),
                    QStringLiteral("this host has no way to ask for a range"));
    return m_rangeInput(*this, prompt, title);
}

void Application::setCommandBarVisible(const QString& name, bool) {
    if (name.isEmpty())
        throw Error(QStringLiteral("CommandBars"), QStringLiteral("a command bar needs a name"));
}

excel::Chart Application::ActiveChart() {
    auto chart = ActiveSheet()->activeChart();
    if (!chart)
        throw Error(QStringLiteral("ActiveChart"), QStringLiteral("no chart is active"));
    return excel::Chart(chart);
}

} // namespace excel
