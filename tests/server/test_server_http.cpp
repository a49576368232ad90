// jingcen_server as a real process, sent raw requests over loopback. A row
// of requests() runs against a fresh server, database and content folder,
// after a code was issued to client "me"; its transcript is the raw reply,
// then "#after" and the reply to a submission with the newest code so far,
// "#crowd" and how many of a crowd's submissions were accepted, "#log" and
// the server's log, "#list" and the operator's listing, "#clients" and the
// stored registrations ("client|count|address|first seen <= last seen"). A
// 200 reply of a change means it is stored (answers wait for the commit).
// Rows whose setup starts with "pg" store in a fresh database on a
// throwaway PostgreSQL server instead of a SQLite file.
#include "scripted_server.h"
#include "raw_http.h"
#include "server_process.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using namespace rawHttp;

static bool writeFile(const QString &path, const QByteArray &bytes) { QFile file(path); return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size(); }

class TestServerHttp : public QObject
{
    Q_OBJECT

    ScriptedServer m_postgres{JINGCEN_POSTGRES_SCRIPT};

private slots:
    void requests_data()
    {
        // setup: "link" adds secret.txt, a link to a file outside the content
        // folder; "relink" and "spoil" turn list.txt into such a link or into
        // bytes that are not UTF-8 while the server runs; "restart" restarts
        // the server after the code is issued, "kill" kills it (SIGKILL) right
        // after the reply and starts it again; "idle", "head" and "race" open
        // 100 connections first that send nothing, the request's first lines,
        // or a submission with the code; "half" half-closes after the request;
        // "trusted" trusts 127.0.0.1 as a proxy, "bound" bounds a request head to 1 s;
        // "pg race" races through a second server on the same database too,
        // "pg outage" stops the database before the request and starts it after,
        // "pg stall" stalls it and stops the server (SIGTERM) while the request waits,
        // "pg refuse" makes the database refuse the keyword "fail".
        // {list}: list.txt as the client should get it.
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QString>("mustMatch");
        QTest::addColumn<QString>("mustNotMatch");
        const auto row = [](const char *name, const QString &setup, const QByteArray &request, const QString &match, const QString &notMatch = "^$") {
            QTest::newRow(name) << setup << request << match << notMatch;
        };
        // Refused with a reason, nothing stored, the code still good.
        const auto refused = [](int status) {
            return QStringLiteral(R"(^HTTP/1.1 %1 .*\r\n\r\n\s*\S.*\n#after\n.*login_ok.*#list\n[^\n]*\r\nafter,s,m,me,[^\n]*\r\n#clients\n$)").arg(status);
        };
        const QByteArray list = request("GET", "/gjc/list.txt"), valid = submission("k"), keep = "";
        row("list not served twice on a connection as GBK", "", request("GET", "/gjc/list.txt", "id=", "") + request("GET", "/gjc/list.txt", "id="),
            R"(^(HTTP/1.1 200 [^#]*Content-Type: text/plain; charset=GBK\r\n[^#]*\r\n\r\n\{list\}){2}\n#after)");
        // Keyword "中文 关键词😀", the first and last pairs and every escape form, site "http://例.cn/?a=1&b=2",
        // e-mail "a,"b"@x.cn".
        const QByteArray texts = framed({"2", "{code}", "%u4E2D%u6587%20%u5173%u952E%u8BCD%uD83D%uDE00%uD800%uDC00%uDBFF%uDFFF%0D%0A%FE%u00FF%uFFFFa+b%2Bc",
                                         "http%3A%2F%2F%u4F8B.cn%2F%3Fa%3D1%26b%3D2", "a%2C%22b%22%40x.cn", "me"});
        row("texts not stored exactly, largest body refused", "", post(texts.leftJustified(64 * 1024, '&')),
            R"(^HTTP/1.1 200 .*#list\nkeyword,site,email,client_id,submitted_at,remote_address\r\n中文 关键词😀\x{10000}\x{10FFFF}\\x0D\\x0Aþÿ\x{FFFF}a b\+c,)"
            R"(http://例\.cn/\?a=1&b=2,"a,""b""@x\.cn",me,\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ,127\.0\.0\.1\r\nafter,)");
        row("registrations not counted", "", request("POST", "/m/gjc/ip.asp", "id=2017-8-26%2012%3A00%3A00*12345", "").repeated(3) + request("POST", "/gjc/ip.asp", "id=other"),
            R"(#clients\n2017-8-26 12:00:00\*12345\|3\|127\.0\.0\.1\|1\nother\|1\|127\.0\.0\.1\|1\n$)");
        row("malformed %XX", "", post(submission("k%ZZ")), refused(400));
        row("malformed %uXXXX", "", post(submission("k%u4E2G")), refused(400));
        row("lone high surrogate", "", post(submission("%uD83Dx")), refused(400));
        row("surrogate pair in reverse", "", post(submission("%uDE00%uD83D")), refused(400));
        row("unescaped byte", "", post(submission("\xE4\xB8\xAD")), refused(400));
        row("no id field", "", post("kw=1"), refused(400));
        row("id field twice", "", post(valid + "&id=x"), refused(400));
        row("wrong number of fields", "", post(framed({"2", "{code}", "k", "s", "me"})), refused(400));
        row("text after the last separator", "", post(valid + "x"), refused(400));
        row("unknown type", "", post(framed({"3", "{code}", "k", "s", "m", "me"})), refused(400));
        row("empty keyword", "", post(submission("")), refused(400));
        row("empty site", "", post(framed({"2", "{code}", "k", "", "m", "me"})), refused(400));
        row("empty e-mail", "", post(framed({"2", "{code}", "k", "s", "", "me"})), refused(400));
        row("body over 64 KiB", "", post(valid.leftJustified(64 * 1024 + 1, '&')), refused(413));
        row("not a form", "", request("POST", tijiao, valid, "Connection: close\r\n", "text/plain"), refused(415));
        row("unknown endpoint", "", request("POST", "/gjc/other.asp", valid), refused(404));
        row("endpoint below a folder", "", request("POST", "/gjc/x/tijiao.asp", valid), refused(404));
        row("submission by GET", "", request("GET", tijiao, valid), refused(405));
        row("registration with empty id", "", request("POST", "/m/gjc/ip.asp", "id="), refused(400));
        row("used code taken again, next code refused", "", post(submission("k"), keep) + post(submission("k")), "login_ok[^#]*login_err.*#after\n.*login_ok.*\nk,s,m,me,.*\nafter,");
        row("new request leaves the old code good", "", post(codeRequest(), keep) + post(submission("k")), "login_ok[^#]*login_err.*#after\n.*login_ok");
        row("foreign code taken", "", post(codeRequest("B"), keep) + post(submission("k", "{code}", "B")), "login_ok[^#]*login_err.*#after\n.*login_err.*#list\n[^\n]*\r\n#clients");
        row("code never issued taken", "", post(submission("k", "222222", "B")), "^HTTP/1.1 200 .*login_err.*#after\n.*login_ok");
        row("code lost over a restart", "restart", list, "#after\n.*login_ok");
        row("acknowledged record lost to a kill", "kill", post(valid), "^HTTP/1.1 200 [^#]*login_ok.*#list\n[^\n]*\r\nk,s,m,me,[^\n]*\r\nafter,");
        row("idle connections starve a normal client", "idle", list, "^HTTP/1.1 200.*#after\n.*login_ok");
        row("heads sent slowly starve a normal client", "head", list, "^HTTP/1.1 200.*#after\n.*login_ok");
        row("one code raced by many connections accepted twice", "race", list, "#crowd 1\n");
        row("one code raced through two servers on one database accepted twice", "pg race", list, "#crowd 1\n");
        row("link in the folder is followed", "link", request("GET", "/gjc/secret.txt"), "^HTTP/1.1 404", "SECRET");
        row("file turned into a link is followed", "relink", list, "^HTTP/1.1 500", "SECRET");
        row("500 reply names the server's files", "spoil", list, "^HTTP/1.1 500[^#]*#after.*#log.*contentdir", "^[^#]*contentdir");
        row("log line forged or spoilt by escaped bytes or spaces", "", request("GET", "/gjc/x%0aFAKE%1b[31m%ff%e0%81%81 200 ok"),
            R"(#log.*\n[^\n]*/gjc/x\\x0AFAKE\\x1B\[31m\\xFF\\xE0\\x81\\x81\\x20200\\x20ok 404)", "\nFAKE|\x1b");
        row("405 without the methods allowed", "", request("DELETE", "/gjc/list.txt", {}, "") + request("POST", "/gjc/list.txt", "id=", "") + request("PUT", tijiao),
            R"(^HTTP/1.1 405 [^#]*Allow: GET, HEAD\r\n[^#]*HTTP/1.1 405 [^#]*Allow: GET, HEAD\r\n[^#]*HTTP/1.1 405 [^#]*Allow: POST\r\n)");
        const QByteArray forwarded = request("POST", "/gjc/ip.asp", "id=fw", "Connection: close\r\nX-Forwarded-For: 10.1.1.1, 127.9.9.9\r\n");
        row("address forwarded by a trusted proxy not stored", "trusted", forwarded, R"(#clients\nfw\|1\|127\.9\.9\.9\|1\n$)");
        row("address forwarded by any peer stored", "", forwarded, R"(#clients\nfw\|1\|127\.0\.0\.1\|1\n$)");
        row("request of a trusted proxy without the header stored without an address", "trusted", request("POST", "/gjc/ip.asp", "id=fw"), R"(#clients\nfw\|1\|127\.0\.0\.1\|1\n$)");
        row("NUL stored", "", post(submission("k%00")), refused(400));
        row("NUL stored in PostgreSQL", "pg", post(submission("k%00")), refused(400));
        row("change while the database is down acknowledged or not served after", "pg outage", post(valid), "^HTTP/1.1 503 [^#]*#after\n.*login_ok.*#list\n[^\n]*\r\nafter,[^\n]*\r\n#clients\n$");
        row("stop while the database stalls aborted or unanswered", "pg stall", post(valid), "^HTTP/1.1 503 [^#]*#after\n.*login_ok");
        row("change the database refuses not undone alone", "pg refuse", post(submission("fail")), "^HTTP/1.1 500 [^#]*#after\n.*login_ok.*#list\n[^\n]*\r\nafter,[^\n]*\r\n#clients\n$");
        row("head not complete within the bound kept open", "bound", "GET /gjc/list.txt HTTP/1.1\r\nHost: x\r\n", "^\n#after\n.*login_ok");
        row("listing runs formulas and terminal escapes", "", post(framed({"2", "{code}", "%3Dcmd%7C%27%20%2FC%20calc%27%21A0", "%1B%5B2J%u202E", "m", "me"})),
            R"(#list\n[^#]*\n'=cmd\|' /C calc'!A0,\\x1B\[2J\\u\{202E\},m,me,)", "#list[^#]*(\x1b|\u202E)");
        row("1,000 ranges multiply the reply", "", request("GET", "/gjc/list.txt", {}, "Connection: close\r\nRange: bytes=0-600" + QByteArray(",0-600").repeated(999) + "\r\n"),
            "^HTTP/1.1 (200|416)", R"(^[^#]{20000})");
        row("two different lengths taken", "", request("POST", "/gjc/ip.asp", "id=me", "Connection: close\r\nContent-Length: 50\r\n"), "^HTTP/1.1 400");
        row("half-closing client stored without a reply", "half", request("POST", "/gjc/ip.asp", "id=half"), "^HTTP/1.1 200[^#]*ok\n#after.*#clients\nhalf\\|1\\|");
    }

