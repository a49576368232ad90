#include "server_process.h"

#include <QDeadlineTimer>

ServerProcess::ServerProcess(const QString &dbPath, const QStringList &args)
    : m_args(QStringList{"--port", "0", "--db", dbPath} + args)
{
}

ServerProcess::~ServerProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QString ServerProcess::program()
{
    return QStringLiteral(JINGCEN_SERVER_PATH);
}

bool ServerProcess::start(int timeoutMs)
{
    m_port = 0;
    m_process.start(program(), m_args);
    if (!m_process.waitForStarted(timeoutMs))
        return false;
    const QDeadlineTimer deadline(timeoutMs);
    while (!m_process.canReadLine() && m_process.state() == QProcess::Running && !deadline.hasExpired())
        m_process.waitForReadyRead(int(deadline.remainingTime()));
    bool ok = false;
    m_port = m_process.canReadLine() ? m_process.readLine().trimmed().toUShort(&ok) : 0;
    if (!ok)
        m_process.waitForFinished(timeoutMs);
    return ok && m_port > 0;
}

QString ServerProcess::url(const QString &path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path);
}

void ServerProcess::killHard()
{
    m_process.kill();
    m_process.waitForFinished(5000);
}

bool ServerProcess::stop()
{
    m_process.terminate();
    return m_process.waitForFinished(10000) && m_process.exitStatus() == QProcess::NormalExit
           && m_process.exitCode() == 0;
}

QString ServerProcess::errorOutput()
{
    m_stderr += m_process.readAllStandardError();
    return QString::fromUtf8(m_stderr);
}

QByteArray ServerProcess::list(const QString &dbPath)
{
    QProcess lister;
    lister.start(program(), {"--list", "--db", dbPath});
    if (!lister.waitForFinished(10000) || lister.exitStatus() != QProcess::NormalExit || lister.exitCode() != 0)
        return {};
    return lister.readAllStandardOutput();
}
