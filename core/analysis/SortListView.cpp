#include "core/analysis/SortListView.h"

#include "excel/TextForm.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

namespace analysis {

namespace {

// A failure inside the sort, numbered as the runtime numbers it.
struct SortFailure {
    int number;
    QString description;
};

// The rows are counted with a 16-bit counter in the number and date sorts.
constexpr int kMaxSortRows = 32767;

QString cell(const platform::ListViewModel& list, int row, int column) {
    return list.cellText(row, column <= 1 ? 0 : column - 1);
}

void setCell(platform::ListViewModel& list, int row, int column, const QString& text) {
    list.setCellText(row, column <= 1 ? 0 : column - 1, text);
}

double numberOf(const QString& text, const QLocale& locale) {
    // Whole numbers read the same in every locale, and are most of what is sorted (counts).
    const QStringView digits = QStringView(text).trimmed();
    if (!digits.isEmpty() && digits.size() <= 15 &&
        std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return double(digits.toLongLong());
    bool ok = false;
    const double value = locale.toDouble(text.trimmed(), &ok);
    if (!ok)
        throw SortFailure{13, QStringLiteral("Type mismatch")};
    return value;
}

QDateTime dateOf(const QString& text) {
    const auto dt = excel::parseDateText(text);
    if (!dt)
        throw SortFailure{13, QStringLiteral("Type mismatch")};
    return *dt;
}

// The text of the whole-number part (rounded towards minus infinity), sign included.
QString integerPart(const QString& text, const QLocale& locale) {
    return excel::formatGeneralNumber(std::floor(numberOf(text, locale)));
}

void checkRowCount(const platform::ListViewModel& list) {
    if (list.count() > kMaxSortRows)
        throw SortFailure{6, QStringLiteral("Overflow")};
}

void sortNumbers(platform::ListViewModel& list, int column, int order) {
    checkRowCount(list);
    const QLocale locale; // the user's, read once
    qsizetype widest = 0;
    for (int row = 0; row < list.count(); ++row) {
        const QString text = cell(list, row, column);
        if (!text.isEmpty())
            widest = std::max(widest, integerPart(text, locale).size());
    }
    list.setVisible(false);
    for (int row = 0; row < list.count(); ++row) {
        const QString text = cell(list, row, column);
        if (text.isEmpty()) {
            setCell(list, row, column, QStringLiteral("0"));
            continue;
        }
        const qsizetype length = integerPart(text, locale).size();
        if (length < widest)
            setCell(list, row, column, QString(widest - length, QLatin1Char('0')) + text);
    }
    ApplySort(list, order, column - 1);
    for (int row = 0; row < list.count(); ++row) {
        const double value = numberOf(cell(list, row, column), locale);
        setCell(list, row, column,
                value == 0 ? QString() : excel::textForm(excel::Variant(value), locale));
    }
}

void sortDates(platform::ListViewModel& list, int column, int order) {
    checkRowCount(list);
    list.setVisible(false);
    for (int row = 0; row < list.count(); ++row)
        setCell(list, row, column,
                dateOf(cell(list, row, column)).toString(QStringLiteral("yyyy MM dd HH:mm:ss")));
    ApplySort(list, order, column - 1);
    for (int row = 0; row < list.count(); ++row)
        setCell(
            list, row, column,
            QDateTime::fromString(cell(list, row, column), QStringLiteral("yyyy MM dd HH:mm:ss"))
                .toString(QStringLiteral("MM/dd/yyyy")));
}

} // namespace

void ApplySort(platform::ListViewModel& list, int order, int sortKey) {
    if (order == 0 || order == 1)
        list.setSortOrder(order);
    list.setSortKey(sortKey);
    list.setSorted(true);
}

bool SortByColumn(platform::ListViewModel& list, int column, int order, int sortType,
                  AnalysisUi& ui) {
    bool ok = true;
    try {
        switch (sortType) {
        case TextSort:
            ApplySort(list, order, column - 1);
            return true;
        case NumberSort:
            sortNumbers(list, column, order);
            break;
        case DateSort:
            sortDates(list, column, order);
            break;
        default:
            return true;
        }
    } catch (const SortFailure& failure) {
        // Cells rewritten before the failure keep their rewritten texts.
        ui.showMessage(QStringLiteral("ERROR IN SORT ROUTINE:\r\n%1\t%2")
                           .arg(failure.number)
                           .arg(failure.description));
        ok = false;
    }
    list.setVisible(true);
    return ok;
}

} // namespace analysis
