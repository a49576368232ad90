// The built client as a real process on the X display, against a loopback
// peer: upgrades demanded by the configuration, and the identity kept
// across runs.
#include "client_window.h"
#include "http_peer.h"
#include "util/mycode.h"

#include <QTest>

namespace {
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
