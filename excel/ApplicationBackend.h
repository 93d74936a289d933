#pragma once
// What each engine supplies for the application beyond the members callers use: open workbooks
// by name, and the largest number of a range, on which the object model's own members build.

#include <QString>
#include <memory>

namespace excel {

class Range;
class Workbook;

class ApplicationBackend {
public:
    virtual ~ApplicationBackend() = default;

    // An open workbook by name, without regard to case; null when there is none.
    virtual std::shared_ptr<Workbook> workbookNamed(const QString& name) const = 0;
    // The largest number of the range (0 when it holds none); raises an error for error cells.
    virtual double maxOfRange(const excel::Range& range) = 0;
};

} // namespace excel
