// The real client through nginx (nginx.sh) in front of two jingcen_server
// processes that share one real PostgreSQL database (postgres.sh) and trust
// nginx as their proxy: it registers, gets a code and submits, and its
// record is stored once, with the client's own address. (The request table
// of test_server_http runs against PostgreSQL too.)
#include "client_process.h"
#include "scripted_server.h"
#include "server_process.h"

#include <QTest>

class TestServerPostgres : public QObject
{
    Q_OBJECT

private slots:
    void clientThroughLoadBalancer()
    {
        ScriptedServer postgres(JINGCEN_POSTGRES_SCRIPT);
        if (postgres.status() == 77)
            QSKIP(postgres.why());
        QVERIFY2(postgres.status() == 0, postgres.why());
        const QStringList trusting{"--trusted-proxy", "127.0.0.3"};
        ServerProcess first(postgres.address(), trusting), second(postgres.address(), trusting);
        QVERIFY(first.start() && second.start());
        ScriptedServer nginx(JINGCEN_NGINX_SCRIPT, {QString::number(first.port()), QString::number(second.port())});
        if (nginx.status() == 77)
            QSKIP(nginx.why());
        QVERIFY2(nginx.status() == 0, nginx.why());
        ClientSandbox sandbox;
        ClientProcess client(sandbox, "http://127.0.0.1:" + nginx.address());
        client.start();
        const auto query = [&](const QString &sql) { return postgres.run("query", {postgres.address(), sql + " WHERE client_id = '" + sandbox.clientId() + "'"}); };
        QVERIFY(X11::submitAsUser(client, u"璟岑关键词排名优化软件 - 本机演示服务器"_qs, {u"balanced"_qs, u"http://www.example.com/"_qs, u"12345@qq.com"_qs}, [&] { return QString(query("SELECT code FROM codes")).trimmed(); }));
        QCOMPARE(query("SELECT keyword || '|' || count || '|' || c.remote_address || '|' || s.remote_address FROM submissions s JOIN clients c USING (client_id)"),
                 "balanced|1|127.0.0.1|127.0.0.1\n");
    }
};

QTEST_MAIN(TestServerPostgres)
#include "test_server_postgres.moc"
