// The caption bar's picture (gradient style 4, border, caption position, button layout) and its
// behaviour (buttons, double click, drag, clamped properties).

#include "ui/controls/TitelBar.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QSignalSpy>
#include <cmath>
#include <gtest/gtest.h>

using controls::rgbValue;
using controls::TitelBar;

namespace {

struct Form {
    Form() {
        window.resize(400, 200);
        bar = new TitelBar(&window);
        bar->setObjectName("TitelBar1");
        window.show();
    }
    void send(QWidget* to, QEvent::Type type, QPoint at,
              Qt::MouseButtons buttons = Qt::LeftButton) {
        QMouseEvent e(type, at, to->mapToGlobal(at), Qt::LeftButton, buttons, {});
        QApplication::sendEvent(to, &e);
    }
    QWidget window;
    TitelBar* bar;
};

} // namespace

TEST(TitelBar, Style4PaintsTheFirstGradientLeftOfADiagonalWithThreeStripes) {
    Form f;
    TitelBar& bar = *f.bar;
    bar.setCaption("");
    bar.setShowButtons(false, false, false);
    bar.setStyle(4);
    bar.setBackColorCover(3);
    bar.setBorderNormal(2);
    bar.setBackColor(rgbValue(0, 200, 0));
    bar.setGradient(rgbValue(200, 0, 0), rgbValue(200, 0, 0), rgbValue(0, 0, 200),
                    rgbValue(0, 0, 200));
    const QImage& img = bar.image();
    const int H = img.height(), F = int(400 * 0.3);
    ASSERT_EQ(H, 31);
    const QRgb red = qRgb(200, 0, 0), blue = qRgb(0, 0, 200), green = qRgb(0, 200, 0);
    for (int i : {1, 10, H - 3}) {
        const int edge = F - i;
        EXPECT_EQ(img.pixel(edge - 1, i), red) << i;
        EXPECT_EQ(img.pixel(edge, i), blue) << i;
        for (int dx : {2, 6, 11})
            EXPECT_EQ(img.pixel(edge + dx, i), red) << i << " stripe +" << dx;
        for (int dx : {3, 7, 12})
            EXPECT_EQ(img.pixel(edge + dx, i), blue) << i << " +" << dx;
    }
    EXPECT_EQ(img.pixel(200, H - 2), green) << "rows below H - 3 are not painted";
    // The one-pixel 3-D border: light top and left, dark bottom and right.
    EXPECT_EQ(img.pixel(200, 0), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(0, 15), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(200, H - 1), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(399, 15), qRgb(0, 0, 0));
}

TEST(TitelBar, LaysOutItsButtonsFromTheRightEdge) {
    Form f;
    f.bar->setShowButtons(true, false, true);
    EXPECT_EQ(f.bar->closeButton()->geometry(), QRect(400 - 16 - 6, (31 - 16) / 2, 16, 16));
    EXPECT_EQ(f.bar->minButton()->x() + 16, f.bar->closeButton()->x() - 6);
    EXPECT_TRUE(f.bar->maxButton()->isHidden());
    f.bar->setShowButtons(true, true, true);
    EXPECT_EQ(f.bar->maxButton()->x(), f.bar->closeButton()->x() - 3 - 3 - 16);
    f.bar->setStyle(14);
    EXPECT_EQ(f.bar->closeButton()->x(), 400 - 16 - 3 - 6);
}

TEST(TitelBar, PlacesTheCaptionByItsRules) {
    Form f;
    TitelBar& bar = *f.bar;
    bar.setCaption("Tallyvane 2.1");
    bar.setCaptionBorder(true);
    bar.setCaption3D(2, false, false, true, true);
    bar.setCaptionPos(3, 2);
    const int B = bar.BorderNormal();
    EXPECT_EQ(bar.captionPos().x() + bar.captionSize().width(), 400 - B - 1 - 3);
    EXPECT_EQ(bar.captionPos().y(), (31 - bar.captionSize().height() - B) / 2);
    bar.setCaptionPos(0, 1);
    EXPECT_EQ(bar.captionPos(), QPoint(6, 0));
    bar.setPictureButton(QPixmap(20, 20));
    EXPECT_EQ(bar.captionPos().x(), 6 + 6 + 20) << "after the icon";
}

TEST(TitelBar, ClampsItsCoverAndIconStyle) {
    Form f;
    f.bar->setIconStyle(5);
    EXPECT_EQ(f.bar->IconStyle(), 2);
    f.bar->setBackColorCover(0);
    EXPECT_EQ(f.bar->BackColorCover(), 1);
    f.bar->setBackColorCover(12);
    EXPECT_EQ(f.bar->BackColorCover(), 10);
}

