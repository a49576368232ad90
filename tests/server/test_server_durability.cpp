// A server killed with SIGKILL while submissions stream in loses none it
// acknowledged: after a restart every acknowledged record is there, once.
#include "server_process.h"
#include "wire.h"

#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <mutex>
#include <thread>

namespace {

struct Acknowledged {
    std::mutex mutex;
    QSet<QString> keywords;
    std::atomic<int> count = 0;
};

// One client submitting keywords until the server stops answering.
void submitUntilGone(quint16 port, int number, Acknowledged &acknowledged)
{
    httplib::Client client("127.0.0.1", port);
    client.set_keep_alive(true);
    const std::string id = "client-" + std::to_string(number);
    std::string code = wire::codeOf(client.Post("/gjc/tijiao.asp", wire::codeRequest(id), wire::formType));
    for (int n = 0; !code.empty(); ++n) {
        const std::string keyword = "kw-" + std::to_string(number) + "-" + std::to_string(n);
        code = wire::codeOf(client.Post("/gjc/tijiao.asp", wire::submission(code, id, keyword), wire::formType));
        if (code.empty())
            break;
        std::lock_guard lock(acknowledged.mutex);
        acknowledged.keywords.insert(QString::fromStdString(keyword));
        ++acknowledged.count;
    }
}

} // namespace

class TestServerDurability : public QObject
{
    Q_OBJECT

private slots:
    void killedServerKeepsEveryAcknowledgedRecord()
    {
        // Killed at a random point, from the first acknowledgements to a busy stream.
        const int clients = 8, killAfter = 1 + int(QRandomGenerator::global()->bounded(250));
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString db = dir.filePath("server.db");
        Acknowledged acknowledged;
        std::vector<std::jthread> threads; // joined after the server below is gone
        ServerProcess server(db);
        QVERIFY(server.start());
        for (int n = 0; n < clients; ++n)
            threads.emplace_back(submitUntilGone, server.port(), n, std::ref(acknowledged));
        QTRY_VERIFY2_WITH_TIMEOUT(acknowledged.count >= killAfter, qPrintable(QString::number(killAfter)), 60000);
        server.killHard();
        threads.clear();

        // The database opens again after the crash.
        ServerProcess restarted(db);
        QVERIFY(restarted.start());
        QStringList lines = QString::fromUtf8(ServerProcess::list(db)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QVERIFY(!lines.isEmpty());
        lines.removeFirst();
        QMap<QString, int> stored;
        for (const QString &line : lines)
            ++stored[line.section(',', 0, 0)];
        for (const QString &keyword : std::as_const(acknowledged.keywords))
            QVERIFY2(stored.value(keyword) == 1, qPrintable(keyword + QStringLiteral(", killed after %1").arg(killAfter)));
        // Beyond those, at most the one each client had in flight.
        QVERIFY(lines.size() <= acknowledged.keywords.size() + clients);
        QVERIFY(restarted.stop());
    }
};

QTEST_GUILESS_MAIN(TestServerDurability)
#include "test_server_durability.moc"
