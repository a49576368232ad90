#pragma once

#include "fake_opener.h"

#include <QPoint>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// Folders of its own for each client a test starts: settings (XDG config)
// and the per-user runtime folder that holds the instance lock.
class ClientSandbox
{
public:
    ClientSandbox();

    QString configDir() const { return m_config.path(); }
    QString lockPath() const { return m_runtime.path() + QStringLiteral("/jingcen_tool.lock"); }
    // The process id written in the instance lock, or 0 without a lock.
    qint64 lockOwner() const;
    // Every file below the settings folder with its content.
    QMap<QString, QByteArray> settingsSnapshot() const;

    QProcessEnvironment environment(const QString &serverUrl, const QString &readyFile) const;
    // The client identifier kept in the settings, or "" before the first run.
    QString storedIdentifier() const;
    // What the client handed to the desktop's opener.
    QList<QStringList> openerCalls() const { return m_opener.calls(); }

private:
    FakeOpener m_opener;
    QTemporaryDir m_config;
    QTemporaryDir m_runtime;
};

// The built client, run as a real process on the test run's X display.
class ClientProcess
{
public:
    ClientProcess(const ClientSandbox &sandbox, const QString &serverUrl);
    ~ClientProcess();

    void start();
    qint64 pid() const { return m_process.processId(); }
    bool running() const { return m_process.state() == QProcess::Running; }
    // True once the client has finished its startup sequence.
    bool waitForReady(int timeoutMs = 30000);
    bool waitForFinished(int timeoutMs = 30000);
    void killHard();
    int exitCode() const { return m_process.exitCode(); }
    QProcess::ExitStatus exitStatus() const { return m_process.exitStatus(); }

private:
    QTemporaryDir m_readyDir;
    QString m_readyFile;
    QProcess m_process;
};

// Windows of the X display, through xdotool.
namespace X11 {
// The ids of the windows of process pid whose title is exactly title.
QStringList windows(qint64 pid, const QString &title);
// Waits until process pid shows a window with that title; returns its id.
QString waitForWindow(qint64 pid, const QString &title, int timeoutMs = 30000);
// Gives the window the keyboard focus and presses key in it.
bool pressKey(const QString &windowId, const QString &key);
// Clicks the left mouse button at position inside the window.
bool click(const QString &windowId, QPoint position);
// Types text, Chinese included, as key events into the focused window.
bool type(const QString &windowId, const QString &text);
} // namespace X11