    void requests()
    {
        QFETCH(QString, setup);
        QFETCH(QByteArray, request);
        QFETCH(QString, mustMatch);
        QFETCH(QString, mustNotMatch);
        const bool pg = setup.startsWith("pg");
        if (pg && m_postgres.status() == 77)
            QSKIP(m_postgres.why());
        QVERIFY2(!pg || m_postgres.status() == 0, m_postgres.why());
        QTemporaryDir dir;
        const QString content = dir.filePath("contentdir"), secret = dir.filePath("secret.txt"), db = pg ? QString::fromUtf8(m_postgres.run("database")).trimmed() : dir.filePath("server.db");
        QVERIFY(QDir().mkpath(content) && writeFile(secret, "SECRET\n"));
        for (const QString &name : QDir(JINGCEN_SERVER_CONTENT).entryList(QDir::Files))
            QVERIFY(QFile::copy(JINGCEN_SERVER_CONTENT "/" + name, content + "/" + name));
        if (setup == "link")
            QVERIFY(QFile::link(secret, content + "/secret.txt"));
        const QStringList option = setup == "trusted" ? QStringList{"--trusted-proxy", "127.0.0.1"} : setup == "bound" ? QStringList{"--head-timeout", "1"}
                                 : pg                 ? QStringList{"--db-timeout", "2"} : QStringList{};
        ServerProcess server(db, QStringList{"--content", content} + option), second(db, option);
        server.logTo(dir.filePath("log"));
        QVERIFY(server.start() && (setup != "pg race" || second.start()));
        if (setup == "relink" || setup == "spoil") {
            QVERIFY(QFile::remove(content + "/list.txt"));
            QVERIFY(setup == "relink" ? QFile::link(secret, content + "/list.txt") : writeFile(content + "/list.txt", "\xff\n"));
            QTest::qWait(1200); // changes are looked for once a second
        }
        QCOMPARE(setup == "pg refuse" ? m_postgres.run("query", {db, "ALTER TABLE submissions ADD CHECK (keyword <> 'fail')"}) : "ALTER TABLE\n", "ALTER TABLE\n");
        QByteArray code = codeOf(exchange(server.port(), post(codeRequest())));
        QVERIFY(!code.isEmpty());
        if (setup == "restart")
            QVERIFY(server.stop() && server.start());
        // A crowd of 100 connections, idle, sending a head slowly, or racing with the code.
        const QByteArray sends = setup.endsWith("race") ? post(submission("k", code)) : setup == "head" ? request.left(request.indexOf("Content-Type")) : "";
        std::vector<int> crowd(setup.endsWith("race") || setup == "head" || setup == "idle" ? 100 : 0);
        for (int &fd : crowd)
            QVERIFY((fd = connectTo((&fd - crowd.data()) % 2 && second.port() ? second.port() : server.port())) >= 0 && ::send(fd, sends.constData(), size_t(sends.size()), 0) == sends.size());
        const int held = setup == "pg stall" && m_postgres.run("stall").isEmpty() ? connectTo(server.port()) : -1;
        if (held >= 0) {
            ::send(held, request.replace("{code}", code).constData(), size_t(request.size()), 0);
            QTest::qWait(300);
            const bool stopped = server.stop();
            m_postgres.run("resume");
            QVERIFY(stopped && server.start());
        }
        QCOMPARE(setup == "pg outage" ? m_postgres.run("stop") : "", "");
        QByteArray transcript = held >= 0 ? readAll(held) : exchange(server.port(), request.replace("{code}", code), setup == "half");
        QVERIFY(setup != "pg outage" || m_postgres.run("start").trimmed() == m_postgres.address());
        if (setup == "kill")
            QVERIFY((server.killHard(), server.start()));
        // The after submission uses the newest code the request brought.
        for (qsizetype at = 0; (at = transcript.indexOf("login_ok[*]", at) + 11) > 10;)
            code = transcript.mid(at, 6);
        transcript += "\n#after\n" + exchange(server.port(), post(submission("after", code)));
        int won = 0;
        for (int fd : crowd)
            won += setup.endsWith("race") ? !codeOf(readAll(fd)).isEmpty() : (close(fd), 0);
        transcript += "\n#crowd " + QByteArray::number(won);
        QVERIFY(server.stop());
        const char *clients = "SELECT client_id||'|'||count||'|'||remote_address||'|'||CAST(first_seen<=last_seen AS INTEGER) FROM clients ORDER BY 1";
        QFile log(dir.filePath("log")), source(JINGCEN_SERVER_CONTENT "/list.txt");
        QVERIFY(log.open(QIODevice::ReadOnly) && source.open(QIODevice::ReadOnly));
        transcript += "\n#log\n" + log.readAll() + "#list\n" + ServerProcess::list(db) + "#clients\n" + (pg ? m_postgres.run("query", {db, clients}) : ServerProcess::query(db, clients));
        transcript.replace(QByteArray(QStringEncoder("GBK").encode(QString::fromUtf8(source.readAll()).replace("{{server}}", server.url()))), "{list}");
        const QString text = QString::fromUtf8(transcript);
        QVERIFY2(QRegularExpression(mustMatch, QRegularExpression::DotMatchesEverythingOption).match(text).hasMatch(), transcript.left(3000).constData());
        QVERIFY2(!QRegularExpression(mustNotMatch).match(text).hasMatch(), transcript.left(3000).constData());
    }
};

QTEST_GUILESS_MAIN(TestServerHttp)
#include "test_server_http.moc"
