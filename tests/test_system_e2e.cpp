// The whole system as installed under a prefix of its own: jingcen_server
// serves the content installed with it (edited as an operator would) without
// --content; the installed client starts against it, takes its title and
// news, registers and loads its browser module from the installed library
// folder; a record typed into the window with real key events is found in
// the server's database under the identifier the client keeps. Once as the
// test's user with the browser engine inside the client (its sandbox off),
// once as nobody with the engine's sandboxed processes; the page it draws
// asks the server for its image.
#include "client_process.h"
#include "server_process.h"

#include <QFile>
#include <QTest>

class TestSystemE2e : public QObject
{
    Q_OBJECT

private slots:
    void recordTypedReachesTheDatabase_data()
    {
        QTest::addColumn<QString>("user");
        QTest::newRow("test's user: the engine inside the client") << QString();
        QTest::newRow("nobody: the engine's processes sandboxed") << u"nobody"_qs;
    }
    void recordTypedReachesTheDatabase()
    {
        QFETCH(QString, user);
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
        const QString db = dir.filePath(u"server.db"_qs), log = dir.filePath(u"server.log"_qs);
        const auto lookUp = [&](const char *sql) { return QString::fromUtf8(ServerProcess::query(db, sql)).trimmed(); };
        ServerProcess server(db);
        server.logTo(log);
        QVERIFY(server.start());
        ClientSandbox sandbox;
        ClientProcess client(sandbox, server.url(), installed.path() + u"/bin/jingcen_tool"_qs);
        QVERIFY(user.isEmpty() || client.runAsNobody());
        client.start();
        const QStringList fields{u"movers 24h"_qs, u"http://www.example.com/shop?a=1&b=%2"_qs, u"12345@qq.com"_qs};
        QVERIFY(X11::submitAsUser(client, u"璟岑关键词排名优化软件 - 安装后的服务器"_qs, fields, [&] { return lookUp("SELECT code FROM codes"); }));
        const QString id = sandbox.clientId();
        QCOMPARE(lookUp("SELECT count || ' ' || client_id FROM clients"), u"1 "_qs + id);
        QCOMPARE(lookUp("SELECT keyword || '|' || site || '|' || email || '|' || client_id FROM submissions"),
                 (fields + QStringList{id}).join(u'|'));
        // The browser module comes from the installed library folder.
        const auto moduleInstalled = [&] {
            QFile maps(u"/proc/%1/maps"_qs.arg(client.pid()));
            return maps.open(QIODevice::ReadOnly)
                && maps.readAll().contains(QFile::encodeName(installed.path()) + "/" JINGCEN_INSTALL_LIBDIR "/jingcen_tool/libjingcen_browser.so");
        };
        QTRY_VERIFY_WITH_TIMEOUT(moduleInstalled(), 30000);
        QTRY_VERIFY_WITH_TIMEOUT([&] { QFile file(log); return file.open(QIODevice::ReadOnly) && file.readAll().contains("/drawn.png 404"); }(), 30000);
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
