#pragma once
// The ordinary text form of a value in the user's locale, as the analysis shows categories, and
// the reading of such texts back into numbers and dates.

#include "excel/Variant.h"

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <optional>

namespace excel {

// Numbers with up to 15 significant digits and the locale's decimal separator, no grouping;
// dates in the locale's short date form with a four-digit year, and the time when there is one;
// True and False; error values as their literal (#N/A); empty as the empty text.
QString textForm(const Variant& value, const QLocale& locale = QLocale());

QString dateText(const QDateTime& dateTime, const QLocale& locale = QLocale());
// Reads a date (and time) written as dateText() writes it, in ISO form (2024-01-15 08:30:00) or
// in US form (1/15/2024).
std::optional<QDateTime> parseDateText(QStringView text, const QLocale& locale = QLocale());

// A number as plainly written: optional sign, digits with an optional decimal point, an optional
// exponent. Nothing else is allowed, blanks included; "inf", "nan" and hex forms are not numbers.
bool parsePlainNumber(QStringView text, double& value);
// The same, on the bytes of a text (ASCII or UTF-8), without making a string of them.
bool parsePlainNumber(const char* bytes, qsizetype size, double& value);

// A number written plainly ("-1.5e3") or with the locale's decimal separator instead of the
// point ("-1,5" where the comma is the decimal separator); no grouping, no blanks.
std::optional<double> parseNumberText(QStringView text, const QLocale& locale = QLocale());

// Texts compared without regard to case, as the spreadsheet compares them, for hashed sets; no
// folded copy of each text is made (long texts would otherwise be held twice).
struct FoldedTextHash {
    size_t operator()(const QString& text) const;
};
struct FoldedTextEqual {
    bool operator()(const QString& a, const QString& b) const {
        return a.size() == b.size() && a.compare(b, Qt::CaseInsensitive) == 0;
    }
};

} // namespace excel
