// GoogleTest's main for the tests of the Qt window, with the application the
// widgets need. A test that ends the program runs in a process started
// afresh, never a fork of one where the toolkit's threads run.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    return RUN_ALL_TESTS();
}
