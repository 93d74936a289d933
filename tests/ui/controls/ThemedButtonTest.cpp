// The themed button: its state table under the pointer and the keyboard, access keys, option
// groups with a standard radio button, the check box cycle, property-bag defaults, and the
// painted pictures (window regions, focus rectangle, washed-out picture, classic check box).

#include "ui/controls/ThemedButton.h"

#include "ui/controls/VisualStyle.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using controls::ThemedButton;

namespace {

struct Form {
    Form() {
        window.resize(300, 200);
        button = new ThemedButton(&window, "Command1");
        button->setGeometry(10, 10, 120, 40);
        window.show();
    }
    void mouse(QEvent::Type type, QPoint at, Qt::MouseButtons buttons,
               Qt::MouseButton which = Qt::LeftButton) {
        QMouseEvent e(type, at, button->mapToGlobal(at), which, buttons, {});
        QApplication::sendEvent(button, &e);
    }
    void key(QEvent::Type type, int code) {
        QKeyEvent e(type, code, Qt::NoModifier, code == Qt::Key_Space ? " " : "");
        QApplication::sendEvent(button, &e);
    }
    QWidget window;
    ThemedButton* button;
};

} // namespace

TEST(ThemedButton, FollowsThePointerAndClicksOnlyWhenReleasedOverIt) {
    Form f;
    QSignalSpy clicks(f.button, &ThemedButton::Click);
    f.mouse(QEvent::MouseMove, {20, 20}, Qt::NoButton);
    EXPECT_EQ(f.button->state(), ThemedButton::Over);
    f.mouse(QEvent::MouseButtonPress, {20, 20}, Qt::LeftButton);
    EXPECT_EQ(f.button->state(), ThemedButton::Pressed);
    f.mouse(QEvent::MouseMove, {200, 100}, Qt::LeftButton); // dragged off, still captured
    EXPECT_EQ(f.button->state(), ThemedButton::Over);
    f.mouse(QEvent::MouseButtonRelease, {200, 100}, Qt::NoButton);
    EXPECT_EQ(clicks.count(), 0) << "released outside: no Click";

    f.mouse(QEvent::MouseMove, {20, 20}, Qt::NoButton);
    f.mouse(QEvent::MouseButtonPress, {20, 20}, Qt::LeftButton);
    f.mouse(QEvent::MouseButtonRelease, {20, 20}, Qt::NoButton);
    EXPECT_EQ(clicks.count(), 1);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(f.button, &leave);
    EXPECT_EQ(f.button->state(), ThemedButton::Defaulted) << "a focused push button left alone";

    f.mouse(QEvent::MouseMove, {20, 20}, Qt::NoButton);
    f.mouse(QEvent::MouseButtonPress, {20, 20}, Qt::RightButton, Qt::RightButton);
    f.mouse(QEvent::MouseButtonRelease, {20, 20}, Qt::NoButton, Qt::RightButton);
    EXPECT_EQ(clicks.count(), 1) << "another button raises no Click";
}

TEST(ThemedButton, TheSpaceBarPressesAndClicks) {
    Form f;
    QSignalSpy clicks(f.button, &ThemedButton::Click);
    QSignalSpy downs(f.button, &ThemedButton::KeyDown);
    f.key(QEvent::KeyPress, Qt::Key_Space);
    EXPECT_EQ(f.button->state(), ThemedButton::Pressed);
    EXPECT_EQ(downs.count(), 1);
    f.key(QEvent::KeyRelease, Qt::Key_Space);
    EXPECT_EQ(f.button->state(), ThemedButton::Over);
    EXPECT_EQ(clicks.count(), 1);
}

TEST(ThemedButton, AnAccessKeyAfterALiteralAmpersandClicks) {
    Form f;
    f.button->setCaption("Save && &print");
    EXPECT_EQ(f.button->accessKey(), QChar('P'));
    EXPECT_EQ(f.button->accessKeyPos(), 10) << "the letter's place in the caption";
    QSignalSpy clicks(f.button, &ThemedButton::Click);
    EXPECT_FALSE(f.button->AccessKeyPress('s'));
    EXPECT_TRUE(f.button->AccessKeyPress('p'));
    EXPECT_TRUE(f.button->AccessKeyPress(13)) << "Enter, the default button's key";
    EXPECT_EQ(clicks.count(), 2);
    f.button->setCaption("Only && literal");
    EXPECT_TRUE(f.button->accessKey().isNull());
}

