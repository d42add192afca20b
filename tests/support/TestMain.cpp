// One main for every test program: a QApplication on the offscreen platform,
// so that tests of windows and of code that formats with the regional
// settings run as they do in the program.
#include "TestEnvironment.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    PrepareTestEnvironment();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
