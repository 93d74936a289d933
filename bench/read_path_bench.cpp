// The read path as a user of tallyvane-batch meets it, each figure a ratio of CPU time (user and
// system, the program's and its children's) in runs taken by turns, with the wall-time ratio
// beside it and the load average before and after, so that a loaded machine neither hides nor
// invents a result:
//   1. a CSV of 1,000,000 rows x 5 columns, one analysed (--range C:C), against
//      cut -d, -f3 | sort | uniq -c (goal: at least 2x faster) and against the plain floor
//      (read_floor csv: pieces, a field found by its commas, a hash count; goal: at most 2.5x);
//   2. one column of a 1,000,000 x 5 workbook against unzip -p of its sheet part (goal: 1.2x);
//   3. one column of a 1,000,000 x 1 workbook against unzip -p of its sheet part (goal: 1.5x),
//      with zlib's inflate alone in memory and read_floor xlsx (inflate, checksum, tag count);
//   4. the peak memory of 3 (goal: at most 45 MB), and what it is beyond the program's own;
//   5. a column of 1,000,000 distinct values, refused: the read ends at the limit, so it costs
//      less than the Zipf column of 1.
// Figures are medians over five turns.
//   read_path_bench TALLYVANE_BATCH [DIR]   (DIR: where the files are made and kept, to profile)

#include "bench/BenchRun.h"
#include "bench/BenchWorkbook.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <zip.h>
#include <zlib.h>

using namespace bench;

