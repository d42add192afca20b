// What every test program sets up before its QApplication exists.
#pragma once

#include <QByteArray>
#include <QtGlobal>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

// Windows on the offscreen platform, and the regional settings the program
// falls back to (Italian) whatever the machine's own locale is.
inline void PrepareTestEnvironment()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("LC_ALL", "C.UTF-8");
    qunsetenv("LANGUAGE");
}

// For the length of a scope, what is allocated is not reported as leaked.
class TLeaksNotReported {
public:
#if defined(__SANITIZE_ADDRESS__)
    TLeaksNotReported() { __lsan_disable(); }
    ~TLeaksNotReported() { __lsan_enable(); }
#else
    TLeaksNotReported() {}
#endif
    TLeaksNotReported(const TLeaksNotReported&) = delete;
    TLeaksNotReported& operator=(const TLeaksNotReported&) = delete;
};