TEST(ThemedButton, OptionButtonsAndAStandardRadioButtonExcludeEachOther) {
    Form f;
    f.button->setButtonType(ThemedButton::OptionButton);
    auto* radio = new QRadioButton("Standard", &f.window);
    radio->setGeometry(10, 80, 100, 20);
    radio->show();
    radio->setChecked(true);
    f.button->click();
    EXPECT_EQ(f.button->value(), 1);
    EXPECT_FALSE(radio->isChecked());
    radio->setChecked(true);
    QTest::qWait(150); // the 50 ms poll
    EXPECT_EQ(f.button->value(), 0);
    f.button->setValue(2);
    EXPECT_EQ(f.button->value(), 0) << "an option button refuses 2";

    auto* multi = new ThemedButton(&f.window, "Other");
    multi->setButtonType(ThemedButton::OptionButton);
    multi->setOptionButtonMultiSelect(true);
    multi->setGeometry(150, 10, 100, 20);
    multi->click();
    multi->click();
    EXPECT_EQ(multi->value(), 0) << "multi-select toggles off";
    multi->click();
    f.button->click();
    EXPECT_EQ(multi->value(), 1) << "never cleared by a sibling of another name";
}

TEST(ThemedButton, ACheckBoxCyclesFromIndeterminateToCheckedAndBack) {
    Form f;
    f.button->setButtonType(ThemedButton::CheckBox);
    f.button->setValue(2);
    QList<int> seen{f.button->value()};
    for (int i = 0; i < 3; ++i) {
        f.button->click();
        seen << f.button->value();
    }
    EXPECT_EQ(seen, QList<int>({2, 1, 0, 1}));
}

TEST(ThemedButton, KeepsItsSmallestSizesAndPictureAlignment) {
    Form f;
    f.button->resize(4, 10);
    EXPECT_EQ(f.button->size(), QSize(7, 16));
    f.button->setButtonType(ThemedButton::OptionButton);
    f.button->resize(100, 10);
    EXPECT_EQ(f.button->height(), 18);
    f.button->setCaption("Go");
    f.button->setPictureAlign(2);
    EXPECT_EQ(f.button->PictureAlign(), 0);
}

TEST(ThemedButton, ReadsValueTwoWhenTheBagHasNoneAndKeepsOtherDefaultsOut) {
    Form f;
    controls::PropertyBag bag;
    f.button->writeProperties(bag);
    EXPECT_EQ(bag.stored("Value"), QVariant(0)) << "a new button holds 0 explicitly";
    EXPECT_FALSE(bag.contains("OverColor"));
    EXPECT_FALSE(bag.contains("ShowFocusRect"));
    ThemedButton again(&f.window, "Command1");
    again.readProperties(bag);
    EXPECT_EQ(again.value(), 0);
    ThemedButton fresh(&f.window, "Command2");
    fresh.readProperties(controls::PropertyBag());
    EXPECT_EQ(fresh.value(), 2);
    EXPECT_EQ(fresh.Caption(), "Command2");
    f.button->setShowFocusRect(false);
    f.button->writeProperties(bag);
    EXPECT_EQ(bag.stored("ShowFocusRect"), QVariant(0));
}

