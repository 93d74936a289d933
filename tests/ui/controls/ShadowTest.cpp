// The drop shadow: where its strips go, their alpha at the darkest point and along the fade,
// following moves, resizes, hide and show, and what a second attachment or a poor screen does.

#include "ui/controls/WindowHook.h"
#include "ui/controls/clsShadow.h"

#include <QApplication>
#include <gtest/gtest.h>

using controls::clsShadow;

namespace {

struct Shadowed {
    Shadowed() {
        form.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        form.setGeometry(100, 80, 300, 200);
        form.show();
        EXPECT_TRUE(shadow.Shadow(&form)) << shadow.lastError().toStdString();
    }
    QRect frame() const { return form.frameGeometry(); }
    QWidget form;
    clsShadow shadow;
};

} // namespace

TEST(Shadow, StripsLieAlongTheRightAndBottomEdges) {
    Shadowed s;
    const QRect r = s.frame();
    EXPECT_EQ(s.shadow.rightStrip()->geometry(), QRect(r.right() + 1, r.top() + 7, 7, r.height()));
    EXPECT_EQ(s.shadow.bottomStrip()->geometry(),
              QRect(r.left() + 7, r.bottom() + 1, r.width() - 7, 7));
    EXPECT_TRUE(s.shadow.rightStrip()->isVisible());
    EXPECT_NEAR(s.shadow.rightStrip()->windowOpacity(), 140 / 255.0, 0.01);
}

TEST(Shadow, StripsAreDarkestNextToTheWindowAndFadeOut) {
    const QImage right = clsShadow::rightImage(7, 200, 0);
    // The column next to the window, away from the ends, is fully the colour.
    EXPECT_EQ(qAlpha(right.pixel(0, 100)), 255);
    for (int x = 0; x < 7; ++x)
        EXPECT_EQ(qAlpha(right.pixel(x, 100)), 255 * (7 - x) / 7) << x;
    // The ends fade in over the strip's width (row 0 of the image is the top).
    EXPECT_EQ(qAlpha(right.pixel(0, 199)), 0);
    EXPECT_EQ(qAlpha(right.pixel(0, 199 - 3)), 3 * 255 / 7);
    EXPECT_EQ(qAlpha(right.pixel(0, 0)), 1 * 255 / 7);
    const QImage bottom = clsShadow::bottomImage(293, 7, 0);
    EXPECT_EQ(qAlpha(bottom.pixel(100, 0)), 255 * 6 / 7) << "the top row is darkest";
    EXPECT_EQ(qAlpha(bottom.pixel(100, 6)), 0) << "the bottom row is clear";
    EXPECT_EQ(qAlpha(bottom.pixel(3, 0)), (3 * 255 / 7) * 6 / 7) << "fading in at the left";
    // Premultiplied colour.
    const QImage red = clsShadow::rightImage(7, 50, controls::rgbValue(200, 0, 0));
    const QRgb p = red.pixel(3, 25);
    EXPECT_EQ(qRed(p), int(std::lround(200 * qAlpha(p) / 255.0)));
    // The rounded corner of that one style: twelve pixels cleared.
    const QImage luna = clsShadow::rightImage(7, 50, 0, true);
    int cleared = 0;
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            cleared += qAlpha(luna.pixel(x, y)) == 0 && qAlpha(right.pixel(x, y)) != 0;
    EXPECT_EQ(cleared, 12);
}

TEST(Shadow, FollowsMovesResizesHideAndShow) {
    Shadowed s;
    const int painted = s.shadow.paintCount();
    s.form.move(150, 120);
    QApplication::processEvents();
    EXPECT_EQ(s.shadow.rightStrip()->geometry().topLeft(),
              QPoint(s.frame().right() + 1, s.frame().top() + 7));
    EXPECT_EQ(s.shadow.paintCount(), painted) << "a move repaints nothing";
    s.form.resize(300, 260);
    QApplication::processEvents();
    EXPECT_EQ(s.shadow.rightStrip()->height(), 260);
    EXPECT_EQ(s.shadow.paintCount(), painted + 1) << "only the strip whose length changed";
    s.form.hide();
    EXPECT_FALSE(s.shadow.rightStrip()->isVisible());
    EXPECT_FALSE(s.shadow.bottomStrip()->isVisible());
    s.form.show();
    EXPECT_TRUE(s.shadow.bottomStrip()->isVisible());
    EXPECT_EQ(s.shadow.paintCount(), painted + 1) << "shown again without repainting";
    s.shadow.setDepth(7);
    EXPECT_EQ(s.shadow.paintCount(), painted + 1) << "the same depth does not repaint";
    s.shadow.setDepth(9);
    EXPECT_EQ(s.shadow.rightStrip()->width(), 9);
}

TEST(Shadow, OneFormPerShadowAndNoneOnAPoorScreen) {
    Shadowed s;
    QWidget other;
    EXPECT_FALSE(s.shadow.Shadow(&other));
    EXPECT_EQ(s.shadow.lastError(), "Only a single form per cShadow instance is allowed");
    EXPECT_TRUE(controls::WindowHook::isSubclassed(&s.form));
    QString error;
    EXPECT_FALSE(controls::WindowHook::subclass(
        &s.form, [](QWidget*, QEvent*) {}, &error));
    EXPECT_EQ(error, "Window handle is already subclassed");

    const auto depth = clsShadow::screenDepth;
    clsShadow::screenDepth = [] { return 8; };
    QWidget poor;
    poor.show();
    clsShadow none;
    EXPECT_FALSE(none.Shadow(&poor));
    EXPECT_EQ(none.rightStrip(), nullptr);
    EXPECT_FALSE(controls::WindowHook::isSubclassed(&poor));
    clsShadow::screenDepth = depth;
}

TEST(Shadow, TheProgramWideSlotReleasesTheShadowHeldBefore) {
    QWidget first, second;
    first.show();
    second.show();
    controls::clsShadow* a = controls::attachShadow(&first);
    EXPECT_TRUE(controls::WindowHook::isSubclassed(&first));
    controls::clsShadow* b = controls::attachShadow(&second);
    EXPECT_NE(a, b);
    EXPECT_FALSE(controls::WindowHook::isSubclassed(&first)) << "the first shadow was released";
    EXPECT_EQ(controls::currentShadow(), b);
}
