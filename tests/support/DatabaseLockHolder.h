// A second process holding a lock on a database file (DatabaseLockHolderMain).
#pragma once

#include <QProcess>
#include <QString>

class DatabaseLockHolder {
public:
    // Holds a read transaction until Release().
    static DatabaseLockHolder Reader(const QString& path);
    // Holds the exclusive lock of a write for the given time, then commits.
    static DatabaseLockHolder Writer(const QString& path, int milliseconds);
    ~DatabaseLockHolder();
    DatabaseLockHolder(DatabaseLockHolder&&) = delete;

    // True once the process has said it holds its lock.
    bool Holding() const { return holding_; }
    // Lets the process end its transaction; true when it exited normally.
    bool Release();

private:
    explicit DatabaseLockHolder(const QStringList& arguments);

    QProcess process_;
    bool holding_ = false;
};
