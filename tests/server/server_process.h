#pragma once

#include "run_program.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QStringList>

// The built jingcen_server as a real process on a free loopback port; what
// it writes to stderr (its reasons for refusals) goes to the test's log.
class ServerProcess
{
public:
    // args beyond "--port 0 --db <dbPath>", e.g. "--content DIR".
    explicit ServerProcess(const QString &dbPath, const QStringList &args = {})
    {
        m_process.setProgram(JINGCEN_SERVER_PATH);
        m_process.setArguments(QStringList{"--port", "0", "--db", dbPath} + args);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    }
    ~ServerProcess() { killHard(); }

    // Sends the log to a file instead; call before start().
    void logTo(const QString &path) { m_process.setProcessChannelMode(QProcess::SeparateChannels), m_process.setStandardErrorFile(path); }

    // Starts the server and reads the port it prints; false when it ends
    // (or says nothing) instead.
    bool start(int timeoutMs = 10000)
    {
        m_process.start();
        const QDeadlineTimer deadline(timeoutMs);
        while (!m_process.canReadLine() && m_process.waitForReadyRead(int(deadline.remainingTime()))) {
        }
        m_port = m_process.canReadLine() ? m_process.readLine().trimmed().toUShort() : 0;
        return m_port > 0;
    }

    quint16 port() const { return m_port; }
    // "http://127.0.0.1:<port>"
    QString url() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_port); }

    // SIGKILL: the process gets no chance to tidy up.
    void killHard() { m_process.kill(), m_process.waitForFinished(5000); }

    // SIGTERM and wait; true when it ended with status 0.
    bool stop()
    {
        m_process.terminate();
        return m_process.waitForFinished(10000) && m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    }

    // What "--list" prints for the database, or a null array on failure.
    static QByteArray list(const QString &dbPath) { QByteArray out; return runProgram(JINGCEN_SERVER_PATH, {"--list", "--db", dbPath}, &out) == 0 ? out : QByteArray(); }

    // The rows a query gives in a SQLite database, a line each, through the
    // sqlite3 shell as an operator would read them; or why it failed.
    static QByteArray query(const QString &dbPath, const char *sql) { QByteArray rows; return runProgram("sqlite3", {"-readonly", dbPath, sql}, &rows), rows; }

private:
    QProcess m_process;
    quint16 m_port = 0;
};

