#include "DatabaseLockHolder.h"

#include "Database.h"

DatabaseLockHolder DatabaseLockHolder::Reader(const QString& path)
{
    return DatabaseLockHolder({path, TDatabase::Password(), QStringLiteral("read")});
}

DatabaseLockHolder DatabaseLockHolder::Writer(const QString& path, int milliseconds)
{
    return DatabaseLockHolder({path, TDatabase::Password(), QStringLiteral("write"), QString::number(milliseconds)});
}

DatabaseLockHolder::DatabaseLockHolder(const QStringList& arguments)
{
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral(BALTERO_LOCK_HOLDER), arguments);
    if (!process_.waitForStarted(10000))
        return;
    while (!process_.canReadLine() && process_.waitForReadyRead(10000)) {
    }
    holding_ = process_.readLine().trimmed() == "ready";
}

DatabaseLockHolder::~DatabaseLockHolder()
{
    Release();
}

bool DatabaseLockHolder::Release()
{
    if (process_.state() == QProcess::NotRunning)
        return process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0;
    process_.write("\n");
    process_.closeWriteChannel();
    if (!process_.waitForFinished(20000)) {
        process_.kill();
        process_.waitForFinished();
        return false;
    }
    return process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0;
}
