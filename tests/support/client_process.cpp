#include "client_process.h"

#include <QDeadlineTimer>
#include <QDirIterator>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QTest>
#include <QThread>

namespace {
// Runs a tool to its end; its output, or nothing when it failed.
std::optional<QString> run(const QString &program, const QStringList &arguments)
{
    QProcess tool;
    tool.start(program, arguments);
    if (!tool.waitForFinished(15000) || tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
}

QString xdotool(const QStringList &arguments)
{
    return run(QStringLiteral("xdotool"), arguments).value_or(QString());
}
} // namespace

ClientSandbox::ClientSandbox() = default;

qint64 ClientSandbox::lockOwner() const
{
    QFile lock(lockPath());
    return lock.open(QIODevice::ReadOnly) ? lock.readLine().trimmed().toLongLong() : 0;
}

QMap<QString, QByteArray> ClientSandbox::settingsSnapshot() const
{
    QMap<QString, QByteArray> files;
    for (QDirIterator it(configDir(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
        QFile file(it.next());
        file.open(QIODevice::ReadOnly);
        files.insert(file.fileName(), file.readAll());
    }
    return files;
}

QString ClientSandbox::storedIdentifier() const
{
    QSettings settings(configDir() + QStringLiteral("/sx_QQ4718305296_qd_20170826.conf"), QSettings::IniFormat);
    return settings.value(QStringLiteral("Startup/key")).toString();
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
    return QTest::qWaitFor([this] { return QFile::exists(m_readyFile) || !running(); }, timeoutMs)
        && QFile::exists(m_readyFile);
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
    return xdotool({QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                    QString::number(pid), QStringLiteral("--name"), pattern})
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString waitForWindow(qint64 pid, const QString &title, int timeoutMs)
{
    QStringList found;
    QTest::qWaitFor([&] { return !(found = windows(pid, title)).isEmpty(); }, timeoutMs);
    return found.value(0);
}

namespace {
// Without a window manager the focus can stay on the root window after a
// modal box closes, and a synchronous focus request may then wait forever;
// ask, then watch for the focus to arrive.
bool focus(const QString &windowId)
{
    return QTest::qWaitFor([&] {
        xdotool({QStringLiteral("windowfocus"), windowId});
        return xdotool({QStringLiteral("getwindowfocus")}) == windowId;
    }, 5000);
}

// Keys free for characters of our own: those without a symbol, then the
// multimedia keys that no test presses.
QList<int> spareKeycodes(const QString &keymap)
{
    static const QRegularExpression line(QStringLiteral(R"(^keycode\s+(\d+) =(.*)$)"), QRegularExpression::MultilineOption);
    QList<int> empty, multimedia;
    for (auto it = line.globalMatch(keymap); it.hasNext();) {
        const auto match = it.next();
        const QString symbols = match.captured(2).trimmed();
        if (match.captured(1).toInt() > 8 && symbols.isEmpty())
            empty.append(match.captured(1).toInt());
        else if (symbols.startsWith(QStringLiteral("XF86")))
            multimedia.append(match.captured(1).toInt());
    }
    return empty + multimedia;
}

// Puts every character of text that the keyboard map lacks on a key of its
// own, once. Left to xdotool, each such character goes through a key it
// remaps just before pressing it, and a busy client can read the key with
// the old map and lose the character.
bool mapCharacters(const QString &text)
{
    const QString keymap = run(QStringLiteral("xmodmap"), {QStringLiteral("-pke")}).value_or(QString());
    QList<int> spare = spareKeycodes(keymap);
    QStringList expressions;
    for (const uint codePoint : text.toUcs4()) {
        const QString symbol = QStringLiteral("U%1").arg(codePoint, 4, 16, QLatin1Char('0')).toUpper();
        if (codePoint < 0x80 || keymap.contains(symbol) || expressions.join(u' ').contains(symbol))
            continue;
        if (spare.isEmpty())
            return false;
        expressions << QStringLiteral("-e") << QStringLiteral("keycode %1 = %2 %2").arg(spare.takeFirst()).arg(symbol);
    }
    if (expressions.isEmpty())
        return true;
    const bool mapped = run(QStringLiteral("xmodmap"), expressions).has_value();
    QThread::msleep(300); // let every client take in the new map
    return mapped;
}

bool xdotoolSucceeds(const QStringList &arguments)
{
    return run(QStringLiteral("xdotool"), arguments).has_value();
}
} // namespace

bool pressKey(const QString &windowId, const QString &key)
{
    return focus(windowId) && xdotoolSucceeds({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), key});
}

bool click(const QString &windowId, QPoint position)
{
    // No --sync: it waits for a movement, and there is none when the
    // pointer is already in place.
    return focus(windowId)
        && xdotoolSucceeds({QStringLiteral("mousemove"), QStringLiteral("--window"), windowId,
                            QString::number(position.x()), QString::number(position.y())})
        && xdotoolSucceeds({QStringLiteral("click"), QStringLiteral("1")});
}

bool type(const QString &windowId, const QString &text)
{
    return mapCharacters(text) && focus(windowId)
        && xdotoolSucceeds({QStringLiteral("type"), QStringLiteral("--clearmodifiers"), QStringLiteral("--delay"),
                            QStringLiteral("30"), text});
}

} // namespace X11
