#pragma once
// Which number formats show a number as a date or time, so that such cells read as dates.

#include <QString>
#include <optional>

namespace embedded {

bool isBuiltInDateFormat(int numFmtId);
// A format code is a date format when its first section has a day, month, year, hour or second
// code outside quotes, escapes and brackets (elapsed-time brackets such as [h] count).
bool isDateFormatCode(const QString& code);

// An ISO 8601 date or date and time ("2024-01-15", "2024-01-15T10:30:00Z") as a serial number of
// the workbook's date system.
std::optional<double> parseIsoDateTime(const QString& text, bool date1904);

} // namespace embedded
