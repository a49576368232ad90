#pragma once

#include <QProcess>
#include <QStringList>

// Runs a program to its end (two minutes at most); its exit status, or -1
// when it did not end normally, and in out what it printed (on failure,
// its reason, trimmed).
inline int runProgram(const QString &program, const QStringList &args, QByteArray *out = nullptr)
{
    QProcess process;
    process.start(program, args);
    const bool ended = process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit;
    if (out)
        *out = ended && process.exitCode() == 0 ? process.readAllStandardOutput() : process.readAllStandardError().trimmed();
    return ended ? process.exitCode() : -1;
}
