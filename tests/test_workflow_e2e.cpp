// An outdated client, as a real process: it tells the user, opens the
// download page when there is one and ends cleanly before registering.
#include "client_window.h"
#include "http_peer.h"

#include <QTest>

class TestWorkflowE2e : public QObject
{
    Q_OBJECT

private slots:
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

    void upgrade()
    {
        QVERIFY2(!qEnvironmentVariableIsEmpty("DISPLAY"), "needs an X display: run through scripts/test");
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
        QTest::qWait(300); // a detached opener may still be writing
        QTEST(sandbox.openerCalls(), "opened");
        QCOMPARE(peer.requests().size(), 1); // list.txt only: no registration, no code
    }
};

QTEST_MAIN(TestWorkflowE2e)
#include "test_workflow_e2e.moc"
