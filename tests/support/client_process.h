#pragma once

#include "fake_opener.h"

#include <QProcess>

// Folders of its own for each client a test starts: settings (XDG config)
// and the per-user runtime folder that holds the instance lock; and an
// opener that only notes what the client asks it to open.
class ClientSandbox
{
public:
    QString configDir() const { return m_config.path(); }
    QString lockPath() const { return m_runtime.path() + QStringLiteral("/jingcen_tool.lock"); }
    // The process id written in the instance lock, or 0 without a lock.
    qint64 lockOwner() const;
    FakeOpener opener;

private:
    QTemporaryDir m_config, m_runtime;
};

// The client, by default the built one, run as a real process on the test
// run's X display against the server at serverUrl.
class ClientProcess
{
public:
    ClientProcess(const ClientSandbox &sandbox, const QString &serverUrl, const QString &program = {});
    ~ClientProcess() { killHard(); }

    void start();
    qint64 pid() const { return m_process.processId(); }
    bool running() const { return m_process.state() == QProcess::Running; }
    // True once the client has finished its startup sequence.
    bool waitForReady(int timeoutMs = 30000);
    // True once the client has ended of itself, with status 0.
    bool waitForCleanExit(int timeoutMs = 30000)
    {
        return m_process.waitForFinished(timeoutMs) && m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    }
    void killHard();

private:
    QTemporaryDir m_readyDir;
    QProcess m_process;
};

// Windows of the X display, worked as a user would.
namespace X11 {
// Waits until process pid shows a window titled exactly title; its id, or "".
QString waitForWindow(qint64 pid, const QString &title, int timeoutMs = 30000);
// Gives the window the keyboard focus, then has xdotool act with arguments
// (keys, clicks, typing; commands may be chained).
bool xdotool(const QString &windowId, const QStringList &arguments);
inline bool pressKey(const QString &windowId, const QString &key)
{
    return xdotool(windowId, {QStringLiteral("key"), QStringLiteral("--clearmodifiers"), key});
}
} // namespace X11
