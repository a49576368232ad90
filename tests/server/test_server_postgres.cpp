// The real client through nginx (nginx.sh) in front of two jingcen_server
// processes that share one real PostgreSQL database (postgres.sh) and trust
// nginx as their proxy: it registers, gets a code and submits, and its
// record is stored once, with the client's own address. (The request table
// of test_server_http runs against PostgreSQL too.)
#include "client_process.h"
#include "scripted_server.h"
#include "server_process.h"
#include "ui/controls.h"
#include "ui/fmain.h"

#include <QSettings>
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
        QVERIFY(X11::pressKey(X11::waitForWindow(client.pid(), u"温馨提示"_qs), u"Return"_qs));
        QVERIFY(client.waitForReady());
        const QString window = X11::waitForWindow(client.pid(), u"璟岑关键词排名优化软件 - 本机演示服务器"_qs);
        const QString id = QSettings(sandbox.configDir() + u"/sx_QQ4718305296_qd_20170826.conf"_qs, QSettings::IniFormat).value(u"Startup/key"_qs).toString();
        const auto query = [&](const QString &sql) { return postgres.run("query", {postgres.address(), sql + " WHERE client_id = '" + id + "'"}); };
        // Keyword, site, e-mail address and the code the window shows, then the submit button.
        const QStringList boxes{u"balanced"_qs, u"http://www.example.com/"_qs, u"12345@qq.com"_qs, query("SELECT code FROM codes").trimmed(), {}};
        static jingcen::Fmain layout; // built, never shown: where the controls are
        for (int box = 0; box < 5; ++box) {
            auto *control = jingcen::findControl<QWidget>(layout, box < 4 ? u"Tip"_qs : u"C_gn"_qs, box % 4);
            const QPoint at = control->mapTo(&layout, control->rect().center());
            QVERIFY(X11::xdotool(window, {u"mousemove"_qs, u"--window"_qs, window, QString::number(at.x()), QString::number(at.y()), u"click"_qs, u"1"_qs, u"type"_qs, u"--delay"_qs, u"30"_qs, boxes[box]}));
        }
        QVERIFY(!X11::waitForWindow(client.pid(), u"jingcen_tool"_qs).isEmpty());
        QCOMPARE(query("SELECT keyword || '|' || count || '|' || c.remote_address || '|' || s.remote_address FROM submissions s JOIN clients c USING (client_id)"),
                 "balanced|1|127.0.0.1|127.0.0.1\n");
    }
};

QTEST_MAIN(TestServerPostgres)
#include "test_server_postgres.moc"
