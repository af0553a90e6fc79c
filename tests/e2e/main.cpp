#include <gtest/gtest.h>

#include <QCoreApplication>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // The serial port that holds the line in the port test is a Qt device.
    QCoreApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
