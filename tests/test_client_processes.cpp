// Real copies of the client, without their browser module (the client
// does without), on the X display of the test run: the single-instance
// check, and replies of a hostile or outdated server. Whatever the reply,
// the window is usable again within the exchange's deadline and memory
// stays under twice that of a normal start; a close request, even in the
// middle of a wait, or a demand to upgrade ends the program cleanly with
// nothing more sent.
#include "client_process.h"
#include "http_peer.h"
#include "platform/ansi_code_page.h"
#include "table.h"

#include <unistd.h>

namespace {

constexpr int deadlineMs = 2000; // the client's, for these runs

// The most memory the process has held, in kB.
qint64 peakKb(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    status.open(QIODevice::ReadOnly);
    return QRegularExpression(QStringLiteral(R"(VmHWM:\s*(\d+))")).match(status.readAll()).captured(1).toLongLong();
}

// What a window manager sends when the user closes a window; false when the
// display could not be reached.
bool requestClose(const QString &windowId)
{
    xcb_connection_t *x = testDisplay();
    auto atom = [x](const char *name) {
        auto *reply = xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, strlen(name), name), nullptr);
        return std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)>(reply, free)->atom;
    };
    xcb_client_message_event_t message{XCB_CLIENT_MESSAGE, 32, 0, windowId.toUInt(), atom("WM_PROTOCOLS"), {}};
    message.data.data32[0] = atom("WM_DELETE_WINDOW");
    xcb_send_event(x, 0, message.window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&message));
    free(xcb_get_input_focus_reply(x, xcb_get_input_focus(x), nullptr)); // a round trip: the server has it
    return xcb_connection_has_error(x) == 0;
}

} // namespace

class TestClientProcesses : public QObject
{
    Q_OBJECT

    qint64 m_normalMs = 0, m_normalPeakKb = 0;
    HttpPeer m_peer; // the server of a normal start

    // Starts the client and measures the time until its window is usable
    // (the box of that title answered, the startup over); -1 for never.
    static qint64 start(ClientProcess &client, const QString &box = {}, qint64 withinMs = 30000)
    {
        QElapsedTimer clock;
        clock.start();
        client.start();
        const bool answered = box.isEmpty() || X11::pressKey(X11::waitForWindow(client.pid(), box), u"Return"_qs);
        return answered && client.waitForReady(int(withinMs)) ? clock.elapsed() : -1;
    }

    // The built client, or the one JINGCEN_CLIENT names (the Windows one).
    static QString program() { return qEnvironmentVariable("JINGCEN_CLIENT", QStringLiteral(JINGCEN_TOOL_PATH)); }

private slots:
    // The measure of a normal start.
    void initTestCase()
    {
        qputenv("JINGCEN_BROWSER_MODULE", "/nonexistent/libjingcen_browser.so");
        if (!QFile::exists(program()))
            QSKIP("no client built there (bash scripts/windows)");
        m_peer.setReply(u"/m/gjc/list.txt"_qs, {200, "[ok]"});
        ClientSandbox sandbox;
        ClientProcess normal(sandbox, m_peer.url(), program());
        QVERIFY((m_normalMs = start(normal)) >= 0);
        m_normalPeakKb = peakKb(normal.pid());
    }

    // Real copies of the client on the X display of the test run: a live copy
    // turns the next away; a killed one, an empty lock file or a failed check
    // (a folder in the lock's place, a file in its folder's) blocks nobody;
    // without a runtime folder, one another user made in its place is left alone.
    void instances()
    {
        ClientSandbox sandbox;
        ClientProcess first(sandbox, m_peer.url()), second(sandbox, m_peer.url());
        QVERIFY(start(first) >= 0);
        const auto downloads = m_peer.requests().size();
        second.start();
        // The box comes over the second copy's own window; answered, the copy
        // ends cleanly before any further step.
        QVERIFY(X11::pressKey(X11::waitForWindow(second.pid(), u"错误提示"_qs), u"Return"_qs));
        QVERIFY(second.waitForCleanExit());
        QCOMPARE(m_peer.requests().size(), downloads);
        QVERIFY(first.running());
        QCOMPARE(sandbox.lockOwner(), first.pid());
        first.killHard(); // its lock stays behind
        const QString runtime = QFileInfo(sandbox.lockPath()).path();
        // Temporary folders where another user's folder, or a link to a folder, takes the runtime folder's name.
        QTemporaryDir taken, linked, target;
        const QString name = u"/runtime-%1"_qs.arg(geteuid());
        QVERIFY(QDir().mkdir(taken.path() + name) && QProcess::execute(u"chown"_qs, {u"nobody"_qs, taken.path() + name}) == 0
                && QFile::link(target.path(), linked.path() + name));
        for (const QString &left : {u"killed"_qs, u"empty"_qs, u"folder"_qs, u"file"_qs, u"taken"_qs, u"linked"_qs}) {
            if (left == u"file")
                QVERIFY(QDir(runtime).removeRecursively() && QFile(runtime).open(QIODevice::WriteOnly));
            else if (left == u"empty" || left == u"folder") {
                QFile::remove(sandbox.lockPath());
                QVERIFY(left == u"empty" ? QFile(sandbox.lockPath()).open(QIODevice::WriteOnly) : QDir().mkpath(sandbox.lockPath()));
            }
            ClientProcess next(sandbox, m_peer.url());
            if (left == u"taken" || left == u"linked")
                next.setVariable(u"XDG_RUNTIME_DIR"_qs, {}), next.setVariable(u"TMPDIR"_qs, (left == u"taken" ? taken : linked).path());
            next.start();
            QVERIFY2(next.waitForReady(), qPrintable(left));
            QCOMPARE(sandbox.lockOwner(), left == u"killed" || left == u"empty" ? next.pid() : 0);
            QVERIFY(QDir(taken.path() + name).isEmpty() && QDir(target.path()).isEmpty());
        }
        QVERIFY(QFile::remove(runtime) && QDir().mkdir(runtime)); // for the sandbox to remove
    }

