// tallyvane-batch --chart-image: the report's chart drawn into a PNG, SVG or PDF of the size asked
// for, with the vital few in the report's dark blue, the rest lighter and the cut-off line in red;
// one chart per group in a grid; nothing else written.

#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <gtest/gtest.h>

namespace {

testsupport::ProgramRun batch(const QStringList& args) {
    return testsupport::runProgram(QStringLiteral(TALLYVANE_BATCH), args);
}

// Defects on lines L1 to L3: Dent 6, Scratch 3, Crack 2, Burr 1 (Dent and Scratch are the
// vital few at 80 %).
QString lineBook() {
    testsupport::SheetSpec sheet;
    sheet.name = "Log";
    sheet.cells = {{"A1", "Defect"}, {"B1", "Line"}};
    const char* rows[][2] = {{"Dent", "L1"},    {"Dent", "L2"},  {"Scratch", "L1"}, {"Dent", "L3"},
                             {"Crack", "L2"},   {"Dent", "L1"},  {"Scratch", "L2"}, {"Burr", "L3"},
                             {"Dent", "L2"},    {"Crack", "L1"}, {"Scratch", "L3"}, {"Dent", "L1"}};
    int row = 2;
    for (const auto& r : rows) {
        sheet.cells.push_back({QStringLiteral("A%1").arg(row), QString::fromLatin1(r[0])});
        sheet.cells.push_back({QStringLiteral("B%1").arg(row), QString::fromLatin1(r[1])});
        ++row;
    }
    const QString path = testsupport::scratchDir("chart-image") + "/lines.xlsx";
    testsupport::writeXlsx(path, {sheet});
    return path;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int countPixels(const QImage& image, QRgb colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF) ? 1 : 0;
    return n;
}

// The longest run of the colour along any row.
int longestRow(const QImage& image, QRgb colour) {
    int best = 0;
    for (int y = 0; y < image.height(); ++y) {
        int run = 0;
        for (int x = 0; x < image.width(); ++x) {
            run = (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF) ? run + 1 : 0;
            best = std::max(best, run);
        }
    }
    return best;
}

} // namespace

TEST(ChartImage, DrawsTheReportsChartWithTheVitalFewAndTheCutOff) {
    const QString book = lineBook();
    const QByteArray before = readAll(book);
    const QString png = QFileInfo(book).absolutePath() + "/pareto.png";
    const auto run = batch({book, "--range", "A:A", "--skip-header", "--classes", "80",
                            "--chart-image", png});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(run.err, "") << "Qt's notes stay out of the user's way";
    EXPECT_TRUE(run.out.startsWith("Category\t")) << "the result is printed as without the image";
    const QImage image(png);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(1200, 675));
    EXPECT_GT(countPixels(image, 0x002060), 2000) << "the A bars in dark blue";
    EXPECT_GT(countPixels(image, 0x8FAADC), 500) << "the B bars lighter";
    EXPECT_GT(longestRow(image, 0xC00000), 600) << "the cut-off line across the plot";
    EXPECT_EQ(readAll(book), before) << "the workbook is not saved";
    EXPECT_FALSE(QFile::exists(QFileInfo(book).absolutePath() + "/.~lock.lines.xlsx#"));
}

TEST(ChartImage, WritesSvgAndPdfAtTheSizeAndAGridForGroups) {
    const QString book = lineBook();
    const QString dir = QFileInfo(book).absolutePath();
    auto run = batch({book, "--range", "A:A", "--skip-header", "--chart-image", dir + "/c.svg",
                      "--chart-size", "640x360"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    const QByteArray svg = readAll(dir + "/c.svg");
    EXPECT_TRUE(svg.startsWith("<?xml")) << svg.left(40).toStdString();
    EXPECT_TRUE(svg.contains("viewBox=\"0 0 640 360\""));
    EXPECT_TRUE(svg.contains("Pareto chart of Defect")) << "the header names the chart";

    run = batch({book, "--range", "A:A", "--skip-header", "--chart-image", dir + "/c.PDF"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(readAll(dir + "/c.PDF").startsWith("%PDF-"));

    // Three lines: a grid of two by two charts.
    run = batch({book, "--range", "A:A", "--skip-header", "--by", "B:B", "--chart-image",
                 dir + "/groups.png", "--chart-size", "400x300"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(QImage(dir + "/groups.png").size(), QSize(800, 600));
    run = batch({book, "--range", "A:A", "--skip-header", "--by", "B:B", "--chart-image",
                 dir + "/groups.svg"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    const QByteArray groups = readAll(dir + "/groups.svg");
    for (const char* title : {"Pareto chart of Defect: L1", "Pareto chart of Defect: L2",
                              "Pareto chart of Defect: L3"})
        EXPECT_TRUE(groups.contains(title)) << title << ": each chart names its group";

    // A folder that cannot be written: said, with status 1, and nothing printed.
    run = batch({book, "--range", "A:A", "--chart-image", dir + "/no/such/folder/c.png"});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(run.err.contains("Could not write the chart into")) << run.err.toStdString();
}
