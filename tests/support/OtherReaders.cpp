#include "support/OtherReaders.h"

#include <QFileInfo>
#include <QProcess>

namespace testsupport {

bool OtherReaders::hasOpenpyxl() const {
    if (python.isEmpty())
        return false;
    QProcess probe;
    probe.start(python, {"-c", "import openpyxl"});
    probe.waitForFinished(60000);
    return probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0;
}

QString OtherReaders::check(const QString& file, const QStringList& arguments) const {
    QProcess p;
    p.start(python, QStringList{checkScript, file} + arguments);
    p.waitForFinished(120000);
    return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
}

QStringList OtherReaders::checkEach(const QString& file, const QString& dir,
                                    const QStringList& arguments) const {
    QStringList out{check(file, arguments)};
    if (!soffice.isEmpty())
        out << check(resavedByLibreOffice(file, dir), arguments);
    return out;
}

QString OtherReaders::resavedByLibreOffice(const QString& file, const QString& dir) const {
    QProcess lo;
    lo.start(soffice, {"-env:UserInstallation=file://" + dir + "/profile", "--headless",
                       "--norestore", "--convert-to", "xlsx", "--outdir", dir + "/lo", file});
    lo.waitForFinished(240000);
    return dir + "/lo/" + QFileInfo(file).completeBaseName() + ".xlsx";
}

} // namespace testsupport
