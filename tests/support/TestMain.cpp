// The tests' entry: every test runs in the same pinned locale (US English), whatever the machine's
// own; tests of other locales set theirs and put it back.

#include <QLocale>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    return RUN_ALL_TESTS();
}
