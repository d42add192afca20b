// baltero-db run as a separate process, as a shell would run it; optionally
// under a wrapper (strace, a shell setting limits) placed before it.
#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

struct TToolRun {
    bool finished = false;
    bool crashed = false;   // ended by a signal (a wrapper reports it as 128 + the signal)
    int exitCode = -1;
    QString out;
    QString err;
};

inline TToolRun RunProcess(const QString& program, const QStringList& arguments, bool wrapped = false)
{
    QProcess process;
    if (wrapped) {
        // A process killed on purpose has no leaks worth reporting, and the
        // leak checker cannot stop the threads of a traced process.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        process.setProcessEnvironment(environment);
    }
    process.start(program, arguments);
    TToolRun run;
    run.finished = process.waitForFinished(120000);
    run.crashed = process.exitStatus() != QProcess::NormalExit || process.exitCode() > 128;
    run.exitCode = process.exitCode();
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

// The tool's own arguments after the wrapper's (empty: none).
inline TToolRun RunTool(const QStringList& arguments, const QStringList& wrapper = {})
{
    if (wrapper.isEmpty())
        return RunProcess(QStringLiteral(BALTERO_DB_TOOL), arguments);
    return RunProcess(wrapper.first(), wrapper.mid(1) + QStringList{QStringLiteral(BALTERO_DB_TOOL)} + arguments, true);
}
