// The read path as a user of tallyvane-batch meets it, each figure a ratio in one run:
//   1. the whole analysis of one column of a 1,000,000-row workbook (tallyvane-batch BOOK
//      --range A:A, a process of its own) against inflating its sheet part (goal: at most 2x),
//      measured two ways: unzip -p BOOK PART | wc -c, a program of its own as the batch is, and
//      zlib's inflate alone in memory, the floor of any reader; and its peak memory beyond the program's own and the cells the host
//      keeps (goal: at most 40 MB);
//   2. the same column of a 1,000,000 x 5 workbook against the 1-column one (goal: at most 1.3x);
//   3. a CSV of 1,000,000 rows x 5 columns, one analysed, against sort | uniq -c on that column
//      alone (goal: at least 2x faster), with both peak memories;
//   4. a column of 1,000,000 distinct values, refused: against the analysis of the Zipf column
//      (goal: the read ends as soon as the 32,768th distinct value is met, so it costs less).
// Times are medians of five runs taken by turns.
//   read_path_bench TALLYVANE_BATCH [DIR]   (DIR: where the files are made and kept, to profile)

#include "bench/BenchRun.h"
#include "bench/BenchWorkbook.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
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
        QFile alone(file("column.txt"));
        csv.open(QIODevice::WriteOnly);
        alone.open(QIODevice::WriteOnly);
        QByteArray text;
        QByteArray only;
        for (size_t r = 0; r < column.size(); ++r) {
            const QByteArray l = label(column[r]);
            text += QByteArray::number(qulonglong(r + 1)) + "," +
                    QByteArray::number(double(r % 977) / 8) + "," + l + ",L" +
                    QByteArray::number(qulonglong(r % 4)) + ",2024-01-" +
                    QByteArray::number(qulonglong(1 + r % 28)) + "\n";
            only += l + "\n";
        }
        csv.write(text);
        alone.write(only);
    }
    const auto path = [&](const char* name) { return file(name).toStdString(); };

    const double inflate = inflateSeconds(file("one.xlsx"));
    const std::vector<Run> r = medians({
        {batch, "--version"},
        {batch, path("one.xlsx"), "--range", "A:A"},
        {batch, path("five.xlsx"), "--range", "A:A"},
        {batch, path("five.csv"), "--range", "C:C"},
        {"/bin/sh", "-c", "sort '" + path("column.txt") + "' | uniq -c"},
        {batch, path("distinct.csv"), "--range", "A:A"},
        {"/bin/sh", "-c", "unzip -p '" + path("one.xlsx") + "' xl/worksheets/sheet1.xml | wc -c"},
    }, path("memory.txt"));
    const Run& own = r[0];
    const Run& one = r[1];
    const Run& five = r[2];
    const Run& csv = r[3];
    const Run& sortUniq = r[4];
    const Run& refused = r[5];
    const Run& unzip = r[6];
    const double cells = 16.0 * kCells / 1e6; // what the host keeps per cell
    std::printf("1. one column of 1,000,000 rows: %.3f s; unzip -p of the sheet part %.3f s: %.2fx "
                "(goal: at most 2x); zlib inflate alone in memory %.3f s: %.2fx\n",
                one.seconds, unzip.seconds, one.seconds / unzip.seconds, inflate,
                one.seconds / inflate);
    if (unzip.status != 0)
        std::printf("   (unzip is not installed: the first ratio is void)\n");
    std::printf("   peak %.0f MB; beyond the program's own (%.0f MB) and the cells (%.0f MB): "
                "%.0f MB (goal: at most 40 MB)\n",
                one.megabytes, own.megabytes, cells, one.megabytes - own.megabytes - cells);
    std::printf("2. the same column of 1,000,000 x 5: %.3f s: %.2fx the one-column workbook "
                "(goal: at most 1.3x)\n",
                five.seconds, five.seconds / one.seconds);
    std::printf("3. CSV 1,000,000 x 5, one column: %.3f s, %.0f MB; sort | uniq -c on that "
                "column alone: %.3f s, %.0f MB: %.2fx faster (goal: at least 2x)\n",
                csv.seconds, csv.megabytes, sortUniq.seconds, sortUniq.megabytes,
                sortUniq.seconds / csv.seconds);
    std::printf("4. 1,000,000 distinct values refused (exit %d): %.3f s, %.2fx the Zipf column "
                "of the same CSV size class (goal: under 1x, the read ending at the limit)\n",
                refused.status, refused.seconds, refused.seconds / csv.seconds);
    for (const Run& x : {one, five, csv})
        if (x.status != 0)
            std::printf("   (a run ended with %d)\n", x.status);
    return 0;
}
