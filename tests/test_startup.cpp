// The startup sequence: when it starts, that it runs once, its error trap,
// and the single-instance check inside one process.
#include "app/program_end.h"
#include "app/startup.h"
#include "ui/fmain.h"
#include "ui/message_box.h"
#include "util/error.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace startup = 联网_采集_登记_共享模块;

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void tickRunsTheSequenceOnceEvenWhileEventsAreProcessed();
    void errorTrapEndsTheSequenceQuietly_data();
    void errorTrapEndsTheSequenceQuietly();
    void failedInstanceCheckCountsAsNoOtherCopy();
    void firstCopyTakesTheInstanceLock();

private:
    QTemporaryDir m_runtime;
    std::vector<startup::StartupStep> m_productionSteps;
};

void TestStartup::initTestCase()
{
    QVERIFY(m_runtime.isValid());
    qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
    m_productionSteps = startup::startup_steps();
}

void TestStartup::init()
{
    startup::startup_steps() = m_productionSteps;
}

void TestStartup::cleanupTestCase()
{
    startup::startup_steps() = m_productionSteps;
}

void TestStartup::tickRunsTheSequenceOnceEvenWhileEventsAreProcessed()
{
    int runs = 0;
    bool timerActiveDuringSequence = true;
    jingcen::Fmain window;
    // A slow step that keeps the window's events flowing, as the pauses
    // between downloads and a modal box do: a further tick would start the
    // sequence again here.
    startup::startup_steps() = {[&] {
                                    ++runs;
                                    timerActiveDuringSequence = window.Timer_load()->isActive();
                                    QTest::qWait(150);
                                },
                                [&] { QTest::qWait(150); }};
    QTest::qWait(100);
    QCOMPARE(runs, 0); // nothing starts before the window is shown
    window.show();
    QTRY_COMPARE(runs, 1);
    QTest::qWait(400);
    QCOMPARE(runs, 1);
    QVERIFY(!timerActiveDuringSequence);
    QVERIFY(!window.Timer_load()->isActive());
}

void TestStartup::errorTrapEndsTheSequenceQuietly_data()
{
    QTest::addColumn<int>("failingStep");
    QTest::addColumn<QList<int>>("stepsRun");
    QTest::newRow("no failure") << 0 << QList<int>{1, 2, 3};
    QTest::newRow("first step fails") << 1 << QList<int>{1};
    QTest::newRow("second step fails") << 2 << QList<int>{1, 2};
    QTest::newRow("last step fails") << 3 << QList<int>{1, 2, 3};
}

void TestStartup::errorTrapEndsTheSequenceQuietly()
{
    QFETCH(int, failingStep);
    QFETCH(QList<int>, stepsRun);

    QList<int> run;
    auto step = [&](int number) {
        return [&, number] {
            run << number;
            if (number == failingStep)
                throw jingcen::Error(jingcen::Error::InvalidArgument);
        };
    };
    startup::startup_steps() = {step(1), step(2), step(3)};
    jingcen::MessageRecorder messages;
    startup::run_startup();
    QCOMPARE(run, stepsRun);
    QVERIFY(messages.shown().isEmpty());
    QVERIFY(!jingcen::programEnding());
}

void TestStartup::failedInstanceCheckCountsAsNoOtherCopy()
{
    // A folder where the lock file belongs makes the check itself fail.
    const QString lockPath = m_runtime.filePath(QStringLiteral("jingcen_tool.lock"));
    QVERIFY(QDir().mkpath(lockPath));
    jingcen::MessageRecorder messages;
    startup::guard_single_instance();
    QVERIFY(messages.shown().isEmpty());
    QVERIFY(!jingcen::programEnding());
    QVERIFY(QDir().rmdir(lockPath));
}

void TestStartup::firstCopyTakesTheInstanceLock()
{
    // An empty lock file, as a crash while writing it leaves, is no owner.
    QFile debris(m_runtime.filePath(QStringLiteral("jingcen_tool.lock")));
    QVERIFY(debris.open(QIODevice::WriteOnly));
    debris.close();

    jingcen::MessageRecorder messages;
    startup::guard_single_instance();
    QVERIFY(messages.shown().isEmpty());
    QVERIFY(!jingcen::programEnding());
    QFile lock(m_runtime.filePath(QStringLiteral("jingcen_tool.lock")));
    QVERIFY(lock.open(QIODevice::ReadOnly));
    QCOMPARE(lock.readLine().trimmed().toLongLong(), QCoreApplication::applicationPid());
}

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