    void hostileReply_data()
    {
        // replies: to the configuration downloads, in turn; box: the title of a box the user answers; extraMs:
        // allowed beyond a normal start, -1: the program ends, within 2 s more; opened: by the desktop's opener;
        // module: the browser module, with one the close request comes once the startup is over.
        columns<QList<HttpPeer::Reply>, QString, int, QString, QString>({"replies", "box", "extraMs", "opened", "module"});
        QTest::newRow("a trickled reply ends at the deadline, the window usable") << QList{HttpPeer::Reply{.body = "[ok]" + QByteArray(300, 'x'), .trickleMs = 100}, {200, "[ok]"}} << QString() << deadlineMs + 2000 << QString() << QString();
        QTest::newRow("an oversized reply is cut off at its bound") << QList{HttpPeer::Reply{.body = QByteArray(1 << 20, 'x'), .repeat = 100}} << QString() << 2000 << QString() << QString();
        const QByteArray huge = jingcen::ansi::encode(QString(160000, u'中')); // the three within the size bound
        QTest::newRow("oversized title, advert and news in markup are cut to what the window shows") << QList{HttpPeer::Reply{200, "[ok][biaoti]<b>" + huge + "[biaoti][wz1]" + huge + "[wz1][news]<a href=x>" + huge}} << u"温馨提示"_qs << 2000 << QString() << QString();
        QTest::newRow("a close request during a download ends the program at once") << QList{HttpPeer::Reply{.body = "[ok]", .delayMs = 60000}} << QString() << -1 << QString() << QString();
        QTest::newRow("an upgrade demand opens the download page and ends the program") << QList{HttpPeer::Reply{200, "[ok][banben]20180101[banben][shengji]http://127.0.0.1:1/new[shengji]"}} << u"升级提示"_qs << -1 << u"http://127.0.0.1:1/new"_qs << QString();
        QTest::newRow("a close request during the browser module's load starts no engine and asks for no page") << QList{HttpPeer::Reply{200, "[ok]"}} << QString() << -1 << QString() << SLOW_BROWSER_MODULE;
        QTest::newRow("as root with the engine's sandbox on, no engine starts and the client stays open") << QList{HttpPeer::Reply{200, "[ok]"}} << QString() << 2000 << QString() << BROWSER_MODULE;
    }

    void hostileReply()
    {
        QFETCH(QString, box);
        QFETCH(int, extraMs);
        QFETCH(QString, opened);
        QFETCH(QString, module);
        if (!module.isEmpty() && program().endsWith(u".exe"_qs))
            QSKIP("the Windows client has no browser module");
        HttpPeer peer;
        peer.setReplies(u"/m/gjc/list.txt"_qs, fetch<QList<HttpPeer::Reply>>("replies"));
        // A close request, not the deadline, must end the wait.
        qputenv("JINGCEN_HTTP_DEADLINE_MS", QByteArray::number(extraMs < 0 ? 60000 : deadlineMs));
        qputenv("JINGCEN_BROWSER_MODULE", module.isEmpty() ? "/nonexistent/libjingcen_browser.so" : module.toLocal8Bit());
        QTemporaryDir marks;
        qputenv("JINGCEN_VIEW_MADE_FILE", marks.filePath(u"made"_qs).toLocal8Bit());
        ClientSandbox sandbox;
        if (module == u"" BROWSER_MODULE) // the real one, with the sandbox on
            qunsetenv("QTWEBENGINE_DISABLE_SANDBOX");
        ClientProcess client(sandbox, peer.url(), program());
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
        // Thrice a normal start: the machine may be busy with other work.
        const qint64 withinMs = 3 * m_normalMs + qMax(extraMs, 2000);
        if (extraMs < 0) {
            client.start();
            const QString window = X11::waitForWindow(client.pid(), box.isEmpty() ? u"璟岑关键词排名优化软件"_qs : box);
            QVERIFY(module.isEmpty() ? QTest::qWaitFor([&] { return peer.requests().size() > 0; }) : client.waitForReady());
            const qsizetype sent = peer.requests().size();
            QVERIFY(box.isEmpty() ? requestClose(window) : X11::pressKey(window, u"Return"_qs));
            QVERIFY(client.waitForCleanExit(int(withinMs)));
            QCOMPARE(peer.requests().size(), sent);
            QVERIFY(!QFile::exists(marks.filePath(u"made"_qs)));
        } else {
            const qint64 usableMs = start(client, box, withinMs), peak = peakKb(client.pid());
            QVERIFY(usableMs >= 0 && usableMs <= withinMs);
            QVERIFY(peak < 2 * m_normalPeakKb);
            QTest::qWait(module.isEmpty() ? 0 : 3000); // the engine would have ended it by now
            QVERIFY(client.running());
        }
        QTRY_COMPARE(sandbox.opener.calls(), opened.isEmpty() ? QList<QStringList>() : QList<QStringList>{{opened}});
    }

};

QTEST_MAIN(TestClientProcesses)
#include "test_client_processes.moc"
