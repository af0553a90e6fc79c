#include <gtest/gtest.h>

#include <QCoreApplication>

// QSerialPort is a Qt device and wants an application object in the thread that uses it.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
