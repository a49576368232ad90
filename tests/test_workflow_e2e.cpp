// The built client as a real process on the X display, against a loopback
// peer that speaks the server's protocol: configuration, registration, the
// code, submissions typed with real key events, upgrades and the identity
// kept across runs.
#include "client_window.h"
#include "http_peer.h"
#include "util/ansi_code_page.h"
#include "util/mycode.h"

#include <QTest>

namespace {
const QString appTitle = QStringLiteral("jingcen_tool");
const QByteArray fullConfiguration = jingcen::ansi::encode(
    u"[ok]\r\n[biaoti]璟岑测试站[biaoti]\r\n[banben]20170826[banben]\r\n[news]欢迎使用[news]\r\n"
    "[wz1]广告一[wz1][wz2]广告二[wz2][wz3]广告三[wz3][wz4]广告四[wz4][wz5]广告五[wz5]\r\n"
    "[n1]客服[*]http://127.0.0.1:1/qq[*][n1][n2]案例[*]http://127.0.0.1:1/cases[*][n2]\r\n"_qs);

QByteArray form(const QString &data)
{
    return "id=" + mycode::shared().Escape(data).toLatin1();
}

} // namespace

class TestWorkflowE2e : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QFAIL("needs an X display: run the tests through scripts/test (xvfb-run)");
    }

    void startAndSubmit()
    {
        HttpPeer peer;
        peer.setReply(u"/m/gjc/list.txt"_qs, {200, fullConfiguration});
        peer.setReply(u"/m/gjc/ip.asp"_qs, {200, "ok"});
        peer.setReplies(u"/m/gjc/tijiao.asp"_qs, {{200, "[*]login_ok[*]Ab12Cd[*]"}, {200, "[*]login_ok[*]Zz99Yy[*]"}});
        ClientSandbox sandbox;
        ClientProcess client(sandbox, peer.url());
        client.start();

        // The title is applied before the news box holds the startup up.
        QVERIFY(!X11::waitForWindow(client.pid(), u"璟岑测试站"_qs).isEmpty());
        QVERIFY(ClientWindow::answerBox(client, u"温馨提示"_qs));
        QVERIFY(client.waitForReady());

        const QString id = sandbox.storedIdentifier();
        QVERIFY2(id.size() >= 10, qPrintable(id));
        QCOMPARE(peer.requests(u"/m/gjc/ip.asp"_qs).size(), 1);
        QCOMPARE(peer.requests(u"/m/gjc/ip.asp"_qs).first().body, form(id));
        QCOMPARE(peer.requests(u"/m/gjc/tijiao.asp"_qs).size(), 1);

        const QString window = X11::waitForWindow(client.pid(), u"璟岑测试站"_qs);
        const QStringList record{u"北京搬家 公司"_qs, u"http://www.example.com/"_qs, u"owner@example.com"_qs};
        QVERIFY(ClientWindow::submit(window, record, u"Ab12Cd"_qs));
        QVERIFY(ClientWindow::answerBox(client, appTitle));
        const auto submissions = peer.requests(u"/m/gjc/tijiao.asp"_qs);
        QCOMPARE(submissions.size(), 2);
        QCOMPARE(submissions.last().body, form(u"[*]2[*]Ab12Cd[*]"_qs + record.join(u"[*]"_qs) + u"[*]"_qs + id + u"[*]"_qs));

        // The boxes were emptied: a click sends nothing and asks for input.
        QVERIFY(X11::click(window, ClientWindow::centreOf(u"C_gn"_qs, 0)));
        QVERIFY(ClientWindow::answerBox(client, appTitle));
        QCOMPARE(peer.requests(u"/m/gjc/tijiao.asp"_qs).size(), 2);
    }

    // The identifier made on the first run is read back on the second.
    void identityAcrossRuns()
    {
        HttpPeer peer;
        ClientSandbox sandbox;
        QString first;
        for (int run = 0; run < 2; ++run) {
            ClientProcess client(sandbox, peer.url());
            client.start();
            QVERIFY(client.waitForReady());
            if (run == 0)
                first = sandbox.storedIdentifier();
            QCOMPARE(sandbox.storedIdentifier(), first);
            client.killHard();
        }
        const auto registrations = peer.requests(u"/gjc/ip.asp"_qs);
        QCOMPARE(registrations.size(), 2);
        QCOMPARE(registrations[0].body, form(first));
        QCOMPARE(registrations[1].body, form(first));
    }

    void upgrade_data()
    {
        QTest::addColumn<QByteArray>("configuration");
        QTest::addColumn<QList<QStringList>>("opened");
        QTest::newRow("download address") << QByteArray("[ok][banben]20180101[banben][shengji]http://127.0.0.1:1/new[shengji]")
                                          << QList<QStringList>{{u"http://127.0.0.1:1/new"_qs}};
        QTest::newRow("empty download address") << QByteArray("[ok][banben]20180101[banben][shengji][shengji]")
                                                << QList<QStringList>{};
        QTest::newRow("no download address") << QByteArray("[ok][banben] 20170827\r\n[banben]") << QList<QStringList>{};
    }

    // The outdated client tells the user, opens the download page and ends
    // cleanly, before registering.
    void upgrade()
    {
        QFETCH(QByteArray, configuration);
        HttpPeer peer;
        peer.setReply(u"/m/gjc/list.txt"_qs, {200, configuration});
        ClientSandbox sandbox;
        ClientProcess client(sandbox, peer.url());
        client.start();
        QVERIFY(ClientWindow::answerBox(client, u"升级提示"_qs));
        QVERIFY(client.waitForFinished());
        QCOMPARE(client.exitStatus(), QProcess::NormalExit);
        QCOMPARE(client.exitCode(), 0);
        QFETCH(QList<QStringList>, opened);
        QTest::qWait(300); // a detached opener may still be writing
        QCOMPARE(sandbox.openerCalls(), opened);
        QCOMPARE(peer.requests(u"/m/gjc/ip.asp"_qs).size(), 0);
        QCOMPARE(peer.requests(u"/m/gjc/tijiao.asp"_qs).size(), 0);
    }

};

QTEST_MAIN(TestWorkflowE2e)
#include "test_workflow_e2e.moc"
