// The progress bar's pictures and behaviour: clamping and Change, the disabled state, the empty
// groove, the bar and cap columns, the tint masks, the outline, and standing upright.

#include "ui/controls/ProgressBar.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using controls::ProgressBar;

namespace {

struct Bar {
    Bar() {
        bar.resize(212, 40);
        bar.show(); // a shown control gets its resize notifications at once
        bar.setBorderDefault(true);
    }
    QRgb at(int x, int y) const { return bar.canvas().pixel(x, y); }
    ProgressBar bar;
};

} // namespace

TEST(ProgressBar, ClampsValuesAndRaisesChangeOnlyForANewValue) {
    Bar b;
    QSignalSpy changes(&b.bar, &ProgressBar::Change);
    b.bar.setValue(-5);
    EXPECT_EQ(b.bar.value(), 0);
    EXPECT_EQ(changes.count(), 0);
    b.bar.setValue(250);
    EXPECT_EQ(b.bar.value(), 100);
    b.bar.setValue(100);
    EXPECT_EQ(changes.count(), 1);

    b.bar.setEnabledState(false);
    b.bar.setValue(40);
    b.bar.setCaption("ignored");
    EXPECT_EQ(b.bar.value(), 100);
    EXPECT_EQ(b.bar.Caption(), "");
    b.bar.Clear();
    EXPECT_EQ(b.bar.value(), 0);
    EXPECT_EQ(changes.count(), 1);
}

TEST(ProgressBar, KeepsItsThicknessAndShowsTheEmptyGrooveAtZero) {
    Bar b;
    EXPECT_EQ(b.bar.height(), b.bar.thickness());
    EXPECT_EQ(b.bar.canvas().size(), QSize(212, b.bar.thickness()));
    b.bar.setCaption("Counting");
    b.bar.setValue(0);
    const QImage& groove = ProgressBar::grooveImage();
    for (int y = 0; y < b.bar.thickness(); ++y) {
        EXPECT_EQ(b.at(0, y), groove.pixel(0, y));
        EXPECT_EQ(b.at(1, y), groove.pixel(1, y));
        EXPECT_EQ(b.at(100, y), groove.pixel(2, y)) << "the middle, and no caption";
        EXPECT_EQ(b.at(211, y), groove.pixel(0, y)) << "the right end mirrors the left";
        EXPECT_EQ(b.at(210, y), groove.pixel(1, y));
    }
    EXPECT_EQ(groove.pixel(0, 0), qRgb(0x1D, 0x1D, 0x1D));
}

TEST(ProgressBar, AtAHundredTheBarRunsFromTheFirstToTheLastInnerColumn) {
    Bar b;
    b.bar.setValue(100);
    const QImage& strip = b.bar.barStrip();
    const int mid = b.bar.thickness() / 2;
    EXPECT_DOUBLE_EQ(b.bar.pixelsPerPercent(), 2.1);
    // The top row of the strip lands on row 1: caps (column 0) at x = 1 and x = 210 (value x
    // pixels per percent), the body (column 1) between them.
    EXPECT_EQ(b.at(1, 1), strip.pixel(0, 0));
    EXPECT_EQ(b.at(210, 1), strip.pixel(0, 0));
    EXPECT_EQ(b.at(100, 1), strip.pixel(1, 0));
    EXPECT_EQ(b.at(209, 1), strip.pixel(1, 0));
    EXPECT_GT(qBlue(b.at(100, 1)), qRed(b.at(100, 1))) << "the blue bar";
    EXPECT_EQ(b.at(211, mid), ProgressBar::grooveImage().pixel(0, mid)) << "the groove's end";
    b.bar.setValue(50);
    EXPECT_GT(qBlue(b.at(105, 1)), qRed(b.at(105, 1)));
    EXPECT_EQ(b.at(150, 1), ProgressBar::grooveImage().pixel(2, 1));
}

