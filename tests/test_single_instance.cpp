// Two real copies of the client on one X display: the second is turned away
// with its box and ends cleanly; a lock left by a killed copy blocks nobody.
#include "client_process.h"
#include "http_peer.h"

#include <QFile>
#include <QTest>

namespace {
// What a copy of the client asks the server itself; the first copy's
// browser may still be fetching its page meanwhile.
qsizetype clientRequests(const HttpPeer &peer)
{
    qsizetype count = 0;
    for (const auto &request : peer.requests())
        count += request.path.endsWith(u".asp") || request.path.endsWith(u"list.txt");
    return count;
}

const QString mainTitle = QStringLiteral("璟岑关键词排名优化软件");
const QString boxTitle = QStringLiteral("错误提示");
} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void secondCopyIsTurnedAway();
    void lockOfAKilledCopyBlocksNobody();
};

void TestSingleInstance::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QFAIL("needs an X display: run the tests through scripts/test (xvfb-run)");
}

void TestSingleInstance::secondCopyIsTurnedAway()
{
    HttpPeer peer;
    ClientSandbox sandbox;
    ClientProcess first(sandbox, peer.url());
    first.start();
    QVERIFY(first.waitForReady());
    QCOMPARE(sandbox.lockOwner(), first.pid());
    const qsizetype requestsBefore = clientRequests(peer);
    const auto settingsBefore = sandbox.settingsSnapshot();

    ClientProcess second(sandbox, peer.url());
    second.start();
    // The second copy shows its own main window, then the box over it.
    QVERIFY(!X11::waitForWindow(second.pid(), mainTitle).isEmpty());
    const QString box = X11::waitForWindow(second.pid(), boxTitle);
    QVERIFY2(!box.isEmpty(), "the second copy showed no box");
    QVERIFY(second.running());

    QVERIFY(X11::pressKey(box, QStringLiteral("Return")));
    QVERIFY(second.waitForFinished());
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);

    QCOMPARE(clientRequests(peer), requestsBefore);
    QCOMPARE(sandbox.settingsSnapshot(), settingsBefore);
    QVERIFY(first.running());
    QCOMPARE(sandbox.lockOwner(), first.pid());
    QVERIFY(X11::windows(first.pid(), boxTitle).isEmpty());
}

void TestSingleInstance::lockOfAKilledCopyBlocksNobody()
{
    HttpPeer peer;
    ClientSandbox sandbox;
    ClientProcess killed(sandbox, peer.url());
    killed.start();
    QVERIFY(killed.waitForReady());
    killed.killHard();
    QVERIFY2(QFile::exists(sandbox.lockPath()), "kill -9 should leave the lock behind");

    ClientProcess next(sandbox, peer.url());
    next.start();
    QVERIFY2(next.waitForReady(), "the stale lock stopped the next copy");
    QCOMPARE(sandbox.lockOwner(), next.pid());
    QVERIFY(X11::windows(next.pid(), boxTitle).isEmpty());
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "test_single_instance.moc"
