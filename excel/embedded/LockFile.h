#pragma once
// Whether another program has a workbook file open: office suites leave a lock file beside the
// file they edit (".~lock.NAME#" of LibreOffice, "~$NAME" of the other suite), naming who holds
// it. A workbook held so is opened for analysis, but is not saved over.

#include <QString>
#include <optional>

namespace embedded {

// Who holds the file, in words ("Ann Lee on host3", "Ann Lee"; "another user" when the lock file
// names nobody); none when no lock file is there.
std::optional<QString> lockHolder(const QString& path);

} // namespace embedded
