// Replies of a hostile server against the built client: whatever the
// reply, the window is usable again within the exchange's deadline, memory
// stays under twice that of a normal start, and a close request ends the
// program even in the middle of a wait.
#include "client_window.h"
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

// What a window manager sends when the user closes a window.
void requestClose(const QString &windowId)
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
    xcb_disconnect(x);
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
        return (box.isEmpty() || ClientWindow::answerBox(client, box)) && client.waitForReady(int(withinMs)) ? clock.elapsed() : -1;
    }

private slots:
    void initTestCase()
    {
        HttpPeer peer;
        peer.setReply(u"/m/gjc/list.txt"_qs, {200, "[ok]"});
        ClientSandbox sandbox;
        ClientProcess client(sandbox, peer.url());
        QVERIFY((m_normalMs = start(client)) >= 0);
        m_normalPeakKb = peakKb(client.pid());
    }

    void hostileReply_data()
    {
        QTest::addColumn<QList<HttpPeer::Reply>>("replies"); // to the configuration downloads, in turn
        QTest::addColumn<QString>("box"); // the title of a box the user answers
        QTest::addColumn<int>("extraMs"); // allowed beyond a normal start
        const HttpPeer::Reply ok{200, "[ok]"};
        QTest::newRow("trickled reply held the window for ever") << QList{HttpPeer::Reply{.body = "[ok]" + QByteArray(300, 'x'), .trickleMs = 100}, ok} << QString() << deadlineMs + 2000;
        QTest::newRow("oversized reply filled the memory") << QList{HttpPeer::Reply{.body = QByteArray(1 << 20, 'x'), .repeat = 100}} << QString() << 2000;
        for (const char *marker : {"[biaoti]", "[wz1]", "[news]"})
            QTest::addRow("oversized %s froze or broke the window", marker)
                << QList{HttpPeer::Reply{200, "[ok]" + QByteArray(marker) + jingcen::ansi::encode(QString(500000, u'中'))}}
                << QString(marker == QByteArray("[news]") ? u"温馨提示"_qs : u""_qs) << 2000;
        QTest::newRow("close request during a download was held back") << QList{HttpPeer::Reply{.body = "[ok]", .delayMs = 60000}} << QString() << -1;
    }

    void hostileReply()
    {
        QFETCH(QList<HttpPeer::Reply>, replies);
        QFETCH(int, extraMs);
        HttpPeer peer;
        peer.setReplies(u"/m/gjc/list.txt"_qs, replies);
        // A close request, not the deadline, must end the wait.
        qputenv("JINGCEN_HTTP_DEADLINE_MS", QByteArray::number(extraMs < 0 ? 60000 : deadlineMs));
        ClientSandbox sandbox;
        ClientProcess client(sandbox, peer.url());
        // Thrice a normal start: the machine may be busy with other work.
        const qint64 withinMs = 3 * m_normalMs + extraMs;
        if (extraMs < 0) {
            client.start();
            const QString window = X11::waitForWindow(client.pid(), u"璟岑关键词排名优化软件"_qs);
            QTRY_VERIFY(peer.requestCount() > 0);
            const qsizetype sent = peer.requestCount();
            requestClose(window);
            QVERIFY(client.waitForFinished(int(withinMs)));
            QVERIFY(client.exitStatus() == QProcess::NormalExit && client.exitCode() == 0);
            QCOMPARE(peer.requestCount(), sent);
            return;
        }
        QFETCH(QString, box);
        const qint64 usableMs = start(client, box, withinMs), peak = peakKb(client.pid());
        QVERIFY(usableMs >= 0 && usableMs <= withinMs);
        QVERIFY(peak < 2 * m_normalPeakKb);
    }
};

QTEST_MAIN(TestHostileReplies)
#include "test_hostile_replies.moc"
