// What every fuzz target shares: turning the fuzzer's bytes into text and
// stopping on a broken promise so that the fuzzer keeps the input.
#pragma once

#include <QString>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>

#define FUZZ_CHECK(condition)                                                                         \
    do {                                                                                              \
        if (!(condition)) {                                                                           \
            std::fprintf(stderr, "check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__);      \
            std::abort();                                                                             \
        }                                                                                             \
    } while (0)

// UTF-8 most of the time; raw UTF-16 units otherwise, so that lone
// surrogates and every other code unit reach the code under test.
inline QString TextFrom(const std::string& bytes, bool utf16)
{
    if (!utf16)
        return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
    return QString(reinterpret_cast<const QChar*>(bytes.data()), qsizetype(bytes.size() / 2));
}

inline QString ConsumeText(FuzzedDataProvider& provider, size_t maxBytes)
{
    const bool utf16 = provider.ConsumeBool();
    return TextFrom(provider.ConsumeRandomLengthString(maxBytes), utf16);
}

inline QString ConsumeRemainingText(FuzzedDataProvider& provider)
{
    const bool utf16 = provider.ConsumeBool();
    return TextFrom(provider.ConsumeRemainingBytesAsString(), utf16);
}

// One folder for the whole run, removed when the fuzzer ends.
inline const QString& FuzzFolder()
{
    // In memory where the machine has it: the safe writer's flushes cost
    // nothing there.
    static QTemporaryDir folder(QDir(QStringLiteral("/dev/shm")).exists()
                                    ? QStringLiteral("/dev/shm/baltero-fuzz-XXXXXX")
                                    : QDir::tempPath() + QStringLiteral("/baltero-fuzz-XXXXXX"));
    static const QString path = folder.isValid() ? folder.path() : (std::abort(), QString());
    return path;
}
