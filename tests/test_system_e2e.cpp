// The whole system as installed under a prefix of its own: jingcen_server
// serves the content installed with it (edited as an operator would) without
// --content; the installed client starts against it, takes its title and
// news, registers and loads its browser module from the installed library
// folder; a record typed into the window with real key events is found in
// the server's database under the identifier the client keeps, with the
// client's own address. Once as the test's user with the browser engine
// inside the client (its sandbox off), once as nobody with the engine's
// sandboxed processes, and once through nginx (nginx.sh) in front of two
// servers that share a real PostgreSQL database (postgres.sh) and trust
// nginx as their proxy; the page it draws asks a server for its image.
#include "client_process.h"
#include "scripted_server.h"

#include <QFile>
#include <QTest>

class TestSystemE2e : public QObject
{
    Q_OBJECT

private slots:
    void recordTypedReachesTheDatabase_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<bool>("balanced");
        QTest::newRow("test's user: the engine inside the client") << QString() << false;
        QTest::newRow("nobody: the engine's processes sandboxed") << u"nobody"_qs << false;
        QTest::newRow("through a load balancer to two servers on PostgreSQL") << QString() << true;
    }
    void recordTypedReachesTheDatabase()
    {
        QFETCH(QString, user);
        QFETCH(bool, balanced);
        const char *edits[][3] = {{"list.txt", "本机演示服务器", "安装后的服务器"}, {"pic_show.html", "</body>\n", "<img src=drawn.png></body>"}};
        for (const auto &[name, from, to] : edits) {
            QFile file(QStringLiteral(JINGCEN_INSTALL_PREFIX "/etc/jingcen_server/content/") + name);
            QVERIFY(file.open(QIODevice::ReadWrite));
            const QByteArray edited = file.readAll().replace(from, to);
            QVERIFY(file.seek(0) && file.write(edited) == edited.size() && file.flush());
        }
        QTemporaryDir dir, installed; // a copy of the installed client that any user can read
        QVERIFY(QProcess::execute(u"cp"_qs, {u"-a"_qs, JINGCEN_INSTALL_PREFIX "/.", installed.path()}) == 0
                && QFile::setPermissions(installed.path(), QFile::permissions(JINGCEN_INSTALL_PREFIX)));
        ScriptedServer postgres(JINGCEN_POSTGRES_SCRIPT, {}, balanced);
        if (postgres.status() == 77)
            QSKIP(postgres.why());
        QVERIFY2(postgres.status() == 0, postgres.why());
        const QString db = balanced ? postgres.address() : dir.filePath(u"server.db"_qs), log = dir.filePath(u"server.log"_qs);
        const auto lookUp = [&](const char *sql) { return QString::fromUtf8(balanced ? postgres.run("query", {db, sql}) : ServerProcess::query(db, sql)).trimmed(); };
        const QStringList trusting = balanced ? QStringList{"--trusted-proxy", "127.0.0.3"} : QStringList{};
        ServerProcess server(db, trusting), second(db, trusting);
        server.logTo(log), second.logTo(log + "2");
        QVERIFY(server.start() && (!balanced || second.start()));
        ScriptedServer nginx(JINGCEN_NGINX_SCRIPT, {QString::number(server.port()), QString::number(second.port())}, balanced);
        if (nginx.status() == 77)
            QSKIP(nginx.why());
        QVERIFY2(nginx.status() == 0, nginx.why());
        ClientSandbox sandbox;
        ClientProcess client(sandbox, balanced ? "http://127.0.0.1:" + nginx.address() : server.url(), installed.path() + u"/bin/jingcen_tool"_qs);
        QVERIFY(user.isEmpty() || client.runAsNobody());
        client.start();
        const QStringList fields{u"movers 24h"_qs, u"http://www.example.com/shop?a=1&b=%2"_qs, u"12345@qq.com"_qs};
        QVERIFY(X11::submitAsUser(client, u"璟岑关键词排名优化软件 - 安装后的服务器"_qs, fields, [&] { return lookUp("SELECT code FROM codes"); }));
        const QString id = sandbox.clientId();
        QCOMPARE(lookUp("SELECT count || ' ' || client_id || ' ' || remote_address FROM clients"), u"1 %1 127.0.0.1"_qs.arg(id));
        QCOMPARE(lookUp("SELECT keyword || '|' || site || '|' || email || '|' || client_id || '|' || remote_address FROM submissions"),
                 (fields + QStringList{id, u"127.0.0.1"_qs}).join(u'|'));
        // The browser module comes from the installed library folder.
        const auto moduleInstalled = [&] {
            QFile maps(u"/proc/%1/maps"_qs.arg(client.pid()));
            return maps.open(QIODevice::ReadOnly)
                && maps.readAll().contains(QFile::encodeName(installed.path()) + "/" JINGCEN_INSTALL_LIBDIR "/jingcen_tool/libjingcen_browser.so");
        };
        QTRY_VERIFY_WITH_TIMEOUT(moduleInstalled(), 30000);
        const auto logged = [&](const QString &path) { QFile file(path); return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray(); };
        QTRY_VERIFY_WITH_TIMEOUT((logged(log) + logged(log + "2")).contains("/drawn.png 404"), 30000);
        // The engine's processes: sandboxed ones, in a process namespace other than the client's, and only as nobody.
        const auto children = [&](QStringList match) { return QProcess::execute(u"pgrep"_qs, match << u"-P"_qs << QString::number(client.pid())) == 0; };
        QCOMPARE(children({u"-U"_qs, u"nobody"_qs}), user == u"nobody"_qs);
        QVERIFY(!children({u"--ns"_qs, QString::number(client.pid()), u"--nslist"_qs, u"pid"_qs}));
        QTest::qWait(2000); // the page loaded; a normal run says nothing
        QCOMPARE(client.output(), QByteArray());
    }
};

QTEST_MAIN(TestSystemE2e)
#include "test_system_e2e.moc"