TEST(TitelBar, ButtonsCloseMaximiseAndMinimiseAndADoubleClickDoesNot) {
    Form f;
    f.bar->setShowButtons(true, true, true);
    QSignalSpy doubles(f.bar, &TitelBar::DblClick);
    f.send(f.bar, QEvent::MouseButtonDblClick, {100, 10});
    EXPECT_EQ(doubles.count(), 1);
    EXPECT_FALSE(f.window.isMaximized());
    f.send(f.bar->maxButton(), QEvent::MouseButtonPress, {8, 8});
    EXPECT_TRUE(f.window.isMaximized());
    f.send(f.bar->maxButton(), QEvent::MouseButtonPress, {8, 8});
    EXPECT_FALSE(f.window.isMaximized());
    f.send(f.bar->minButton(), QEvent::MouseButtonPress, {8, 8});
    EXPECT_TRUE(f.window.windowState() & Qt::WindowMinimized);
    f.window.showNormal();

    // A disabled close picture, no hover picture, and the click still closes.
    f.bar->setButtonsEnabled(false, true, true);
    const qint64 disabled = TitelBar::buttonPicture(0, 0, 3).cacheKey();
    EXPECT_EQ(f.bar->closeButton()->pixmap().cacheKey(), disabled);
    f.send(f.bar->closeButton(), QEvent::MouseMove, {8, 8}, Qt::NoButton);
    EXPECT_EQ(f.bar->closeButton()->pixmap().cacheKey(), disabled);
    f.send(f.bar->minButton(), QEvent::MouseMove, {8, 8}, Qt::NoButton);
    EXPECT_EQ(f.bar->minButton()->pixmap().cacheKey(), TitelBar::buttonPicture(0, 2, 1).cacheKey());
    // Leaving a button, even straight out of the window, takes its hover picture away.
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(f.bar->minButton(), &leave);
    EXPECT_EQ(f.bar->minButton()->pixmap().cacheKey(), TitelBar::buttonPicture(0, 2, 2).cacheKey());
    f.send(f.bar->closeButton(), QEvent::MouseButtonPress, {8, 8});
    EXPECT_FALSE(f.window.isVisible());
}

TEST(TitelBar, DraggingTheBarMovesTheWindow) {
    Form f;
    f.window.move(100, 100);
    const QPoint start = f.window.pos();
    f.send(f.bar, QEvent::MouseButtonPress, {50, 10});
    f.send(f.bar, QEvent::MouseMove, {80, 30});
    f.send(f.bar, QEvent::MouseButtonRelease, {80, 30}, Qt::NoButton);
    if (f.bar->lastDragBySystem())
        GTEST_SKIP() << "the window system moved it";
    EXPECT_EQ(f.window.pos(), start + QPoint(30, 20));
}

TEST(TitelBar, ReadsAndWritesItsPropertiesWithTheirDefaults) {
    Form f;
    controls::PropertyBag bag;
    f.bar->readProperties(bag);
    EXPECT_EQ(f.bar->Style(), 8);
    EXPECT_EQ(f.bar->BorderNormal(), 0);
    EXPECT_EQ(f.bar->Caption(), "TitelBar1");
    f.bar->setStyle(4);
    f.bar->setShowButtons(true, true, true);
    f.bar->writeProperties(bag);
    EXPECT_EQ(bag.stored("Style"), QVariant(4));
    EXPECT_EQ(bag.stored("ShowMaximized"), QVariant(-1));
    EXPECT_FALSE(bag.contains("ShowClose"));
    EXPECT_FALSE(bag.contains("Caption"));
}

// A form names its controls after making them: a new bar's caption is the name it is given,
// until a caption of its own is set.
TEST(TitelBar, ANewBarIsCaptionedWithItsNameAndHearsTheKeyboard) {
    Form f;
    EXPECT_EQ(f.bar->Caption(), "TitelBar1");
    f.bar->setCaption("Tallyvane 2.1");
    f.bar->setObjectName("Renamed");
    EXPECT_EQ(f.bar->Caption(), "Tallyvane 2.1") << "a caption given stays";

    QSignalSpy down(f.bar, &TitelBar::KeyDown), press(f.bar, &TitelBar::KeyPress),
        up(f.bar, &TitelBar::KeyUp);
    QKeyEvent pressed(QEvent::KeyPress, Qt::Key_A, Qt::ShiftModifier, "A");
    QApplication::sendEvent(f.bar, &pressed);
    QKeyEvent released(QEvent::KeyRelease, Qt::Key_A, Qt::ShiftModifier, "A");
    QApplication::sendEvent(f.bar, &released);
    ASSERT_EQ(down.size(), 1);
    EXPECT_EQ(down[0], (QVariantList{int(Qt::Key_A), 1})) << "Shift is 1";
    ASSERT_EQ(press.size(), 1);
    EXPECT_EQ(press[0][0].toInt(), int('A'));
    ASSERT_EQ(up.size(), 1);
    EXPECT_EQ(up[0], (QVariantList{int(Qt::Key_A), 1}));
}

