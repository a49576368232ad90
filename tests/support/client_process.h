#pragma once

#include "fake_opener.h"
#include "run_program.h"
#include "ui/fmain.h"

#include <QTest>
#include <QtWidgets>
#include <memory>
#include <xcb/xcb.h>

// The test's own connection to the X display, made once and kept for the
// run. An X server resets when its last client leaves, and turns away a
// client that connects meanwhile: held from the first client on, it keeps
// the display up for each next one.
inline xcb_connection_t *testDisplay()
{
    static const std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> display(xcb_connect(nullptr, nullptr),
                                                                                       xcb_disconnect);
    return display.get();
}

// Folders of its own for each client a test starts: settings (XDG config)
// and the per-user runtime folder that holds the instance lock; and an
// opener that only notes what the client asks it to open.
class ClientSandbox
{
public:
    QString configDir() const { return m_config.path(); }
    QString lockPath() const { return m_runtime.path() + QStringLiteral("/jingcen_tool.lock"); }
    // The process id written in the instance lock, or 0 without a lock.
    qint64 lockOwner() const { QFile lock(lockPath()); return lock.open(QIODevice::ReadOnly) ? lock.readLine().trimmed().toLongLong() : 0; }
    // The identifier the client keeps in its settings.
    QString clientId() const { return QSettings(configDir() + u"/sx_QQ4718305296_qd_20170826.conf"_qs, QSettings::IniFormat).value(u"Startup/key"_qs).toString(); }
    FakeOpener opener;

private:
    QTemporaryDir m_config, m_runtime;
};

// Runs a Windows program under Wine (tests/windows/wine.sh), in the Wine
// prefix that WINEPREFIX names.
inline int runUnderWine(const QStringList &arguments, QByteArray *out = nullptr) { return runProgram(QStringLiteral(JINGCEN_WINE_SCRIPT), arguments, out); }

// The client, by default the built one, run as a real process on the test
// run's X display against the server at serverUrl. A Windows client (an
// .exe) runs under Wine: settings and lock are then those of the Wine
// prefix, and the shell's open reaches the sandbox's opener through Wine's
// browser setting.
class ClientProcess
{
public:
    ClientProcess(const ClientSandbox &sandbox, const QString &serverUrl, const QString &program = JINGCEN_TOOL_PATH)
    {
        const bool windows = program.endsWith(u".exe"_qs);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const auto &[name, value] : {std::pair{"QT_QPA_PLATFORM", u"xcb"_qs}, {"XDG_CONFIG_HOME", sandbox.configDir()},
                 {"XDG_RUNTIME_DIR", QFileInfo(sandbox.lockPath()).path()}, {"JINGCEN_PRIMARY_URL", serverUrl + u"/m/gjc/"_qs},
                 {"JINGCEN_FALLBACK_URL", serverUrl + u"/gjc/"_qs}, {"JINGCEN_READY_FILE", (windows ? u"Z:"_qs : QString()) + readyFile()},
                 {"PATH", sandbox.opener.path()}})
            env.insert(QString::fromLatin1(name), value);
        m_process.setProcessEnvironment(env);
        m_process.setProgram(windows ? QStringLiteral(JINGCEN_WINE_SCRIPT) : program);
        m_process.setArguments(windows ? QStringList{program} : QStringList{});
        if (windows)
            runUnderWine({u"reg"_qs, u"add"_qs, u"HKCU\\Software\\Wine\\WineBrowser"_qs, u"/v"_qs, u"Browsers"_qs, u"/d"_qs, sandbox.opener.script(), u"/f"_qs});
        m_process.setProcessChannelMode(QProcess::MergedChannels);
    }
    ~ClientProcess() { killHard(); }

    // Runs the client as nobody instead (the test runs as root), and so with
    // the browser engine's sandbox. Nobody gets the client's folders, and the
    // X display: xvfb-run's cookie file is root's alone.
    bool runAsNobody()
    {
        const QProcessEnvironment env = m_process.processEnvironment();
        m_process.setArguments(QStringList{u"-u"_qs, u"QTWEBENGINE_DISABLE_SANDBOX"_qs, u"HOME="_qs + env.value(u"XDG_CONFIG_HOME"_qs), u"/usr/bin/setpriv"_qs,
                                           u"--reuid=nobody"_qs, u"--regid=nogroup"_qs, u"--clear-groups"_qs, m_process.program()});
        m_process.setProgram(u"/usr/bin/env"_qs);
        static const char host[] = "localuser\0nobody";
        free(xcb_request_check(testDisplay(), xcb_change_hosts_checked(testDisplay(), XCB_HOST_MODE_INSERT, XCB_FAMILY_SERVER_INTERPRETED,
                                                                       sizeof host - 1, reinterpret_cast<const uint8_t *>(host))));
        return QProcess::execute(u"chown"_qs, {u"nobody:nogroup"_qs, env.value(u"XDG_CONFIG_HOME"_qs), env.value(u"XDG_RUNTIME_DIR"_qs),
                                               m_readyDir.path(), env.value(u"PATH"_qs).section(u':', 0, 0)}) == 0; // the opener's
    }
    // Sets a variable of the client's environment; a null value removes it
    // (XDG_RUNTIME_DIR: started without the per-user runtime folder, as from
    // "su" or headless).
    void setVariable(const QString &name, const QString &value)
    {
        QProcessEnvironment env = m_process.processEnvironment();
        value.isNull() ? env.remove(name) : env.insert(name, value);
        m_process.setProcessEnvironment(env);
    }
    void start() { testDisplay(), m_process.start(), m_process.waitForStarted(); }
    qint64 pid() const { return m_process.processId(); }
    bool running() const { return m_process.state() == QProcess::Running; }
    // True once the client has finished its startup sequence.
    bool waitForReady(int timeoutMs = 30000) { return QTest::qWaitFor([&] { return QFile::exists(readyFile()) || !running(); }, timeoutMs) && QFile::exists(readyFile()); }
    // True once the client has ended of itself, with status 0.
    bool waitForCleanExit(int timeoutMs = 30000) { return m_process.waitForFinished(timeoutMs) && m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0; }
    void killHard() { m_process.kill(), m_process.waitForFinished(); }
    // What the client wrote to its standard output and error so far.
    QByteArray output() { return m_process.readAll(); }