TEST(ProgressBar, TintsTheGreyBarAndTurnsItGreyWhenDisabled) {
    Bar b;
    b.bar.setValue(60);
    const QRgb grey = ProgressBar::barImage().pixel(1, 10);
    const struct {
        int code;
        bool r, g, bl;
    } masks[] = {{1, true, false, false}, {2, true, true, false},  {3, false, true, false},
                 {4, false, true, true},  {5, false, false, true}, {6, true, false, true}};
    for (const auto& m : masks) {
        b.bar.setBarColor(m.code);
        const QRgb p = b.bar.barStrip().pixel(1, 10);
        EXPECT_EQ(qRed(p), m.r ? qRed(grey) : 0) << m.code;
        EXPECT_EQ(qGreen(p), m.g ? qGreen(grey) : 0) << m.code;
        EXPECT_EQ(qBlue(p), m.bl ? qBlue(grey) : 0) << m.code;
    }
    b.bar.setBarColor(3);
    b.bar.setEnabledState(false);
    EXPECT_EQ(b.bar.barStrip().pixel(1, 10), grey) << "disabled: the grey bar";
    EXPECT_EQ(b.at(100, 0), ProgressBar::grooveImage().pixel(5, 0)) << "the disabled groove";
    b.bar.setEnabledState(true);
    EXPECT_EQ(qRed(b.bar.barStrip().pixel(1, 10)), 0) << "green again";
}

TEST(ProgressBar, DrawsItsOutlineUntilTheDefaultBorderIsAskedFor) {
    ProgressBar bar;
    bar.resize(150, 30);
    bar.show();
    bar.setBorderColor(controls::rgbValue(255, 0, 0));
    EXPECT_EQ(bar.canvas().pixel(70, 0), qRgb(255, 0, 0));
    bar.setBorderDefault(true);
    EXPECT_EQ(bar.BorderColor(), controls::rgbValue(0x1D, 0x1D, 0x1D));
    EXPECT_EQ(bar.canvas().pixel(70, 0), ProgressBar::grooveImage().pixel(2, 0));
}

TEST(ProgressBar, StandsUprightWhenHigherThanWide) {
    Bar b;
    b.bar.setValue(30);
    b.bar.resize(20, 200);
    EXPECT_EQ(b.bar.Orientation(), 1);
    EXPECT_EQ(b.bar.width(), b.bar.thickness());
    const QImage& shown = b.bar.displayed();
    ASSERT_EQ(shown.size(), QSize(b.bar.thickness(), 200));
    // The bar grows from the bottom: blue near the bottom, the groove near the top.
    EXPECT_GT(qBlue(shown.pixel(1, 190)), qRed(shown.pixel(1, 190)));
    EXPECT_EQ(qRed(shown.pixel(1, 20)), qBlue(shown.pixel(1, 20)));
}

TEST(ProgressBar, ReadsAndWritesItsPropertiesWithTheirDefaults) {
    controls::PropertyBag bag;
    ProgressBar bar;
    bar.resize(150, 30);
    bar.setBorderDefault(false);
    bar.setBorderColor(0);
    bar.setForeColor(controls::rgbValue(255, 255, 255));
    bar.writeProperties(bag);
    EXPECT_EQ(bag.stored("BorderDefault"), QVariant(0));
    EXPECT_EQ(bag.stored("BorderColor"), QVariant(0u));
    EXPECT_FALSE(bag.contains("Alignment")) << "2 is the default and is not stored";
    EXPECT_FALSE(bag.contains("Value"));
    ProgressBar again;
    again.resize(150, 30);
    again.readProperties(bag);
    EXPECT_FALSE(again.BorderDefault());
    EXPECT_EQ(again.ForeColor(), controls::rgbValue(255, 255, 255));
    ProgressBar fresh;
    fresh.readProperties(controls::PropertyBag());
    EXPECT_TRUE(fresh.BorderDefault());
    EXPECT_EQ(fresh.ForeColor(), controls::rgbValue(0xC0, 0xFF, 0xFF));
}

TEST(ProgressBar, PutsItsCaptionFivePixelsFromTheEndItIsAlignedTo) {
    Bar b;
    b.bar.setForeColor(controls::rgbValue(255, 255, 255));
    b.bar.setCaption("MMMM");
    b.bar.setValue(100);
    const auto brightColumns = [&](int from, int to) {
        int n = 0;
        for (int x = from; x < to; ++x)
            for (int y = 0; y < b.bar.thickness(); ++y)
                n += qRed(b.at(x, y)) > 0xF0 && qGreen(b.at(x, y)) > 0xF0;
        return n;
    };
    const int width = QFontMetrics(b.bar.Font()).horizontalAdvance("MMMM");
    b.bar.setAlignment(0);
    EXPECT_GT(brightColumns(4, 5 + width), 0) << "white caption from x = 5 (drawn at 4 and 5)";
    EXPECT_EQ(brightColumns(5 + width + 2, 212), 0);
    b.bar.setAlignment(1);
    EXPECT_EQ(brightColumns(0, 212 - width - 7), 0);
    EXPECT_GT(brightColumns(212 - width - 6, 212 - 4), 0) << "ending 5 px from the right";
}
