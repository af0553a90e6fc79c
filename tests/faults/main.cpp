#include <gtest/gtest.h>

#include <QCoreApplication>
#include <csignal>
#include <cstring>
#include <iostream>

#include "tests/faults/fault_case.h"

// With --reliability-table the program prints the suite's rows as a Markdown table instead
// of running them.
int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--reliability-table") == 0) {
        std::cout << "| Case | What Tovrel does | Test |\n|---|---|---|\n";
        for (const tovrel::testing::FaultCase& row : tovrel::testing::FaultCases()) {
            std::cout << "| " << row.name << " | " << row.what
                      << " | `Rows/FaultSuite.EndsAsTheUserIsToldAndLeavesThePortFree/" << row.name
                      << "` |\n";
        }
        return 0;
    }
    ::testing::InitGoogleTest(&argc, argv);
    // Inherited by the programs run: one that meets a file-size limit sees its write fail.
    std::signal(SIGXFSZ, SIG_IGN);
    // The serial port that holds the line in the port case is a Qt device.
    QCoreApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
