// Writing whole files on a disk that fills up: the old file stays as it was
// and the writer is told. The disk is made full in a child process by a file
// size limit, so the test process itself keeps writing freely.
#include "Exception.h"
#include "IniFile.h"
#include "SafeFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

QByteArray Contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

[[noreturn]] void ExitAfterWritingOnFullDisk(rlim_t limit, const std::function<bool()>& writeReportsFailure)
{
    rlimit fileSize;
    fileSize.rlim_cur = limit;
    fileSize.rlim_max = limit;
    setrlimit(RLIMIT_FSIZE, &fileSize);
    // Writing past the limit fails with an error instead of ending the process.
    std::signal(SIGXFSZ, SIG_IGN);
    std::exit(writeReportsFailure() ? 0 : 1);
}

// Runs write in a child process that may not make files larger than limit
// bytes; the child's exit code says whether write reported the failure.
void WriteInFullDiskChild(rlim_t limit, const std::function<bool()>& writeReportsFailure)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(ExitAfterWritingOnFullDisk(limit, writeReportsFailure), ::testing::ExitedWithCode(0), "");
}

struct TWriterCase {
    const char* name;
    rlim_t limit;
    qsizetype oldSize;
    qsizetype newSize;
};

class FullDisk : public ::testing::TestWithParam<TWriterCase> {
protected:
    QTemporaryDir dir;
    QString path;
    QByteArray old;

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath(QStringLiteral("Baltero.ini"));
        old = "[DATABASE]\r\nConnectionString=Provider=SQLCipher\r\n[TABLES]\r\nAutoAdvancing=1\r\n";
        old += QByteArray(GetParam().oldSize - old.size(), ';');
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(old), old.size());
    }

    void ExpectOldFileAlone()
    {
        EXPECT_EQ(Contents(path), old);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Baltero.ini")});
    }
};

TEST_P(FullDisk, SafeWriteKeepsTheOldFile)
{
    const QByteArray text(GetParam().newSize, 'x');
    WriteInFullDiskChild(GetParam().limit, [&] { return !WriteFileSafely(path, text).isEmpty(); });
    ExpectOldFileAlone();
    // With room again the same write goes through.
    EXPECT_EQ(WriteFileSafely(path, text), QString());
    EXPECT_EQ(Contents(path), text);
}

TEST_P(FullDisk, SettingsFileKeepsItsKeys)
{
    WriteInFullDiskChild(GetParam().limit, [&] {
        try {
            TIniFile(path).WriteInteger(QStringLiteral("TABLES"), QStringLiteral("AutoAdvancing"), 0);
        } catch (const EFileError& e) {
            return e.Message().contains(path);
        }
        return false;
    });
    ExpectOldFileAlone();
}

INSTANTIATE_TEST_SUITE_P(Limits, FullDisk,
                         ::testing::Values(TWriterCase{"nothing fits", 0, 92, 92},
                                           TWriterCase{"part fits", 4096, 20000, 20000}),
                         [](const auto& info) {
                             QString name = QString::fromLatin1(info.param.name);
                             name.replace(QLatin1Char(' '), QLatin1Char('_'));
                             return name.toStdString();
                         });

} // namespace
