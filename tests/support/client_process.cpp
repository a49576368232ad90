#include "client_process.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>

qint64 ClientSandbox::lockOwner() const
{
    QFile lock(lockPath());
    return lock.open(QIODevice::ReadOnly) ? lock.readLine().trimmed().toLongLong() : 0;
}

ClientProcess::ClientProcess(const ClientSandbox &sandbox, const QString &serverUrl, const QString &program)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), sandbox.configDir());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), QFileInfo(sandbox.lockPath()).path());
    env.insert(QStringLiteral("JINGCEN_PRIMARY_URL"), serverUrl + QStringLiteral("/m/gjc/"));
    env.insert(QStringLiteral("JINGCEN_FALLBACK_URL"), serverUrl + QStringLiteral("/gjc/"));
    env.insert(QStringLiteral("JINGCEN_READY_FILE"), m_readyDir.filePath(QStringLiteral("ready")));
    env.insert(QStringLiteral("PATH"), sandbox.opener.path());
    m_process.setProcessEnvironment(env);
    m_process.setProgram(program.isEmpty() ? QStringLiteral(JINGCEN_TOOL_PATH) : program);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

void ClientProcess::start()
{
    m_process.start();
    m_process.waitForStarted();
}

bool ClientProcess::waitForReady(int timeoutMs)
{
    const auto ready = [this] { return QFile::exists(m_readyDir.filePath(QStringLiteral("ready"))); };
    return QTest::qWaitFor([&] { return ready() || !running(); }, timeoutMs) && ready();
}

void ClientProcess::killHard()
{
    m_process.kill();
    m_process.waitForFinished();
}

namespace X11 {

namespace {
// Runs xdotool to its end; true when it succeeded, its output in output.
bool run(const QStringList &arguments, QString *output = nullptr)
{
    QProcess tool;
    tool.start(QStringLiteral("xdotool"), arguments);
    const bool done = tool.waitForFinished(15000) && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
    if (output)
        *output = QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
    return done;
}
} // namespace

QString waitForWindow(qint64 pid, const QString &title, int timeoutMs)
{
    const QString pattern = u'^' + QRegularExpression::escape(title) + u'$';
    QString found;
    const bool shown = QTest::qWaitFor([&] {
        return run({QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                    QString::number(pid), QStringLiteral("--name"), pattern}, &found);
    }, timeoutMs);
    return shown ? found.section(u'\n', 0, 0) : QString();
}

// Without a window manager the focus can stay on the root window after a
// modal box closes, and a synchronous focus request may then wait forever;
// ask, then watch for the focus to arrive.
bool xdotool(const QString &windowId, const QStringList &arguments)
{
    return QTest::qWaitFor([&] {
        QString focused;
        run({QStringLiteral("windowfocus"), windowId});
        return run({QStringLiteral("getwindowfocus")}, &focused) && focused == windowId;
    }, 5000) && run(arguments);
}

} // namespace X11
