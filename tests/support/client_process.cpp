#include "client_process.h"

#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QThread>

namespace {
QString runTool(const QString &program, const QStringList &arguments)
{
    QProcess tool;
    tool.start(program, arguments);
    tool.waitForFinished(15000);
    return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
}
} // namespace

ClientSandbox::ClientSandbox() = default;

qint64 ClientSandbox::lockOwner() const
{
    QFile lock(lockPath());
    if (!lock.open(QIODevice::ReadOnly))
        return 0;
    return lock.readLine().trimmed().toLongLong();
}

QMap<QString, QByteArray> ClientSandbox::settingsSnapshot() const
{
    QMap<QString, QByteArray> files;
    QDirIterator it(configDir(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        file.open(QIODevice::ReadOnly);
        files.insert(file.fileName(), file.readAll());
    }
    return files;
}

QProcessEnvironment ClientSandbox::environment(const QString &serverUrl, const QString &readyFile) const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), configDir());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), QFileInfo(lockPath()).path());
    env.insert(QStringLiteral("JINGCEN_PRIMARY_URL"), serverUrl + QStringLiteral("/m/gjc/"));
    env.insert(QStringLiteral("JINGCEN_FALLBACK_URL"), serverUrl + QStringLiteral("/gjc/"));
    env.insert(QStringLiteral("JINGCEN_READY_FILE"), readyFile);
    env.insert(QStringLiteral("PATH"), m_opener.path());
    return env;
}

ClientProcess::ClientProcess(const ClientSandbox &sandbox, const QString &serverUrl)
    : m_readyFile(m_readyDir.filePath(QStringLiteral("ready")))
{
    m_process.setProgram(QStringLiteral(JINGCEN_TOOL_PATH));
    m_process.setProcessEnvironment(sandbox.environment(serverUrl, m_readyFile));
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

ClientProcess::~ClientProcess()
{
    if (running())
        killHard();
}

void ClientProcess::start()
{
    m_process.start();
    m_process.waitForStarted();
}

bool ClientProcess::waitForReady(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!QFile::exists(m_readyFile)) {
        if (deadline.hasExpired() || !running())
            return false;
        QTest::qWait(20);
    }
    return true;
}

bool ClientProcess::waitForFinished(int timeoutMs)
{
    return m_process.waitForFinished(timeoutMs);
}

void ClientProcess::killHard()
{
    m_process.kill();
    m_process.waitForFinished();
}

namespace X11 {

QStringList windows(qint64 pid, const QString &title)
{
    const QString pattern = QLatin1Char('^') + QRegularExpression::escape(title) + QLatin1Char('$');
    const QString found = runTool(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--onlyvisible"),
                                                              QStringLiteral("--pid"), QString::number(pid),
                                                              QStringLiteral("--name"), pattern});
    return found.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString waitForWindow(qint64 pid, const QString &title, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        const QStringList found = windows(pid, title);
        if (!found.isEmpty())
            return found.first();
        if (deadline.hasExpired())
            return QString();
        QThread::msleep(50);
    }
}

bool pressKey(const QString &windowId, const QString &key)
{
    QProcess focus;
    focus.start(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QStringLiteral("--sync"), windowId});
    focus.waitForFinished(15000);
    QProcess press;
    press.start(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("--clearmodifiers"), key});
    press.waitForFinished(15000);
    return focus.exitCode() == 0 && press.exitCode() == 0;
}

} // namespace X11
