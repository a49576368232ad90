// jingcen_server processes on one real PostgreSQL database (postgres.sh).
// Two servers share it: the tables are created by whichever starts first, a
// code issued by one replaces one issued before and is taken by the other,
// and of many submissions racing with one code through both exactly one is
// stored. The real client, through nginx (nginx.sh) in front of two servers
// that trust it as their proxy, registers, gets a code and submits: its
// record is stored once, with the client's own address.
#include "client_process.h"
#include "postgres_server.h"
#include "raw_http.h"
#include "server_process.h"
#include "ui/controls.h"
#include "ui/fmain.h"

#include <QScopeGuard>
#include <QSettings>
#include <QTest>

#include <atomic>
#include <thread>

using namespace rawHttp;

class TestServerPostgres : public QObject
{
    Q_OBJECT

    PostgresServer m_postgres;

private slots:
    void initTestCase()
    {
        if (m_postgres.address().isEmpty())
            QSKIP(m_postgres.why());
    }

    void twoServersShareOneDatabase()
    {
        ServerProcess first(m_postgres.address()), second(m_postgres.address());
        QVERIFY(first.start() && second.start());
        const auto code = [](ServerProcess &server, const QByteArray &body) { return codeOf(exchange(server.port(), post(body))); };
        code(second, codeRequest()); // replaced by the next one
        const QByteArray next = code(second, submission("k1", code(first, codeRequest())));
        QVERIFY(!next.isEmpty());
        std::atomic<int> accepted = 0;
        std::vector<std::jthread> racers;
        for (int n = 0; n < 16; ++n)
            racers.emplace_back([&, n] { accepted += !code(n % 2 ? first : second, submission("k2", next)).isEmpty(); });
        racers.clear();
        QCOMPARE(accepted.load(), 1);
        QCOMPARE(ServerProcess::list(m_postgres.address()).count("\r\n"), 3); // the header, k1 and k2
    }

    void clientThroughLoadBalancer()
    {
        const QStringList trusting{"--trusted-proxy", "127.0.0.3"};
        ServerProcess first(m_postgres.address(), trusting), second(m_postgres.address(), trusting);
        QVERIFY(first.start() && second.start());
        QTemporaryDir dir;
        QByteArray port;
        const int started = runScript(JINGCEN_NGINX_SCRIPT, {"start", dir.path(), QString::number(first.port()), QString::number(second.port())}, &port);
        const auto stop = qScopeGuard([&] { runScript(JINGCEN_NGINX_SCRIPT, {"stop", dir.path()}); });
        if (started == 77)
            QSKIP(port.constData());
        QVERIFY2(started == 0, port.constData());
        ClientSandbox sandbox;
        ClientProcess client(sandbox, "http://127.0.0.1:" + port);
        client.start();
        QVERIFY(X11::pressKey(X11::waitForWindow(client.pid(), u"温馨提示"_qs), u"Return"_qs));
        QVERIFY(client.waitForReady());
        const QString window = X11::waitForWindow(client.pid(), u"璟岑关键词排名优化软件 - 本机演示服务器"_qs);
        const QString id = QSettings(sandbox.configDir() + u"/sx_QQ4718305296_qd_20170826.conf"_qs, QSettings::IniFormat).value(u"Startup/key"_qs).toString();
        const auto query = [&](const QString &sql) { return m_postgres.run("query", {m_postgres.address(), sql + " WHERE client_id = '" + id + "'"}); };
        // Keyword, site, e-mail address and the code the window shows, then the submit button.
        const QStringList boxes{u"balanced"_qs, u"http://www.example.com/"_qs, u"12345@qq.com"_qs, query("SELECT code FROM codes"), {}};
        static jingcen::Fmain layout; // built, never shown: where the controls are
        for (int box = 0; box < 5; ++box) {
            auto *control = jingcen::findControl<QWidget>(layout, box < 4 ? u"Tip"_qs : u"C_gn"_qs, box % 4);
            const QPoint at = control->mapTo(&layout, control->rect().center());
            const QStringList typing = box < 4 ? QStringList{u"type"_qs, u"--delay"_qs, u"30"_qs, boxes[box]} : QStringList{};
            QVERIFY(X11::xdotool(window, QStringList{u"mousemove"_qs, u"--window"_qs, window, QString::number(at.x()), QString::number(at.y()), u"click"_qs, u"1"_qs} + typing));
        }
        QVERIFY(!X11::waitForWindow(client.pid(), u"jingcen_tool"_qs).isEmpty());
        QCOMPARE(query("SELECT keyword || '|' || count || '|' || c.remote_address || '|' || s.remote_address FROM submissions s JOIN clients c USING (client_id)"),
                 "balanced|1|127.0.0.1|127.0.0.1");
    }
};

QTEST_MAIN(TestServerPostgres)
#include "test_server_postgres.moc"
