// What the controls share: the property bag's defaults and the window hook's table.

#include "ui/controls/PropertyBag.h"
#include "ui/controls/WindowHook.h"

#include <QApplication>
#include <QResizeEvent>
#include <gtest/gtest.h>

using controls::PropertyBag;
using controls::WindowHook;

TEST(PropertyBag, StoresOnlyWhatDiffersFromTheDefaultUnderAnyLetterCase) {
    PropertyBag bag;
    bag.write("BackColor", 5u, 5u);
    EXPECT_FALSE(bag.contains("BackColor"));
    EXPECT_EQ(bag.read("backcolor", 7u), QVariant(7u));
    bag.write("BackColor", 9u, 5u);
    EXPECT_EQ(bag.read("BACKCOLOR", 7u), QVariant(9u));
    bag.write("backColor", 5u, 5u);
    EXPECT_EQ(bag.size(), 0) << "writing the default again takes the key out";
    bag.writeBool("Enabled", false, true);
    EXPECT_EQ(bag.stored("Enabled"), QVariant(0));
    bag.writeBool("Visible", true, false);
    EXPECT_EQ(bag.stored("Visible"), QVariant(-1));
    EXPECT_FALSE(bag.readBool("Enabled", true));
    EXPECT_TRUE(bag.readBool("Visible", false));
    EXPECT_TRUE(bag.readBool("Missing", true));
}

TEST(WindowHook, SeesTheEventsOfItsTableWithoutTakingThemFromTheWindow) {
    struct Counting : QWidget {
        int resizes = 0;
        void resizeEvent(QResizeEvent*) override { ++resizes; }
    } window;
    int seen = 0;
    QString error;
    EXPECT_FALSE(WindowHook::subclass(
        nullptr, [](QWidget*, QEvent*) {}, &error));
    EXPECT_EQ(error, "Invalid window handle");
    EXPECT_FALSE(WindowHook::subclass(&window, nullptr, &error));
    EXPECT_EQ(error, "Callback method not found");
    EXPECT_FALSE(WindowHook::addMessage(&window, QEvent::Resize, &error));
    EXPECT_EQ(error, "Thunk hasn't been initialized");

    ASSERT_TRUE(WindowHook::subclass(
        &window, [&](QWidget*, QEvent*) { ++seen; }, &error));
    ASSERT_TRUE(WindowHook::addMessage(&window, QEvent::Resize));
    ASSERT_TRUE(WindowHook::addMessage(&window, QEvent::Resize)) << "no duplicate, no failure";
    QResizeEvent resize(QSize(10, 10), QSize(5, 5));
    QApplication::sendEvent(&window, &resize);
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(window.resizes, 1) << "the window still handles it";
    QEvent other(QEvent::FontChange);
    QApplication::sendEvent(&window, &other);
    EXPECT_EQ(seen, 1) << "not in the table";

    for (int type = QEvent::User; WindowHook::addMessage(&window, QEvent::Type(type), &error);
         ++type) {
    }
    EXPECT_TRUE(error.startsWith("Message table overflow.")) << error.toStdString();
    WindowHook::removeMessage(&window, QEvent::Resize);
    QApplication::sendEvent(&window, &resize);
    EXPECT_EQ(seen, 1);

    WindowHook::unsubclass(&window);
    EXPECT_FALSE(WindowHook::isSubclassed(&window));
    EXPECT_TRUE(WindowHook::subclass(&window, [](QWidget*, QEvent*) {}));
}
