// A column of long texts, the case where memory once went to a folded copy of every text: 57,000
// cells, each a different text of about 3,700 characters, from a small workbook file (the texts
// repeat a phrase, so the file packs to about 1 MB). Opens the workbook and collects its distinct
// values as the analysis does; prints the peak memory of the process against the unpacked text of
// the shared strings (goal: under 4x) and the time taken.

#include "core/analysis/CategoryTable.h"
#include "core/analysis/HeadlessUi.h"
#include "engines/embedded/EmbeddedApplication.h"
#include "core/platform/ListViewModel.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <cstdio>
#include <sys/resource.h>
#include <zip.h>

namespace {

constexpr int kCells = 57000;

qint64 peakBytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return qint64(usage.ru_maxrss) * 1024;
}

// Writes the workbook; gives the size of the shared-string part unpacked.
qint64 writeWorkbook(const QString& path) {
    QByteArray phrase;
    for (int i = 0; i < 80; ++i)
        phrase += "Surface Defect Found During Final Inspection; ";
    QByteArray strings = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><sst xmlns=\"http://schemas."
                         "openxmlformats.org/spreadsheetml/2006/main\">";
    QByteArray sheet = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><worksheet xmlns=\"http://"
                       "schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>";
    for (int i = 0; i < kCells; ++i) {
        strings += "<si><t>" + phrase + "Lot " + QByteArray::number(i) + "</t></si>";
        const QByteArray row = QByteArray::number(i + 1);
        sheet += "<row r=\"" + row + "\"><c r=\"A" + row + "\" t=\"s\"><v>" +
                 QByteArray::number(i) + "</v></c></row>";
    }
    strings += "</sst>";
    sheet += "</sheetData></worksheet>";
    const QByteArray ns = "http://schemas.openxmlformats.org/";
    const QByteArray rel = ns + "officeDocument/2006/relationships/";
    const std::vector<std::pair<const char*, QByteArray>> parts = {
        {"[Content_Types].xml", "<Types xmlns=\"" + ns + "package/2006/content-types\"/>"},
        {"_rels/.rels", "<Relationships xmlns=\"" + ns +
                            "package/2006/relationships\"><Relationship Id=\"rId1\" Type=\"" +
                            rel + "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
        {"xl/workbook.xml", "<workbook xmlns=\"" + ns + "spreadsheetml/2006/main\" xmlns:r=\"" +
                                ns +
                                "officeDocument/2006/relationships\"><sheets><sheet name=\"Data\" "
                                "sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
        {"xl/_rels/workbook.xml.rels",
         "<Relationships xmlns=\"" + ns + "package/2006/relationships\"><Relationship Id=\"rId1\" "
                                          "Type=\"" +
             rel + "worksheet\" Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" Type=\"" +
             rel + "sharedStrings\" Target=\"sharedStrings.xml\"/></Relationships>"},
        {"xl/sharedStrings.xml", strings},
        {"xl/worksheets/sheet1.xml", sheet}};
    int error = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    for (const auto& [name, bytes] : parts)
        zip_file_add(z, name, zip_source_buffer(z, bytes.constData(), zip_uint64_t(bytes.size()), 0),
                     ZIP_FL_OVERWRITE);
    zip_close(z);
    return strings.size();
}

} // namespace

// Opens the workbook and collects its distinct values, in a process of its own so that its peak
// memory is its own.
int readAndCollect(const QString& path, qint64 text) {
    QElapsedTimer t;
    t.start();
    auto app = embedded::EmbeddedApplication::create();
    app->open(path);
    const double open = double(t.nsecsElapsed()) / 1e9;
    analysis::HeadlessUi ui;
    platform::ListViewModel included, results;
    analysis::CategoryTable table(app, included, results, ui);
    t.restart();
    table.takeRange(app->Range(QStringLiteral("A:A")), app->ActiveWorkbook(), true);
    table.CollectUniqueValues();
    const double collect = double(t.nsecsElapsed()) / 1e9;
    const qint64 peak = peakBytes();
    std::printf("open %.2f s, distinct values %.2f s (%lld found)\n", open, collect,
                static_cast<long long>(table.UniqueValues.size()));
    std::printf("peak memory %.0f MB = %.2fx the unpacked text (goal: under 4x)\n",
                double(peak) / 1e6, double(peak) / double(text));
    return 0;
}

int main(int argc, char** argv) {
    QCoreApplication qapp(argc, argv);
    const QStringList args = qapp.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("--read"))
        return readAndCollect(args[2], args[3].toLongLong());
    const QString dir = QDir::temp().filePath(QStringLiteral("tallyvane-long-text-bench"));
    QDir().mkpath(dir);
    const QString path = dir + QStringLiteral("/long_texts.xlsx");
    const qint64 text = writeWorkbook(path);
    std::printf("workbook: %lld bytes packed, %lld bytes of shared strings unpacked, %d cells\n",
                static_cast<long long>(QFileInfo(path).size()), static_cast<long long>(text),
                kCells);
    std::fflush(stdout);
    QProcess reader;
    reader.setProcessChannelMode(QProcess::ForwardedChannels);
    reader.start(qapp.applicationFilePath(),
                 {QStringLiteral("--read"), path, QString::number(text)});
    reader.waitForFinished(-1);
    return reader.exitCode();
}