// The skins, the picture, the custom pointer and the font go into the bag and come back.
TEST(ThemedButton, KeepsItsSkinsPictureMouseIconAndFontInThePropertyBag) {
    Form f;
    QImage normal(30, 20, QImage::Format_RGB32);
    normal.fill(Qt::green);
    QImage pressed(30, 20, QImage::Format_RGB32);
    pressed.fill(Qt::darkGreen);
    f.button->setSkin(ThemedButton::SlotNormal, normal);
    f.button->setSkin(ThemedButton::SlotPressed, pressed);
    QImage picture(12, 12, QImage::Format_RGB32);
    picture.fill(Qt::yellow);
    f.button->setPicture(picture);
    QPixmap pointer(32, 32);
    pointer.fill(Qt::black);
    ASSERT_TRUE(f.button->setMouseIcon(pointer));
    QFont tahoma("Tahoma");
    tahoma.setPointSizeF(9);
    f.button->setFont(tahoma);
    controls::PropertyBag bag;
    f.button->writeProperties(bag);
    for (const char* key : {"ButtonNormal", "ButtonPressed", "Picture", "MouseIcon", "Font"})
        EXPECT_TRUE(bag.contains(key)) << key;

    ThemedButton again(&f.window, "Command1");
    again.readProperties(bag);
    EXPECT_EQ(again.skin(ThemedButton::SlotPressed).pixelColor(0, 0), QColor(Qt::darkGreen));
    EXPECT_EQ(again.Picture().size(), QSize(12, 12));
    EXPECT_EQ(again.MousePointer(), 99);
    EXPECT_EQ(again.cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(again.font().family(), "Tahoma");
}

// MousePointer's standard numbers are the window system's pointers; 0 is the default one.
TEST(ThemedButton, MousePointerNumbersShowTheirPointers) {
    Form f;
    const std::pair<int, Qt::CursorShape> pointers[] = {
        {1, Qt::ArrowCursor}, {2, Qt::CrossCursor},      {3, Qt::IBeamCursor},
        {7, Qt::SizeVerCursor}, {9, Qt::SizeHorCursor},  {11, Qt::WaitCursor},
        {12, Qt::ForbiddenCursor}, {13, Qt::BusyCursor}, {14, Qt::WhatsThisCursor}};
    for (const auto& [number, shape] : pointers) {
        f.button->setMousePointer(number);
        EXPECT_EQ(f.button->cursor().shape(), shape) << number;
    }
    f.button->setMousePointer(0);
    EXPECT_FALSE(f.button->testAttribute(Qt::WA_SetCursor));
    f.button->setMousePointer(99); // custom without an icon: the default pointer
    EXPECT_FALSE(f.button->testAttribute(Qt::WA_SetCursor));
}

// Drag and drop reach the host as its six events, the effects as the host leaves them.
TEST(ThemedButton, PassesDragAndDropToTheHost) {
    Form f;
    EXPECT_FALSE(f.button->acceptDrops()) << "no drops unless the host takes them";
    f.button->setOLEDropMode(1);
    EXPECT_TRUE(f.button->acceptDrops());
    QStringList told;
    QObject::connect(f.button, &ThemedButton::OLEDragOver,
                     [&](QMimeData* data, int* effect, int button, int shift, double x, double y,
                         int state) {
                         told << QString("over %1 %2 %3 %4 %5,%6 %7")
                                     .arg(data ? data->text() : "-")
                                     .arg(*effect).arg(button).arg(shift).arg(x).arg(y).arg(state);
                         *effect = 1; // the host takes copies only
                     });
    QObject::connect(f.button, &ThemedButton::OLEDragDrop,
                     [&](QMimeData* data, int* effect, int, int, double x, double y) {
                         told << QString("drop %1 %2 %3,%4").arg(data->text()).arg(*effect).arg(x).arg(y);
                     });
    QMimeData data;
    data.setText("Scratch");
    QDragEnterEvent enter(QPoint(5, 6), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                          Qt::ShiftModifier);
    const int proposed = enter.proposedAction() == Qt::MoveAction ? 2 : 1;
    QApplication::sendEvent(f.button, &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(enter.dropAction(), Qt::CopyAction) << "as the host left the effect";
    QDropEvent drop(QPointF(7, 8), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(f.button, &drop);
    QDragEnterEvent again(QPoint(5, 6), Qt::CopyAction, &data, Qt::NoButton, {});
    QApplication::sendEvent(f.button, &again);
    QDragLeaveEvent leave;
    QApplication::sendEvent(f.button, &leave);
    ASSERT_EQ(told.size(), 4) << told.join('|').toStdString();
    EXPECT_EQ(told[0], QString("over Scratch %1 1 1 5,6 0").arg(proposed))
        << "the proposed effect, left button, Shift, entered";
    EXPECT_TRUE(told[1].startsWith("drop Scratch ")) << told[1].toStdString();
    EXPECT_TRUE(told[1].endsWith(" 7,8")) << told[1].toStdString();
    EXPECT_EQ(told[2], "over Scratch 1 0 0 5,6 0");
    EXPECT_TRUE(told[3].startsWith("over Scratch 0 0 0 ") && told[3].endsWith(" 1"))
        << "left: " << told[3].toStdString();

    // A drag from the button: the host fills the data as a format is asked of it, and may
    // refuse the drag; it is told how the drag ended.
    QObject::connect(f.button, &ThemedButton::OLEStartDrag, [&](QMimeData* d, int* allowed) {
        told << QString("start %1").arg(*allowed);
        told << QString::fromUtf8(d->data("text/csv"));
        *allowed = 0;
    });
    QObject::connect(f.button, &ThemedButton::OLESetData, [&](QMimeData* d, const QString& format) {
        told << "set " + format;
        d->setData(format, "Scratch,44");
    });
    QObject::connect(f.button, &ThemedButton::OLECompleteDrag,
                     [&](int effect) { told << QString("complete %1").arg(effect); });
    f.button->OLEDrag();
    EXPECT_EQ(told.mid(4), (QStringList{"start 3", "set text/csv", "Scratch,44", "complete 0"}));
}

TEST(ThemedButton, ShapesItsWindowByLookAndCorner) {
    Form f;
    controls::forceVisualStyle(true);
    f.button->setButtonThemeType(0);
    f.button->setButtonCorner(0); // ApplyShape again with the style in force
    QEvent styleChange(QEvent::StyleChange);
    QApplication::sendEvent(f.button, &styleChange);
    const QRegion& styled = f.button->shape();
    EXPECT_FALSE(styled.contains(QPoint(1, 1))) << "3 x 3 corners";
    EXPECT_TRUE(styled.contains(QPoint(2, 1)));
    EXPECT_TRUE(styled.contains(QPoint(1, 2)));
    EXPECT_FALSE(styled.contains(QPoint(119, 39)));
    EXPECT_TRUE(styled.contains(QPoint(118, 39)));
    EXPECT_FALSE(styled.contains(QPoint(0, 5)));

    controls::forceVisualStyle(false);
    QEvent change(QEvent::StyleChange);
    QApplication::sendEvent(f.button, &change);
    EXPECT_EQ(f.button->shape(), QRegion(1, 1, 119, 39))
        << "classic: the plain rectangle from (1, 1)";

    f.button->setButtonThemeType(1);
    f.button->setButtonRounding(0);
    EXPECT_EQ(f.button->shape(), QRegion(0, 0, 121, 41));
    f.button->setButtonRounding(10);
    f.button->setButtonCorner(2);
    const QRegion& skinned = f.button->shape();
    EXPECT_FALSE(skinned.contains(QPoint(0, 0))) << "only the top-left corner is round";
    EXPECT_TRUE(skinned.contains(QPoint(119, 0)));
    EXPECT_TRUE(skinned.contains(QPoint(0, 39)));
    EXPECT_TRUE(skinned.contains(QPoint(119, 39)));
    controls::forceVisualStyle(std::nullopt);
}

TEST(ThemedButton, PaintsTheFocusRectangleAndWashesOutADisabledPicture) {
    Form f;
    controls::forceVisualStyle(false);
    f.button->setButtonThemeType(1);
    f.button->setBackColor(controls::rgbValue(255, 255, 255));
    f.button->setCaption("");
    f.button->setFocus();
    QFocusEvent in(QEvent::FocusIn);
    QApplication::sendEvent(f.button, &in);
    EXPECT_EQ(f.button->focusRect(), QRect(QPoint(5, 5), QPoint(114, 34)));
    EXPECT_EQ(f.button->surface().pixel(5, 5), qRgb(0, 0, 0)) << "white inverted";
    EXPECT_EQ(f.button->surface().pixel(6, 5), qRgb(255, 255, 255)) << "dotted";

    QImage picture(32, 32, QImage::Format_RGB32);
    picture.fill(qRgb(255, 0, 255)); // the transparent colour (top-left)
    for (int y = 8; y < 24; ++y)
        for (int x = 8; x < 24; ++x)
            picture.setPixel(x, y, qRgb(0, 0, 128));
    f.button->setPicture(picture);
    f.button->setPictureAlign(2);
    const QPoint centre(60, 20);
    EXPECT_EQ(f.button->surface().pixel(centre), qRgb(0, 0, 128));
    EXPECT_EQ(f.button->surface().pixel(46, 6), qRgb(255, 255, 255))
        << "the key colour is transparent";
    f.button->setEnabledProperty(false);
    EXPECT_EQ(f.button->surface().pixel(centre), qRgb(0x7F, 0x7F, 0xFF)) << "washed out";
    controls::forceVisualStyle(std::nullopt);
}

TEST(ThemedButton, DrawsTheClassicIndeterminateCheckBox) {
    Form f;
    controls::forceVisualStyle(false);
    QEvent change(QEvent::StyleChange);
    QApplication::sendEvent(f.button, &change);
    f.button->setButtonType(ThemedButton::CheckBox);
    f.button->setCaption("");
    f.button->setValue(2);
    EXPECT_EQ(f.button->surface().pixel(1 + 3, 4), qRgb(0xF1, 0xF1, 0xF2)) << "the grey box";
    f.mouse(QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton);
    EXPECT_EQ(f.button->surface().pixel(1 + 3, 4), qRgb(0xE3, 0xE3, 0xE3)) << "pressed: 3-D light";
    controls::forceVisualStyle(std::nullopt);
}

TEST(ThemedButton, APressedPushButtonMovesItsCaptionOnePixel) {
    Form f;
    f.button->setCaption("Refresh");
    const QRect up = f.button->captionRect();
    f.mouse(QEvent::MouseButtonPress, {20, 20}, Qt::LeftButton);
    EXPECT_EQ(f.button->captionRect(), up.translated(1, 1));
}
