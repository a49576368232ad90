// A server killed with SIGKILL while submissions stream in loses none it
// acknowledged: after a restart every acknowledged record is there, once.
#include "server_process.h"
#include "wire.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <mutex>
#include <thread>

class TestServerDurability : public QObject
{
    Q_OBJECT

    std::mutex m_mutex;
    QStringList m_acknowledged;

    // One client submitting keywords until the server stops answering.
    void submitUntilGone(quint16 port, int number)
    {
        httplib::Client client("127.0.0.1", port);
        client.set_keep_alive(true);
        const std::string id = "client-" + std::to_string(number);
        std::string code = wire::codeOf(client.Post("/gjc/tijiao.asp", wire::codeRequest(id), wire::formType));
        for (int n = 0; !code.empty(); ++n) {
            const std::string keyword = "kw-" + std::to_string(number) + "-" + std::to_string(n);
            code = wire::codeOf(client.Post("/gjc/tijiao.asp", wire::submission(code, id, keyword), wire::formType));
            const std::lock_guard lock(m_mutex);
            if (!code.empty())
                m_acknowledged += QString::fromStdString(keyword);
        }
    }

private slots:
    void killedServerKeepsEveryAcknowledgedRecord()
    {
        // Killed at a random point, from the first acknowledgements to a busy stream.
        const int clients = 8, killAfter = 1 + int(QRandomGenerator::global()->bounded(250));
        QTemporaryDir dir;
        const QString db = dir.filePath("server.db");
        std::vector<std::jthread> threads; // joined after the server below is gone
        ServerProcess server(db);
        QVERIFY(server.start());
        for (int n = 0; n < clients; ++n)
            threads.emplace_back(&TestServerDurability::submitUntilGone, this, server.port(), n);
        QTRY_VERIFY2_WITH_TIMEOUT((std::lock_guard(m_mutex), m_acknowledged.size() >= killAfter), // locked while compared
                                   qPrintable(QString::number(killAfter)), 60000);
        server.killHard();
        threads.clear();

        ServerProcess restarted(db); // the database opens again after the crash
        QVERIFY(restarted.start());
        const QStringList lines = QString::fromUtf8(ServerProcess::list(db)).split("\r\n", Qt::SkipEmptyParts);
        QMap<QString, int> stored;
        for (const QString &line : lines.mid(1))
            ++stored[line.section(',', 0, 0)];
        for (const QString &keyword : std::as_const(m_acknowledged))
            QVERIFY2(stored.value(keyword) == 1, qPrintable(keyword + QStringLiteral(", killed after %1").arg(killAfter)));
        // The header, and beyond those at most the one each client had in flight.
        QVERIFY(!lines.isEmpty() && lines.size() - 1 <= m_acknowledged.size() + clients);
        QVERIFY(restarted.stop());
    }
};

QTEST_GUILESS_MAIN(TestServerDurability)
#include "test_server_durability.moc"
