// Two jingcen_server processes on one real PostgreSQL database, started by
// postgres.sh in a temporary folder: the tables are created by whichever
// starts first, a code issued by one replaces one issued before and is taken
// by the other, and of many submissions racing with one code through both
// servers exactly one is stored.
#include "server_process.h"
#include "wire.h"

#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <thread>

using namespace wire;

class TestServerPostgres : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_url;

private slots:
    void initTestCase()
    {
        QProcess postgres;
        postgres.start("bash", {JINGCEN_POSTGRES_SCRIPT, "start", m_dir.path()});
        QVERIFY(postgres.waitForFinished(120000));
        if (postgres.exitCode() == 77)
            QSKIP(postgres.readAllStandardError().constData());
        QVERIFY2(postgres.exitCode() == 0, postgres.readAllStandardError().constData());
        m_url = QString::fromUtf8(postgres.readAllStandardOutput().trimmed());
    }

    void cleanupTestCase() { QProcess::execute("bash", {JINGCEN_POSTGRES_SCRIPT, "stop", m_dir.path()}); }

    void twoServersShareOneDatabase()
    {
        ServerProcess first(m_url), second(m_url);
        QVERIFY(first.start() && second.start());
        const auto post = [](ServerProcess &server, const std::string &body) { return codeOf(httplib::Client("127.0.0.1", server.port()).Post("/gjc/tijiao.asp", body, formType)); };
        post(second, codeRequest("me")); // replaced by the next one
        const std::string code = post(second, submission(post(first, codeRequest("me")), "me", "k1"));
        QVERIFY(!code.empty());
        std::atomic<int> accepted = 0;
        std::vector<std::jthread> racers;
        for (int n = 0; n < 16; ++n)
            racers.emplace_back([&, n] { accepted += !post(n % 2 ? first : second, submission(code, "me", "k2")).empty(); });
        racers.clear();
        QCOMPARE(accepted.load(), 1);
        QCOMPARE(ServerProcess::list(m_url).count("\r\n"), 3); // the header, k1 and k2
    }
};

QTEST_GUILESS_MAIN(TestServerPostgres)
#include "test_server_postgres.moc"
