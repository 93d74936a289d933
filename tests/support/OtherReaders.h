#pragma once
// The second readers of the end-to-end tests: openpyxl runs tests/data/check_report.py on a
// workbook with the sample's report, and LibreOffice loads a workbook and saves it again.

#include <QString>
#include <QStringList>

namespace testsupport {

struct OtherReaders {
    QString python;      // empty when there is none
    QString checkScript; // tests/data/check_report.py
    QString soffice;     // empty when LibreOffice is not installed

    bool hasOpenpyxl() const;
    // What check_report.py prints for the file: "ok\n" or one line per finding.
    QString check(const QString& file, const QStringList& arguments) const;
    // The file as LibreOffice saves it again (an .xlsx in dir/lo, with a profile in dir).
    QString resavedByLibreOffice(const QString& file, const QString& dir) const;
    // What check_report.py prints for the file and, where LibreOffice is installed, for its
    // re-save by LibreOffice.
    QStringList checkEach(const QString& file, const QString& dir,
                          const QStringList& arguments) const;
};

} // namespace testsupport
