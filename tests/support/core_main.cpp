// Entry point of the tests of logic, timers, files and sound: GoogleTest under a QCoreApplication (an event loop, no
// display, no widgets), as the programs' non-visual parts run.
#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
