#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace vtl::test {

// vtl-sim as a separate process on a pseudo-terminal or a TCP port, stopped with SIGTERM.
struct SimProcess {
    // The waits are generous: a busy machine may be slow to start a process; they end as soon as
    // it is up.
    SimProcess(const QString& exe, const QStringList& arguments) {
        process.start(exe, arguments);
        if (process.waitForStarted(30000) && process.waitForReadyRead(30000)) {
            const QString line = QString::fromLatin1(process.readLine().trimmed());
            if (line.startsWith(QLatin1String("port: "))) port = line.mid(6);
        }
    }
    ~SimProcess() {
        if (process.state() != QProcess::NotRunning) stop();
    }
    // The simulator's exit status: 0 when it saw no protocol violation.
    int stop() {
        process.terminate();
        if (!process.waitForFinished(30000)) return -1;
        errors = QString::fromLocal8Bit(process.readAllStandardError());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    QProcess process;
    QString port;
    QString errors;
};

// One run of a command-line program to its end.
struct RunResult {
    int exitCode = -1;
    QString out;
    QString err;
};

inline RunResult runProgram(const QString& exe, const QStringList& arguments,
                            int timeoutMs = 60000) {
    QProcess process;
    process.start(exe, arguments);
    RunResult result;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    result.err = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
}

} // namespace vtl::test
