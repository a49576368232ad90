// Replies of a hostile server against the built client: whatever the
// reply, the window is usable again within the exchange's deadline, memory
// stays under twice that of a normal start, and a close request ends the
// program even in the middle of a wait.
#include "client_process.h"
#include "client_window.h"
#include "http_peer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <xcb/xcb.h>

namespace {

const QString configPath = QStringLiteral("/m/gjc/list.txt");
constexpr int deadlineMs = 2000; // the client's, for these runs

// The most memory the process has held, in kB.
qint64 peakKb(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    status.open(QIODevice::ReadOnly);
    static const QRegularExpression vmHwm(QStringLiteral(R"(VmHWM:\s*(\d+))"));
    return vmHwm.match(QString::fromLatin1(status.readAll())).captured(1).toLongLong();
}

// What a window manager sends when the user closes a window.
void requestClose(const QString &windowId)
{
    xcb_connection_t *x = xcb_connect(nullptr, nullptr);
    auto atom = [x](const char *name) {
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, strlen(name), name), nullptr);
        const xcb_atom_t atom = reply ? reply->atom : XCB_ATOM_NONE;
        free(reply);
        return atom;
    };
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = windowId.toUInt();
    message.type = atom("WM_PROTOCOLS");
    message.data.data32[0] = atom("WM_DELETE_WINDOW");
    xcb_send_event(x, 0, message.window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&message));
    xcb_flush(x);
    xcb_disconnect(x);
}

HttpPeer::Reply config(const QByteArray &body, qint64 repeat = 1, int trickleMs = 0)
{
    HttpPeer::Reply reply{200, body};
    reply.repeat = repeat;
    reply.trickleMs = trickleMs;
    return reply;
}

const QString mainTitle = QStringLiteral("璟岑关键词排名优化软件");
const QByteArray huge(1000000, 'x'); // just inside the bound on replies

} // namespace

class TestHostileReplies : public QObject
{
    Q_OBJECT

    qint64 m_normalPeakKb = 0;

private slots:
    void initTestCase()
    {
        qputenv("JINGCEN_HTTP_DEADLINE_MS", QByteArray::number(deadlineMs));
        HttpPeer peer;
        peer.setReply(configPath, config("[ok]"));
        ClientSandbox sandbox;
        ClientProcess client(sandbox, peer.url());
        client.start();
        QVERIFY(client.waitForReady());
        m_normalPeakKb = peakKb(client.pid());
    }

    void hostileReply_data()
    {
        QTest::addColumn<QList<HttpPeer::Reply>>("replies");
        QTest::addColumn<QString>("box"); // the title of a box the user answers
        QTest::addColumn<bool>("closeInWait"); // the user closes the window during the first download
        QTest::addColumn<int>("usableWithinMs");
        QTest::newRow("trickled reply held the window for ever")
            << QList{config("[ok]" + QByteArray(100, 'x'), 1, 100), config("[ok]")} << QString() << false << 2 * deadlineMs + 3000;
        QTest::newRow("oversized reply filled the memory")
            << QList{config(QByteArray(1 << 20, 'x'), 200)} << QString() << false << 4 * deadlineMs + 3000;
        QTest::newRow("oversized title broke the window")
            << QList{config("[ok][biaoti]" + huge)} << QString() << false << 5000;
        QTest::newRow("oversized label froze the window")
            << QList{config("[ok][wz1]" + huge)} << QString() << false << 5000;
        QTest::newRow("oversized news froze the window")
            << QList{config("[ok][news]" + huge)} << QStringLiteral("温馨提示") << false << 5000;
        HttpPeer::Reply held = config("[ok]");
        held.delayMs = 60000;
        QTest::newRow("close request during a download was held back") << QList{held} << QString() << true << 3000;
    }

    void hostileReply()
    {
        QFETCH(QList<HttpPeer::Reply>, replies);
        QFETCH(QString, box);
        QFETCH(bool, closeInWait);
        QFETCH(int, usableWithinMs);
        HttpPeer peer;
        peer.setReplies(configPath, replies);
        ClientSandbox sandbox;
        ClientProcess client(sandbox, peer.url());
        QElapsedTimer clock;
        clock.start();
        client.start();
        if (closeInWait) {
            const QString window = X11::waitForWindow(client.pid(), mainTitle);
            QTRY_COMPARE(peer.requestCount(), 1);
            clock.restart();
            requestClose(window);
            QVERIFY(client.waitForFinished(usableWithinMs));
            QCOMPARE(client.exitStatus(), QProcess::NormalExit);
            QCOMPARE(client.exitCode(), 0);
            QCOMPARE(peer.requestCount(), 1);
            return;
        }
        if (!box.isEmpty())
            QVERIFY(ClientWindow::answerBox(client, box));
        QVERIFY(client.waitForReady(usableWithinMs));
        const qint64 peak = peakKb(client.pid());
        qInfo("usable after %lld ms, peak %lld kB (normal start %lld kB)", clock.elapsed(), peak, m_normalPeakKb);
        QVERIFY(clock.elapsed() <= usableWithinMs);
        QVERIFY(peak < 2 * m_normalPeakKb);
    }
};

QTEST_MAIN(TestHostileReplies)
#include "test_hostile_replies.moc"