// Font, the icon, the surface's picture, AutoRedraw and ForeColor go into the bag and come back.
TEST(TitelBar, KeepsItsFontPicturesAndFlagsInThePropertyBag) {
    Form f;
    QFont tahoma("Tahoma");
    tahoma.setPointSizeF(14.4);
    f.bar->setFontProperty(tahoma);
    QPixmap icon(16, 16);
    icon.fill(Qt::red);
    f.bar->setPictureButton(icon);
    QPixmap surface(8, 8);
    surface.fill(Qt::blue);
    f.bar->setPicture(surface);
    f.bar->setAutoRedraw(true);
    f.bar->setForeColor(rgbValue(1, 2, 3));
    EXPECT_EQ(f.bar->ForeColor(), rgbValue(255, 255, 255)) << "painting gives it the caption's colour";
    controls::PropertyBag bag;
    f.bar->writeProperties(bag);
    for (const char* key : {"Font", "PictureButton", "Picture", "AutoRedraw", "ForeColor"})
        EXPECT_TRUE(bag.contains(key)) << key;
    TitelBar again(&f.window);
    again.readProperties(bag);
    EXPECT_EQ(again.FontProperty().family(), "Tahoma");
    EXPECT_EQ(again.FontProperty().pointSizeF(), 14.4);
    EXPECT_EQ(again.PictureButton().size(), QSize(16, 16));
    EXPECT_EQ(again.Picture().size(), QSize(8, 8));
    EXPECT_TRUE(again.AutoRedraw());
    controls::PropertyBag plain;
    TitelBar(&f.window).writeProperties(plain);
    for (const char* key : {"Font", "PictureButton", "Picture", "AutoRedraw"})
        EXPECT_FALSE(plain.contains(key)) << key << " at its default is left out";
}

TEST(TitelBar, Style14SplitsTheBarIntoTwoHalvesAndStyle0UsesOneGradient) {
    Form f;
    TitelBar& bar = *f.bar;
    bar.setCaption("");
    bar.setShowButtons(false, false, false);
    bar.setBorderNormal(0);
    bar.setGradient(rgbValue(200, 0, 0), rgbValue(100, 0, 0), rgbValue(0, 0, 200),
                    rgbValue(0, 0, 100));
    bar.setStyle(14);
    const int n = 31 / 2;
    EXPECT_EQ(bar.image().pixel(300, 0), qRgb(200, 0, 0));
    EXPECT_EQ(bar.image().pixel(300, n - 1),
              qRgb(200 - int(std::lround((n - 1) * 100.0 / n)), 0, 0));
    EXPECT_EQ(bar.image().pixel(10, n), qRgb(0, 0, 200)) << "the lower half, full width";
    bar.setStyle(0);
    EXPECT_EQ(bar.image().pixel(390, 0), qRgb(200, 0, 0));
    EXPECT_EQ(bar.image().pixel(390, 30), qRgb(200 - int(std::lround(30 * 100.0 / 31)), 0, 0));
}

TEST(TitelBar, Styles5To8TurnTheEdgeTheOtherWay) {
    Form f;
    TitelBar& bar = *f.bar;
    bar.setCaption("");
    bar.setShowButtons(false, false, false);
    bar.setBorderNormal(0);
    bar.setGradient(rgbValue(200, 0, 0), rgbValue(200, 0, 0), rgbValue(0, 0, 200),
                    rgbValue(0, 0, 200));
    bar.setStyle(8);
    const int F = int(400 * 0.3);
    for (int i : {0, 10, 20}) {
        EXPECT_EQ(bar.image().pixel(F + i - 1, i), qRgb(200, 0, 0)) << i;
        EXPECT_EQ(bar.image().pixel(F + i, i), qRgb(0, 0, 200)) << i;
        EXPECT_EQ(bar.image().pixel(F + i + 6, i), qRgb(200, 0, 0)) << i << " stripe";
    }
    bar.setStyle(5);
    EXPECT_EQ(bar.image().pixel(F + 10 + 6, 10), qRgb(0, 0, 200)) << "style 5 has no stripes";
}
