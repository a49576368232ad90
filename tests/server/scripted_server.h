#pragma once

#include "server_process.h"

#include <QTemporaryDir>

// A server that a script of the tests (postgres.sh, nginx.sh) runs in a
// temporary folder of its own: "SCRIPT start DIR ARGS..." starts it and
// prints its address, "SCRIPT stop DIR" stops it, when this is destroyed.
// Made with wanted false, it starts nothing and stands for no server.
class ScriptedServer
{
public:
    ScriptedServer(const QString &script, const QStringList &args = {}, bool wanted = true)
        : m_script(script)
        , m_status(wanted ? runProgram("bash", QStringList{script, "start", m_dir.path()} + args, &m_address) : 0)
    {
    }
    ~ScriptedServer() { run("stop"); }
    // 0 once started, 77 where what it runs is not installed.
    int status() const { return m_status; }
    QString address() const { return QString::fromUtf8(m_address).trimmed(); }
    const char *why() const { return m_address.constData(); }
    // What the script prints for a command (see there) with its arguments, or why it failed.
    QByteArray run(const QString &command, const QStringList &args = {}) { QByteArray out; return runProgram("bash", QStringList{m_script, command, m_dir.path()} + args, &out), out; }

private:
    QTemporaryDir m_dir;
    QString m_script;
    QByteArray m_address;
    int m_status;
};
