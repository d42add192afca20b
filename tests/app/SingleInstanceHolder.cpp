// A stand-in for a running copy of the program: takes the single-instance
// lock in the folder given as argument (or, after "--database", the lock of
// that database file), says what happened on its standard output, and keeps
// the lock until a line (or the end) of its standard input.
#include "DatabaseLock.h"
#include "SingleInstance.h"

#include <QCoreApplication>
#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    if (argc < 2)
        return 2;
    if (argc == 3 && std::string(argv[1]) == "--database") {
        TDatabaseLock lock(RealDatabasePath(QString::fromLocal8Bit(argv[2])));
        std::puts(lock.Acquire() == TDatabaseLock::TResult::Owned ? "owned" : "not owned");
        std::fflush(stdout);
        std::string line;
        std::getline(std::cin, line);
        return 0;
    }
    TSingleInstance instance(QString::fromLocal8Bit(argv[1]));
    switch (instance.Acquire()) {
    case TSingleInstance::TResult::Owned:
        std::puts("owned");
        break;
    case TSingleInstance::TResult::AlreadyRunning:
        std::puts("running");
        break;
    case TSingleInstance::TResult::Unguarded:
        std::puts("unguarded");
        break;
    }
    std::fflush(stdout);
    std::string line;
    std::getline(std::cin, line);
    return 0;
}
