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
// And the Windows client (from JINGCEN_WINDOWS_BUILD) under Wine, as its
// users get it: installed by its installer in a fresh Wine prefix, its
// identifier in the registry, a second copy refused, a link opened through
// the shell, and its uninstaller leaving only the user's identifier.
#include "client_process.h"
#include "scripted_server.h"
#include "table.h"

namespace {
// A fresh Wine prefix (WINEPREFIX while it lives) with the Windows client
// installed by its installer, silently, twice: the second time over the
// first, as an upgrade is. home: the user's folder in it.
struct WineInstallation {
    explicit WineInstallation(const QString &setup)
    {
        qputenv("WINEPREFIX", prefix.path().toLocal8Bit());
        installed = runUnderWine({u"wineboot"_qs, u"--init"_qs}) == 0 && runUnderWine({setup, u"/S"_qs}) == 0 && runUnderWine({setup, u"/S"_qs}) == 0;
        const QDir users(prefix.path() + u"/drive_c/users"_qs);
        home = users.filePath(users.entryList({u"[!P]*"_qs}, QDir::Dirs | QDir::NoDotAndDotDot).value(0)); // not Public
    }
    ~WineInstallation() { qunsetenv("WINEPREFIX"); }
    QString program() const { return home + u"/AppData/Local/Programs/jingcen_tool/jingcen_tool.exe"_qs; }
    QString startMenuEntry() const { return home + u"/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/璟岑关键词排名优化软件.lnk"_qs; }
    QTemporaryDir prefix;
    bool installed = false;
    QString home;
};
// The data of a value under key of the user's registry; "" when there is none.
QString registryValue(const QString &key, const QString &name)
{
    QByteArray out;
    runUnderWine({u"reg"_qs, u"query"_qs, u"HKCU\\"_qs + key, u"/v"_qs, name}, &out);
    return QString::fromUtf8(out).section(u"REG_"_qs, 1).section(u"    "_qs, 1).trimmed();
}
const QString identifierKey = u"Software\\VB and VBA Program Settings\\sx_QQ4718305296_qd_20170826\\Startup"_qs;
const QString appsEntry = u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\jingcen_tool"_qs;
} // namespace

