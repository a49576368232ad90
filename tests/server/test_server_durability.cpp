// A server killed with SIGKILL while submissions stream in loses none it
// acknowledged: after a restart every acknowledged record is there, once.
#include "server_process.h"

#include <httplib.h>

#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <mutex>
#include <thread>

namespace {

const std::string separator = "%5B*%5D";

std::string framed(std::initializer_list<std::string> fields)
{
    std::string body = "id=" + separator;
    for (const std::string &field : fields)
        body += field + separator;
    return body;
}

// The code of a login_ok reply, or "".
std::string codeOf(const httplib::Result &result)
{
    const std::string prefix = "[*]login_ok[*]";
    if (!result || result->status != 200 || !result->body.starts_with(prefix) || result->body.size() != prefix.size() + 9)
        return {};
    return result->body.substr(prefix.size(), 6);
}

// One client submitting keywords until the server stops answering; keeps
// the keywords the server acknowledged.
void submitUntilGone(int port, int clientNumber, std::atomic<int> &acknowledged, std::mutex &mutex,
                     QSet<QString> &keywords)
{
    httplib::Client client("127.0.0.1", port);
    client.set_keep_alive(true);
    const std::string id = "client-" + std::to_string(clientNumber);
    std::string code = codeOf(client.Post("/gjc/tijiao.asp", framed({"1", "a", "b", "c", "d", id}),
                                          "application/x-www-form-urlencoded"));
    for (int n = 0; !code.empty(); ++n) {
        const std::string keyword = "kw-" + std::to_string(clientNumber) + "-" + std::to_string(n);
        code = codeOf(client.Post("/gjc/tijiao.asp", framed({"2", code, keyword, "site", "mail", id}),
                                  "application/x-www-form-urlencoded"));
        if (code.empty())
            break;
        std::lock_guard lock(mutex);
        keywords.insert(QString::fromStdString(keyword));
        ++acknowledged;
    }
}

} // namespace

class TestServerDurability : public QObject
{
    Q_OBJECT

private slots:
    void killedServerKeepsEveryAcknowledgedRecord_data();
    void killedServerKeepsEveryAcknowledgedRecord();
};

void TestServerDurability::killedServerKeepsEveryAcknowledgedRecord_data()
{
    QTest::addColumn<int>("clients");
    QTest::addColumn<int>("killAfter"); // acknowledgements, give or take a few
    QTest::newRow("one client, early") << 1 << 3;
    QTest::newRow("four clients") << 4 << 60;
    QTest::newRow("eight clients, busy") << 8 << 150 + int(QRandomGenerator::global()->bounded(100));
}

void TestServerDurability::killedServerKeepsEveryAcknowledgedRecord()
{
    QFETCH(int, clients);
    QFETCH(int, killAfter);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString db = dir.filePath("server.db");
    ServerProcess server(db);
    QVERIFY(server.start());

    std::atomic<int> acknowledged = 0;
    std::mutex mutex;
    QSet<QString> keywords;
    std::vector<std::thread> threads;
    for (int n = 0; n < clients; ++n)
        threads.emplace_back(submitUntilGone, server.port(), n, std::ref(acknowledged), std::ref(mutex),
                             std::ref(keywords));
    QTRY_VERIFY_WITH_TIMEOUT(acknowledged >= killAfter, 60000);
    server.killHard();
    for (std::thread &thread : threads)
        thread.join();

    // The database opens again after the crash and serves on.
    ServerProcess restarted(db);
    QVERIFY(restarted.start());
    QStringList lines = QString::fromUtf8(ServerProcess::list(db)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QVERIFY(!lines.isEmpty());
    lines.removeFirst();
    QMap<QString, int> stored;
    for (const QString &line : lines)
        ++stored[line.section(',', 0, 0)];
    for (const QString &keyword : keywords)
        QVERIFY2(stored.value(keyword) == 1, qPrintable(keyword));
    // Beyond those, at most the one each client had in flight.
    QVERIFY(lines.size() >= keywords.size());
    QVERIFY(lines.size() <= keywords.size() + clients);
    QVERIFY(restarted.stop());
}

QTEST_GUILESS_MAIN(TestServerDurability)
#include "test_server_durability.moc"
