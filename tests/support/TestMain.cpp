// One main for every test program: a QApplication on the offscreen platform,
// so that tests of windows and of code that formats with the regional
// settings run as they do in the program.
#include "HtmlPrinting.h"
#include "PgEngineModule.h"
#include "ProgressChart.h"
#include "TestEnvironment.h"

#include <QApplication>
#include <QThread>
#include <QThreadPool>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    PrepareTestEnvironment();
    // The test programs lie deeper in the build folder than the program, so
    // they name this build's modules; programs they start inherit them.
    if (qEnvironmentVariableIsEmpty(kPgModuleVariable))
        qputenv(kPgModuleVariable, BALTERO_TEST_PG_MODULE);
    if (qEnvironmentVariableIsEmpty(kChartModuleVariable))
        qputenv(kChartModuleVariable, BALTERO_TEST_CHART_MODULE);
    if (qEnvironmentVariableIsEmpty(kPrintModuleVariable))
        qputenv(kPrintModuleVariable, BALTERO_TEST_PRINT_MODULE);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int failed = RUN_ALL_TESTS();
    // Qt fills large areas on its global thread pool. A pool thread lets go
    // of its own data only as it exits, after the pool has seen it finish:
    // one still exiting as the test program ends shows as a leak. The pool
    // lets its threads go, and they are given a moment to exit.
    QThreadPool::globalInstance()->waitForDone();
    QThread::msleep(20);
    return failed;
}