namespace {

QByteArray label(int k) {
    const excel::Variant v = categoryValue(k);
    return v.isText() ? v.text().toUtf8() : QByteArray::number(v.number());
}

// Inflating the sheet part with zlib alone, output thrown away: the floor of any reader.
double inflateSeconds(const QString& path) {
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, nullptr);
    zip_stat_t st;
    zip_stat(z, "xl/worksheets/sheet1.xml", 0, &st);
    zip_file_t* f = zip_fopen(z, "xl/worksheets/sheet1.xml", ZIP_FL_COMPRESSED);
    QByteArray packed(qsizetype(st.comp_size), Qt::Uninitialized);
    zip_fread(f, packed.data(), st.comp_size);
    zip_fclose(f);
    zip_discard(z);
    std::vector<double> times;
    std::vector<unsigned char> out(1 << 20);
    for (int i = 0; i < 5; ++i) {
        times.push_back(secondsOf([&] {
            z_stream s{};
            inflateInit2(&s, -15);
            s.next_in = reinterpret_cast<Bytef*>(packed.data());
            s.avail_in = uInt(packed.size());
            int rc = Z_OK;
            while (rc == Z_OK) {
                s.next_out = out.data();
                s.avail_out = uInt(out.size());
                rc = inflate(&s, Z_NO_FLUSH);
            }
            inflateEnd(&s);
        }));
    }
    return median(times);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fputs("usage: read_path_bench TALLYVANE_BATCH [DIR]\n", stderr);
        return 2;
    }
    const std::string batch = argv[1];
    // The floor program is built beside this one.
    const std::string floor =
        (QFileInfo(QString::fromLocal8Bit(argv[0])).absolutePath() + QStringLiteral("/read_floor"))
            .toStdString();
    QTemporaryDir temporary;
    const QDir dir(argc == 3 ? QString::fromLocal8Bit(argv[2]) : temporary.path());
    const auto file = [&](const char* name) { return dir.filePath(QString::fromLatin1(name)); };
    const std::vector<int> column = zipfColumn();
    writeWorkbook(file("one.xlsx"), column);
    writeWorkbook(file("five.xlsx"), column, {}, 5);
    {
        // A column where every value is its own.
        QFile csv(file("distinct.csv"));
        csv.open(QIODevice::WriteOnly);
        for (int i = 0; i < kCells; ++i)
            csv.write("X-" + QByteArray::number(i) + "\n");
    }
    {
        QFile csv(file("five.csv"));
        csv.open(QIODevice::WriteOnly);
        QByteArray text;
        for (size_t r = 0; r < column.size(); ++r) {
            const QByteArray l = label(column[r]);
            text += QByteArray::number(qulonglong(r + 1)) + "," +
                    QByteArray::number(double(r % 977) / 8) + "," + l + ",L" +
                    QByteArray::number(qulonglong(r % 4)) + ",2024-01-" +
                    QByteArray::number(qulonglong(1 + r % 28)) + "\n";
        }
        csv.write(text);
    }
    const auto path = [&](const char* name) { return file(name).toStdString(); };
    const std::string part = "xl/worksheets/sheet1.xml";
    const auto sh = [](const std::string& command) {
        return std::vector<std::string>{"/bin/sh", "-c", command};
    };

    const double loadBefore = loadAverage();
    const double inflate = inflateSeconds(file("one.xlsx"));
    const auto r = turns({
        {batch, "--version"},
        {batch, path("five.csv"), "--range", "C:C"},
        sh("cut -d, -f3 '" + path("five.csv") + "' | sort | uniq -c"),
        {floor, "csv", path("five.csv"), "3"},
        {batch, path("five.xlsx"), "--range", "A:A"},
        sh("unzip -p '" + path("five.xlsx") + "' " + part + " | wc -c"),
        {batch, path("one.xlsx"), "--range", "A:A"},
        sh("unzip -p '" + path("one.xlsx") + "' " + part + " | wc -c"),
        {floor, "xlsx", path("one.xlsx"), part},
        {batch, path("distinct.csv"), "--range", "A:A"},
    }, path("memory.txt"));
    const double loadAfter = loadAverage();
    const std::vector<Run> m = mediansOf(r);
    enum { Own, Csv, CutSort, CsvFloor, Five, UnzipFive, One, UnzipOne, XlsxFloor, Refused };
    const auto cpu = [](const Run& x) { return x.cpu; };
    const auto wall = [](const Run& x) { return x.seconds; };
    const auto ratios = [&](int a, int b) {
        return std::pair{ratioByTurns(r[size_t(a)], r[size_t(b)], cpu),
                         ratioByTurns(r[size_t(a)], r[size_t(b)], wall)};
    };

    std::printf("load average %.2f before, %.2f after; CPU = user + system; medians of 5 turns\n",
                loadBefore, loadAfter);
    const auto [csvCut, csvCutWall] = ratios(CutSort, Csv);
    const auto [csvFloor, csvFloorWall] = ratios(Csv, CsvFloor);
    std::printf("0. the batch's start and end alone (--version): CPU %.3f s, %.0f MB\n",
                m[Own].cpu, m[Own].megabytes);
    std::printf("1. CSV 1,000,000 x 5, one column: CPU %.3f s (wall %.3f s, %.0f MB)\n"
                "   cut | sort | uniq -c: CPU %.3f s: %.2fx faster (wall %.2fx) (goal: at least 2x)\n"
                "   the plain floor: CPU %.3f s: %.2fx it (wall %.2fx) (goal: at most 2.5x)\n",
                m[Csv].cpu, m[Csv].seconds, m[Csv].megabytes, m[CutSort].cpu, csvCut, csvCutWall,
                m[CsvFloor].cpu, csvFloor, csvFloorWall);
    const auto [five, fiveWall] = ratios(Five, UnzipFive);
    std::printf("2. one column of 1,000,000 x 5: CPU %.3f s (wall %.3f s); unzip -p of the sheet "
                "part: CPU %.3f s: %.2fx (wall %.2fx) (goal: at most 1.2x)\n",
                m[Five].cpu, m[Five].seconds, m[UnzipFive].cpu, five, fiveWall);
    const auto [one, oneWall] = ratios(One, UnzipOne);
    const auto [oneFloor, oneFloorWall] = ratios(One, XlsxFloor);
    std::printf("3. one column of 1,000,000 x 1: CPU %.3f s (wall %.3f s); unzip -p of the sheet "
                "part: CPU %.3f s: %.2fx (wall %.2fx) (goal: at most 1.5x)\n"
                "   inflate, checksum and tag count: CPU %.3f s: %.2fx (wall %.2fx); zlib's inflate "
                "alone in memory: %.3f s\n",
                m[One].cpu, m[One].seconds, m[UnzipOne].cpu, one, oneWall, m[XlsxFloor].cpu,
                oneFloor, oneFloorWall, inflate);
    if (m[UnzipOne].status != 0)
        std::printf("   (unzip is not installed: the unzip ratios are void)\n");
    std::printf("4. peak memory of 3: %.0f MB (goal: at most 45 MB); beyond the program's own "
                "(%.0f MB): %.0f MB\n",
                m[One].megabytes, m[Own].megabytes, m[One].megabytes - m[Own].megabytes);
    std::printf("5. 1,000,000 distinct values refused (exit %d): CPU %.3f s, %.2fx the Zipf CSV "
                "column (goal: under 1x, the read ending at the limit)\n",
                m[Refused].status, m[Refused].cpu, ratioByTurns(r[Refused], r[Csv], cpu));
    for (int k : {Csv, Five, One})
        if (m[size_t(k)].status != 0)
            std::printf("   (a run of the batch ended with %d)\n", m[size_t(k)].status);
    return 0;
}
