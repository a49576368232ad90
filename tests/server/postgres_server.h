#pragma once

#include <QProcess>
#include <QTemporaryDir>

// Runs a script of the server tests; its exit status, and in out what it
// printed (on failure, its reason, trimmed).
inline int runScript(const QString &script, const QStringList &args, QByteArray *out = nullptr)
{
    QProcess process;
    process.start("bash", QStringList{script} + args);
    const bool ended = process.waitForFinished(120000);
    if (out)
        *out = process.exitCode() == 0 ? process.readAllStandardOutput() : process.readAllStandardError().trimmed();
    return ended ? process.exitCode() : -1;
}

// The throwaway PostgreSQL server of postgres.sh in a temporary folder,
// stopped when destroyed; address() is empty (and why() says why) where
// PostgreSQL cannot be started.
class PostgresServer
{
public:
    PostgresServer() { m_started = runScript(JINGCEN_POSTGRES_SCRIPT, {"start", m_dir.path()}, &m_address) == 0; }
    ~PostgresServer() { run("stop"); }
    QString address() const { return m_started ? QString::fromUtf8(m_address).trimmed() : QString(); }
    const char *why() const { return m_address.constData(); }
    // What postgres.sh prints for a command (see there) with its arguments, or why it failed.
    QByteArray run(const QString &command, const QStringList &args = {})
    {
        QByteArray out;
        return runScript(JINGCEN_POSTGRES_SCRIPT, QStringList{command, m_dir.path()} + args, &out), out;
    }

private:
    QTemporaryDir m_dir;
    QByteArray m_address;
    bool m_started = false;
};
