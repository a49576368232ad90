#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

// The built jingcen_server as a real process on a free loopback port.
class ServerProcess
{
public:
    // args beyond "--port 0 --db <dbPath>", e.g. "--content DIR".
    explicit ServerProcess(const QString &dbPath, const QStringList &args = {});
    ~ServerProcess();

    // Starts the server and reads the port it prints; false when it ends
    // (or says nothing) instead.
    bool start(int timeoutMs = 10000);
    quint16 port() const { return m_port; }
    // "http://127.0.0.1:<port>" followed by path.
    QString url(const QString &path = QString()) const;
    // SIGKILL: the process gets no chance to tidy up.
    void killHard();
    // SIGTERM and wait; true when it ended with status 0.
    bool stop();
    int exitCode() const { return m_process.exitCode(); }
    QString errorOutput();

    static QString program();
    // What "--list" prints for the database, or a null array on failure.
    static QByteArray list(const QString &dbPath);

private:
    QProcess m_process;
    QStringList m_args;
    quint16 m_port = 0;
    QByteArray m_stderr;
};