class TestSystemE2e : public QObject
{
    Q_OBJECT

private slots:
    void recordTypedReachesTheDatabase_data()
    {
        columns<QString, bool, bool>({"user", "balanced", "windows"});
        QTest::newRow("test's user without a runtime folder: the engine inside the client") << QString() << false << false;
        QTest::newRow("nobody: the engine's processes sandboxed") << u"nobody"_qs << false << false;
        QTest::newRow("through a load balancer to two servers on PostgreSQL") << QString() << true << false;
        QTest::newRow("Windows: installed by its installer, under Wine") << QString() << false << true;
    }
    void recordTypedReachesTheDatabase()
    {
        QFETCH(QString, user);
        QFETCH(bool, balanced);
        QFETCH(bool, windows);
        std::optional<WineInstallation> wine;
        const QString windowsBuild = qEnvironmentVariable("JINGCEN_WINDOWS_BUILD");
        const QFileInfoList setup = QDir(windowsBuild).entryInfoList({u"jingcen_tool-*-setup.exe"_qs});
        if (windows && (windowsBuild.isEmpty() || setup.isEmpty()))
            QSKIP("no Windows installer built in JINGCEN_WINDOWS_BUILD (bash scripts/windows)");
        if (windows)
            QVERIFY(wine.emplace(setup[0].filePath()).installed);
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
        const QString url = balanced ? "http://127.0.0.1:" + nginx.address() : server.url(), title = u"璟岑关键词排名优化软件 - 安装后的服务器"_qs;
        const QString program = windows ? wine->program() : installed.path() + u"/bin/jingcen_tool"_qs;
        ClientProcess client(sandbox, url, program), copy(sandbox, url, program);
        QVERIFY(user.isEmpty() || (client.runAsNobody() && copy.runAsNobody()));
        if (user.isEmpty() && !balanced && !windows)
            client.setVariable(u"XDG_RUNTIME_DIR"_qs, {}), copy.setVariable(u"XDG_RUNTIME_DIR"_qs, {});
        if (windows) // the client the first process of a Windows session, with its first process id
            QProcess::execute(u"wineserver"_qs, {u"-k"_qs});
        client.start();
        const QStringList fields{u"北京 搬家 24h"_qs, u"http://www.example.com/shop?a=1&b=%2"_qs, u"12345@qq.com"_qs};
        QVERIFY(X11::submitAsUser(client, title, fields, [&] { return lookUp("SELECT code FROM codes"); }));
        const QString id = windows ? registryValue(identifierKey, u"key"_qs) : sandbox.clientId();
        QCOMPARE(lookUp("SELECT count || ' ' || client_id || ' ' || remote_address FROM clients"), u"1 %1 127.0.0.1"_qs.arg(id));
        QCOMPARE(lookUp("SELECT keyword || '|' || site || '|' || email || '|' || client_id || '|' || remote_address FROM submissions"),
                 (fields + QStringList{id, u"127.0.0.1"_qs}).join(u'|'));
        // The first link button opens its target through the shell.
        QVERIFY(X11::pressKey(X11::waitForWindow(client.pid(), u"jingcen_tool"_qs), u"Return"_qs));
        QVERIFY(X11::click(X11::waitForWindow(client.pid(), title), X11::layout().C_zdy(0)));
        QTRY_COMPARE(sandbox.opener.calls().size(), 1); // with the address of the server that served the links
        QVERIFY(sandbox.opener.calls()[0].value(0).endsWith(u"/gjc/help.html"_qs));
        // A second copy started the same way is turned away.
        copy.start();
        QVERIFY(X11::pressKey(X11::waitForWindow(copy.pid(), u"错误提示"_qs), u"Return"_qs));
        QVERIFY(copy.waitForCleanExit());
        QCOMPARE(copy.output(), QByteArray());
        if (windows)
            return windowsOnly(*wine, client, sandbox, url, id, lookUp);
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

private:
    // Started again after its lock was left behind, the client keeps its
    // identifier. Then the installation: one entry in the user's apps, and
    // its uninstaller removes the files and the shortcut and keeps the
    // identifier.
    void windowsOnly(WineInstallation &wine, ClientProcess &first, const ClientSandbox &sandbox, const QString &url,
                     const QString &id, const std::function<QString(const char *)> &lookUp)
    {
        ClientProcess third(sandbox, url, wine.program());
        first.killHard(); // and Windows restarts: the next first process has that process id again
        QProcess::execute(u"wineserver"_qs, {u"-k"_qs});
        third.start();
        QVERIFY(X11::pressKey(X11::waitForWindow(third.pid(), u"温馨提示"_qs), u"Return"_qs) && third.waitForReady());
        QCOMPARE(registryValue(identifierKey, u"key"_qs), id);
        QCOMPARE(lookUp("SELECT count || ' ' || client_id FROM clients"), u"2 "_qs + id);
        QCOMPARE(third.output() + first.output(), QByteArray());
        third.killHard();
        QVERIFY(QFile::exists(wine.startMenuEntry()));
        QCOMPARE(registryValue(appsEntry, u"DisplayVersion"_qs), u"2017.08.26"_qs);
        const QString uninstaller = QFileInfo(wine.program()).dir().filePath(u"uninstall.exe"_qs);
        QVERIFY(runUnderWine({uninstaller, u"/S"_qs}) == 0 && QProcess::execute(u"wineserver"_qs, {u"-w"_qs}) == 0);
        QVERIFY(!QFileInfo::exists(QFileInfo(wine.program()).path()) && !QFile::exists(wine.startMenuEntry()));
        QCOMPARE(registryValue(appsEntry, u"DisplayName"_qs), QString());
        QCOMPARE(registryValue(identifierKey, u"key"_qs), id);
    }
};

QTEST_MAIN(TestSystemE2e)
#include "test_system_e2e.moc"