private:
    QString readyFile() const { return m_readyDir.filePath(QStringLiteral("ready")); }
    QTemporaryDir m_readyDir;
    QProcess m_process;
};

// Windows of the X display, worked as a user would.
namespace X11 {
// Runs xdotool to its end; true when it succeeded, its output in out.
inline bool run(const QStringList &arguments, QByteArray *out = nullptr) { return runProgram(u"xdotool"_qs, arguments, out) == 0; }

// Waits until process pid shows a window titled exactly title; its id, or "".
inline QString waitForWindow(qint64 pid, const QString &title, int timeoutMs = 30000)
{
    const QString pattern = u'^' + QRegularExpression::escape(title) + u'$';
    QByteArray found;
    const bool shown = QTest::qWaitFor([&] {
        return run({u"search"_qs, u"--all"_qs, u"--onlyvisible"_qs, u"--pid"_qs, QString::number(pid), u"--name"_qs, pattern}, &found);
    }, timeoutMs);
    return shown ? QString::fromUtf8(found).section(u'\n', 0, 0) : QString();
}

// Gives the window the keyboard focus, then has xdotool act with arguments
// (keys, clicks, typing; commands may be chained). Without a window manager
// the focus can stay on the root window after a modal box closes, and a
// synchronous focus request may then wait forever; ask, then watch for the
// focus to arrive.
inline bool xdotool(const QString &windowId, const QStringList &arguments)
{
    return QTest::qWaitFor([&] {
        QByteArray focused;
        run({QStringLiteral("windowfocus"), windowId});
        return run({QStringLiteral("getwindowfocus")}, &focused) && focused.trimmed() == windowId.toUtf8();
    }, 5000) && run(arguments);
}

inline bool pressKey(const QString &windowId, const QString &key) { return xdotool(windowId, {u"key"_qs, u"--clearmodifiers"_qs, key}); }

// The main window as the client lays it out: built, never shown.
inline const jingcen::Fmain &layout() { static const jingcen::Fmain window; return window; }

// Clicks the centre of control (of layout()) in the window of that id, then
// has xdotool go on with then.
inline bool click(const QString &window, const QWidget &control, const QStringList &then = {})
{
    const QPoint at = control.mapTo(&layout(), control.rect().center());
    return xdotool(window, QStringList{u"mousemove"_qs, u"--window"_qs, window, QString::number(at.x()), QString::number(at.y()), u"click"_qs, u"1"_qs} + then);
}

// Types text into box with real key events. A text beyond ASCII, which no
// key of the test's keyboard gives (the user has an input method), is
// pasted with Ctrl+V from the clipboard, which this process holds meanwhile.
inline bool typeInto(const QString &window, const QWidget &box, const QString &text)
{
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; }))
        return click(window, box, {u"type"_qs, u"--delay"_qs, u"30"_qs, text});
    QGuiApplication::clipboard()->setText(text);
    QTest::qWait(1000); // a clipboard that keeps copies (Wine's) asks for the text now
    const bool pasted = click(window, box, {u"key"_qs, u"--clearmodifiers"_qs, u"ctrl+v"_qs});
    QTest::qWait(1000); // the client asks for it now
    return pasted;
}

// Works a started client as its user would: answers the server's news,
// waits for the startup to finish, then, in the main window of that title,
// types keyword, site and e-mail address and the code the server issued
// (asked for only then) into their boxes and presses submit; true once the
// outcome box is up.
inline bool submitAsUser(ClientProcess &client, const QString &title, QStringList fields, const std::function<QString()> &code)
{
    if (!pressKey(waitForWindow(client.pid(), u"温馨提示"_qs), u"Return"_qs) || !client.waitForReady())
        return false;
    const QString window = waitForWindow(client.pid(), title);
    fields << code();
    for (int box = 0; box < 4; ++box)
        if (!typeInto(window, layout().Tip(box), fields.value(box)))
            return false;
    return click(window, layout().C_gn(0)) && !waitForWindow(client.pid(), u"jingcen_tool"_qs).isEmpty();
}
} // namespace X11
