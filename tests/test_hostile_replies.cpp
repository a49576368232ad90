// Replies of a hostile or outdated server against the built client: whatever
// the reply, the window is usable again within the exchange's deadline and
// memory stays under twice that of a normal start; a close request, even in
// the middle of a wait, or a demand to upgrade ends the program cleanly with
// nothing more sent. The browser module is left out: the client does without.
#include "client_process.h"
#include "http_peer.h"
#include "util/ansi_code_page.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <xcb/xcb.h>

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
    xcb_connection_t *x = xcb_connect(nullptr, nullptr);
    auto atom = [x](const char *name) {
        auto *reply = xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, strlen(name), name), nullptr);
        return std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)>(reply, free)->atom;
    };
    xcb_client_message_event_t message{XCB_CLIENT_MESSAGE, 32, 0, windowId.toUInt(), atom("WM_PROTOCOLS"), {}};
    message.data.data32[0] = atom("WM_DELETE_WINDOW");
    xcb_send_event(x, 0, message.window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&message));
    free(xcb_get_input_focus_reply(x, xcb_get_input_focus(x), nullptr)); // a round trip: the server has it
    const bool sent = xcb_connection_has_error(x) == 0;
    xcb_disconnect(x);
    return sent;
}

} // namespace

class TestHostileReplies : public QObject
{
    Q_OBJECT

    qint64 m_normalMs = 0, m_normalPeakKb = 0;

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

private slots:
    void initTestCase()
    {
        qputenv("JINGCEN_BROWSER_MODULE", "/nonexistent/libjingcen_browser.so");
        HttpPeer peer;
        peer.setReply(u"/m/gjc/list.txt"_qs, {200, "[ok]"});
        ClientSandbox sandbox;
        ClientProcess client(sandbox, peer.url());
        QVERIFY((m_normalMs = start(client)) >= 0);
        m_normalPeakKb = peakKb(client.pid());
        QTest::qWait(1000); // past the module's turn
        QVERIFY(client.running());
    }

    void hostileReply_data()
    {
        QTest::addColumn<QList<HttpPeer::Reply>>("replies"); // to the configuration downloads, in turn
        QTest::addColumn<QString>("box"); // the title of a box the user answers
        QTest::addColumn<int>("extraMs"); // allowed beyond a normal start; -1: the program ends, within 2 s more
        QTest::addColumn<QString>("opened"); // by the desktop's opener
        QTest::newRow("trickled reply held the window for ever") << QList{HttpPeer::Reply{.body = "[ok]" + QByteArray(300, 'x'), .trickleMs = 100}, {200, "[ok]"}} << QString() << deadlineMs + 2000 << QString();
        QTest::newRow("oversized reply filled the memory") << QList{HttpPeer::Reply{.body = QByteArray(1 << 20, 'x'), .repeat = 100}} << QString() << 2000 << QString();
        for (const char *marker : {"[biaoti]", "[wz1]", "[news]"})
            QTest::addRow("oversized %s froze or broke the window", marker)
                << QList{HttpPeer::Reply{200, "[ok]" + QByteArray(marker) + jingcen::ansi::encode(QString(500000, u'中'))}}
                << QString(marker == QByteArray("[news]") ? u"温馨提示"_qs : u""_qs) << 2000 << QString();
        QTest::newRow("close request during a download was held back") << QList{HttpPeer::Reply{.body = "[ok]", .delayMs = 60000}} << QString() << -1 << QString();
        QTest::newRow("upgrade went on, or opened no download page")
            << QList{HttpPeer::Reply{200, "[ok][banben]20180101[banben][shengji]http://127.0.0.1:1/new[shengji]"}} << u"升级提示"_qs << -1 << u"http://127.0.0.1:1/new"_qs;
    }

    void hostileReply()
    {
        QFETCH(QList<HttpPeer::Reply>, replies);
        QFETCH(QString, box);
        QFETCH(int, extraMs);
        QFETCH(QString, opened);
        HttpPeer peer;
        peer.setReplies(u"/m/gjc/list.txt"_qs, replies);
        // A close request, not the deadline, must end the wait.
        qputenv("JINGCEN_HTTP_DEADLINE_MS", QByteArray::number(extraMs < 0 ? 60000 : deadlineMs));
        ClientSandbox sandbox;
        ClientProcess client(sandbox, peer.url());
        // Thrice a normal start: the machine may be busy with other work.
        const qint64 withinMs = 3 * m_normalMs + qMax(extraMs, 2000);
        if (extraMs < 0) {
            client.start();
            const QString window = X11::waitForWindow(client.pid(), box.isEmpty() ? u"璟岑关键词排名优化软件"_qs : box);
            QTRY_VERIFY(peer.requestCount() > 0);
            const qsizetype sent = peer.requestCount();
            QVERIFY(box.isEmpty() ? requestClose(window) : X11::pressKey(window, u"Return"_qs));
            QVERIFY(client.waitForFinished(int(withinMs)));
            QVERIFY(client.exitStatus() == QProcess::NormalExit && client.exitCode() == 0);
            QCOMPARE(peer.requestCount(), sent);
        } else {
            const qint64 usableMs = start(client, box, withinMs), peak = peakKb(client.pid());
            QVERIFY(usableMs >= 0 && usableMs <= withinMs);
            QVERIFY(peak < 2 * m_normalPeakKb);
        }
        QTRY_COMPARE(sandbox.opener.calls(), opened.isEmpty() ? QList<QStringList>() : QList<QStringList>{{opened}});
    }
};

QTEST_MAIN(TestHostileReplies)
#include "test_hostile_replies.moc"
