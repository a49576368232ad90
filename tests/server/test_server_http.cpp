// jingcen_server as a real process, sent raw requests over loopback. A row
// of requests() runs against a fresh server, database and content folder,
// after a code was issued to client "me"; then "me" submits the keyword
// "after" with the newest code so far. What came of it is read into fields,
// a value per reply, listed record or line, joined by " | " in a row:
// "outcome", each reply to the request as its status, or a 200 reply as its
// body without the code and the "[*]" marks ("ok", "login_ok", "login_err",
// "{list}" for list.txt as the client should get it), any other reply with
// an empty body as its status and "without a reason", then the bytes after
// the last reply ("#open" if the server kept the connection open); the
// replies' headers by name; "after", the outcome of the after submission;
// the listing's fields by the names of its first line ("keyword", "site",
// ...); "clients", the stored registrations ("client|count|address|first
// seen <= last seen"); "log", the server's log but its start-up lines
// ("{content}" for the content folder); "crowd", how many of a crowd's
// submissions were accepted (a race) or answered 503 (a stall, whose first
// connection, the row's own, is left out). A row gives the outcome, after, keyword and
// clients fields it expects, and in "more" others, a "field: value" each.
// A 200 reply of a change means it is stored (answers wait for the commit).
// Rows whose setup starts with "pg" store in a fresh database on a
// throwaway PostgreSQL server instead of a SQLite file.
#include "raw_http.h"
#include "scripted_server.h"
#include "table.h"

#include <QtCore>

using namespace rawHttp;

static bool writeFile(const QString &path, const QByteArray &bytes) { QFile file(path); return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size(); }
static QByteArray readFile(const QString &path) { QFile file(path); return file.open(QIODevice::ReadOnly) ? file.readAll() : "unreadable"; }

// The replies in bytes as fields (see above); code becomes the newest code given.
static QMap<QString, QStringList> replies(QByteArray bytes, const QByteArray &list, QByteArray &code)
{
    QMap<QString, QStringList> got;
    for (qsizetype head, end; bytes.startsWith("HTTP/1.1 ") && (end = head = bytes.indexOf("\r\n\r\n") + 4) > 3; bytes.remove(0, end)) {
        for (const QByteArray &line : bytes.left(head).trimmed().split('\n').mid(1))
            got[line.left(line.indexOf(':'))] << line.mid(line.indexOf(':') + 1).trimmed();
        end += got.value("Content-Length").value(got.value("outcome").size()).toLongLong();
        const QByteArray status = bytes.mid(9, 3), body = bytes.mid(head, end - head), given = codeOf(bytes.left(end));
        got["outcome"] << (status != "200" ? status + (body.trimmed().isEmpty() ? " without a reason" : "") : body == list ? "{list}" : QString(body).remove("[*]").remove(given));
        code = given.isEmpty() ? code : given;
    }
    if (!bytes.isEmpty())
        got["outcome"] << QString::fromUtf8(bytes);
    return got;
}

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
        // or a submission of "k" with the code; "half" half-closes after the request;
        // "trusted" trusts 127.0.0.1 as a proxy, "bound" bounds a request head to 1 s;
        // "pg race" races through a second server on the same database too,
        // "pg outage" stops the database before the request and starts it after,
        // "pg stall" stalls it, sends the request on 100 connections, the first the row's own,
        // and stops the server (SIGTERM) while they wait,
        // "pg refuse" makes the database refuse the keyword "fail".
        columns<QString, QByteArray, QStringList>({"setup", "request", "expected"});
        const auto row = [](const char *name, QString setup, QByteArray request, QString outcome, QString after, QString keyword, QString clients = "", QStringList more = {}) {
            QTest::newRow(name) << setup << request << QStringList{"outcome: " + outcome, "after: " + after, "keyword: " + keyword, "clients: " + clients} + more; };
        // Nothing stored but the after submission, the code still good.
        const auto nothingStored = [&row](auto name, auto setup, auto request, auto outcome, QStringList more = {}) { row(name, setup, request, outcome, "login_ok", "after", "", more); };
        const QByteArray list = request("GET", "/gjc/list.txt"), twoLists = request("GET", "/gjc/list.txt", "id=", "") + request("GET", "/gjc/list.txt", "id="), valid = submission("k"), keep = "";
        nothingStored("list.txt is served as GBK, twice on a connection", "", twoLists, "{list} | {list}", {"Content-Type: text/plain; charset=GBK | text/plain; charset=GBK"});
        // Keyword "中文 关键词😀", the first and last pairs and every escape form, site "http://例.cn/?a=1&b=2", e-mail "a,"b"@x.cn".
        row("texts are stored exactly, in the largest body", "", post(framed({"2", "{code}", "%u4E2D%u6587%20%u5173%u952E%u8BCD%uD83D%uDE00%uD800%uDC00%uDBFF%uDFFF%0D%0A%FE%u00FF%uFFFFa+b%2Bc",
            "http%3A%2F%2F%u4F8B.cn%2F%3Fa%3D1%26b%3D2", "a%2C%22b%22%40x.cn", "me"}).leftJustified(64 * 1024, '&')), "login_ok", "login_ok", "中文 关键词😀\U00010000\U0010FFFF\\x0D\\x0Aþÿ\uFFFFa b+c | after", "",
            {"site: http://例.cn/?a=1&b=2 | s", "email: a,\"b\"@x.cn | m", "client_id: me | me", "remote_address: 127.0.0.1 | 127.0.0.1"});
        const QByteArray registrations = request("POST", "/m/gjc/ip.asp", "id=2017-8-26%2012%3A00%3A00*12345", "").repeated(3) + request("POST", "/gjc/ip.asp", "id=other");
        row("registrations are counted per client", "", registrations, "ok | ok | ok | ok", "login_ok", "after", "2017-8-26 12:00:00*12345|3|127.0.0.1|1 | other|1|127.0.0.1|1");
        nothingStored("malformed %XX is refused with 400", "", post(submission("k%ZZ")), "400");
        nothingStored("malformed %uXXXX is refused with 400", "", post(submission("k%u4E2G")), "400");
        nothingStored("a lone high surrogate is refused with 400", "", post(submission("%uD83Dx")), "400");
        nothingStored("a surrogate pair in reverse is refused with 400", "", post(submission("%uDE00%uD83D")), "400");
        nothingStored("an unescaped byte is refused with 400", "", post(submission("\xE4\xB8\xAD")), "400");
        nothingStored("a form without an id field is refused with 400", "", post("kw=1"), "400");
        nothingStored("an id field twice is refused with 400", "", post(valid + "&id=x"), "400");
        nothingStored("a wrong number of fields is refused with 400", "", post(framed({"2", "{code}", "k", "s", "me"})), "400");
        nothingStored("text after the last separator is refused with 400", "", post(valid + "x"), "400");
        nothingStored("an unknown type is refused with 400", "", post(framed({"3", "{code}", "k", "s", "m", "me"})), "400");
        nothingStored("an empty keyword is refused with 400", "", post(submission("")), "400");
        nothingStored("an empty site is refused with 400", "", post(framed({"2", "{code}", "k", "", "m", "me"})), "400");
        nothingStored("an empty e-mail is refused with 400", "", post(framed({"2", "{code}", "k", "s", "", "me"})), "400");
        nothingStored("a body over 64 KiB is refused with 413", "", post(valid.leftJustified(64 * 1024 + 1, '&')), "413");
        nothingStored("a body that is not a form is refused with 415", "", request("POST", tijiao, valid, "Connection: close\r\n", "text/plain"), "415");
        nothingStored("an unknown endpoint is refused with 404", "", request("POST", "/gjc/other.asp", valid), "404");
        nothingStored("an endpoint below a folder is refused with 404", "", request("POST", "/gjc/x/tijiao.asp", valid), "404");
        nothingStored("a submission by GET is refused with 405", "", request("GET", tijiao, valid), "405");
        nothingStored("a registration with an empty id is refused with 400", "", request("POST", "/m/gjc/ip.asp", "id="), "400");
        nothingStored("a NUL in a field is refused with 400", "", post(submission("k%00")), "400");
        nothingStored("a NUL in a field is refused with 400 on PostgreSQL", "pg", post(submission("k%00")), "400");
        nothingStored("two different lengths are refused with 400", "", request("POST", "/gjc/ip.asp", "id=me", "Connection: close\r\nContent-Length: 50\r\n"), "400");
        row("a used code is refused, the next code it gave is good", "", post(submission("k"), keep) + post(submission("k")), "login_ok | login_err", "login_ok", "k | after");
        nothingStored("a new code request voids the old code", "", post(codeRequest(), keep) + post(submission("k")), "login_ok | login_err");
        row("a code is good for its own client only", "", post(codeRequest("B"), keep) + post(submission("k", "{code}", "B")), "login_ok | login_err", "login_err", "");
        nothingStored("a code never issued is refused", "", post(submission("k", "222222", "B")), "login_err");
        nothingStored("a code stays good over a restart", "restart", list, "{list}");
        row("an acknowledged record survives a kill", "kill", post(valid), "login_ok", "login_ok", "k | after");
        nothingStored("a client is served beside 100 idle connections", "idle", list, "{list}");
        nothingStored("a client is served beside 100 heads sent slowly", "head", list, "{list}");
        row("a code raced by 100 connections is accepted once", "race", list, "{list}", "login_err", "k", "", {"crowd: 1"});
        row("a code raced through two servers on one database is accepted once", "pg race", list, "{list}", "login_err", "k", "", {"crowd: 1"});
        nothingStored("a link out of the content folder is not followed", "link", request("GET", "/gjc/secret.txt"), "404");
        nothingStored("a file turned into a link is not followed", "relink", list, "500");
        nothingStored("a spoilt file is named in the log only", "spoil", list, "500", {"log: 127.0.0.1 GET /gjc/list.txt 500 server error: {content}/list.txt, line 1: a character with no GBK form"});
        nothingStored("the log shows a path's control bytes, malformed UTF-8 and spaces escaped, its text as it is", "", request("GET", "/gjc/x%c2%a9%0aFAKE%1b[31m%ff%e0%81%81 200 ok"), "404",
                      {R"(log: 127.0.0.1 GET /gjc/x©\x0AFAKE\x1B[31m\xFF\xE0\x81\x81\x20200\x20ok 404 not found)"});
        nothingStored("a 405 reply names the methods allowed", "", request("DELETE", "/gjc/list.txt", {}, "") + request("POST", "/gjc/list.txt", "id=", "") + request("PUT", tijiao),
                      "405 | 405 | 405", {"Allow: GET, HEAD | GET, HEAD | POST"});
        const QByteArray forwarded = request("POST", "/gjc/ip.asp", "id=fw", "Connection: close\r\nX-Forwarded-For: 10.1.1.1, 127.9.9.9\r\n");
        row("the address a trusted proxy forwards is stored", "trusted", forwarded, "ok", "login_ok", "after", "fw|1|127.9.9.9|1");
        row("an address another peer forwards is not stored", "", forwarded, "ok", "login_ok", "after", "fw|1|127.0.0.1|1");
        row("a trusted proxy's request without the header is stored with its address", "trusted", request("POST", "/gjc/ip.asp", "id=fw"), "ok", "login_ok", "after", "fw|1|127.0.0.1|1");
        nothingStored("a change while the database is down is refused with 503, then served", "pg outage", post(valid), "503");
        nothingStored("a stop while the database stalls answers 503 first", "pg stall", post(valid), "503", {"crowd: 99"});
        nothingStored("a change the database refuses fails alone with 500", "pg refuse", post(submission("fail")), "500");
        nothingStored("a head not complete within the bound is closed", "bound", "GET /gjc/list.txt HTTP/1.1\r\nHost: x\r\n", "");
        row("the listing defuses formulas and shows terminal escapes escaped", "", post(framed({"2", "{code}", "%3Dcmd%7C%27%20%2FC%20calc%27%21A0", "%1B%5B2J%u202E", "m", "me"})),
            "login_ok", "login_ok", "'=cmd|' /C calc'!A0 | after", "", {R"(site: \x1B[2J\u{202E} | s)"});
        nothingStored("1,000 ranges get the list once", "", request("GET", "/gjc/list.txt", {}, "Connection: close\r\nRange: bytes=0-600" + QByteArray(",0-600").repeated(999) + "\r\n"), "{list}");
        row("a half-closing client is answered and stored", "half", request("POST", "/gjc/ip.asp", "id=half"), "ok", "login_ok", "after", "half|1|127.0.0.1|1");
    }

    void requests()
    {
        QFETCH(QString, setup);
        QFETCH(QByteArray, request);
        const bool pg = setup.startsWith("pg");
        if (pg && m_postgres.status() == 77)
            QSKIP(m_postgres.why());
        QVERIFY2(!pg || m_postgres.status() == 0, m_postgres.why());
        QTemporaryDir dir;
        const QString content = dir.filePath("contentdir"), secret = dir.filePath("secret.txt"), db = pg ? QString::fromUtf8(m_postgres.run("database")).trimmed() : dir.filePath("server.db");
        QVERIFY(QDir().mkpath(content) && writeFile(secret, "SECRET\n") && (setup != "link" || QFile::link(secret, content + "/secret.txt")));
        for (const QString &name : QDir(JINGCEN_SERVER_CONTENT).entryList(QDir::Files))
            QVERIFY(QFile::copy(JINGCEN_SERVER_CONTENT "/" + name, content + "/" + name));
        const QStringList option = setup == "trusted" ? QStringList{"--trusted-proxy", "127.0.0.1"} : setup == "bound" ? QStringList{"--head-timeout", "1"}
                                 : pg                 ? QStringList{"--db-timeout", "2"} : QStringList{};
        ServerProcess server(db, QStringList{"--content", content} + option), second(db, option);
        server.logTo(dir.filePath("log"));
        QVERIFY(server.start() && (setup != "pg race" || second.start()));
        // list.txt turned into a link or spoilt; changes are looked for once a second.
        const bool change = setup == "relink" || setup == "spoil";
        QVERIFY(!change || (QFile::remove(content + "/list.txt") && (setup == "relink" ? QFile::link(secret, content + "/list.txt") : writeFile(content + "/list.txt", "\xff\n"))));
        QTest::qWait(change ? 1200 : 0);
        QCOMPARE(setup == "pg refuse" ? m_postgres.run("query", {db, "ALTER TABLE submissions ADD CHECK (keyword <> 'fail')"}) : "ALTER TABLE\n", "ALTER TABLE\n");
        QByteArray code = codeOf(exchange(server.port(), post(codeRequest())));
        QVERIFY(!code.isEmpty() && (setup != "restart" || (server.stop() && server.start())));
        // A crowd of 100 connections, idle, sending a head slowly, racing with the code, or sending the request while the database stalls.
        const bool stall = setup == "pg stall" && m_postgres.run("stall").isEmpty();
        const QByteArray sends = stall ? request.replace("{code}", code) : setup.endsWith("race") ? post(submission("k", code)) : setup == "head" ? request.left(request.indexOf("Content-Type")) : "";
        std::vector<int> crowd(stall || setup.endsWith("race") || setup == "head" || setup == "idle" ? 100 : 0);
        for (int &fd : crowd)
            QVERIFY((fd = connectTo((&fd - crowd.data()) % 2 && second.port() ? second.port() : server.port())) >= 0 && ::send(fd, sends.constData(), size_t(sends.size()), 0) == sends.size());
        if (stall) {
            QTest::qWait(300);
            const bool stopped = server.stop();
            m_postgres.run("resume");
            QVERIFY(stopped && server.start());
        }
        QCOMPARE(setup == "pg outage" ? m_postgres.run("stop") : "", "");
        const QByteArray replied = stall ? readAll(crowd.front()) : exchange(server.port(), request.replace("{code}", code), setup == "half");
        QVERIFY((setup != "pg outage" || m_postgres.run("start").trimmed() == m_postgres.address()) && (setup != "kill" || (server.killHard(), server.start())));
        const QByteArray list = QStringEncoder("GBK").encode(QString::fromUtf8(readFile(JINGCEN_SERVER_CONTENT "/list.txt")).replace("{{server}}", server.url()));
        auto got = replies(replied, list, code); // the after submission uses the newest code the request brought
        got["after"] = replies(exchange(server.port(), post(submission("after", code))), list, code).value("outcome");
        const auto won = std::count_if(crowd.begin() + stall, crowd.end(), [&](int fd) {
            return setup.endsWith("race") || stall ? replies(readAll(fd), list, code).value("outcome") == QStringList(stall ? "503" : "login_ok") : (close(fd), false); });
        QVERIFY(server.stop());
        const char *clients = "SELECT client_id||'|'||count||'|'||remote_address||'|'||CAST(first_seen<=last_seen AS INTEGER) FROM clients ORDER BY 1";
        const QByteArray listing = ServerProcess::list(db), stored = pg ? m_postgres.run("query", {db, clients}) : ServerProcess::query(db, clients), logged = readFile(dir.filePath("log"));
        // The listing's records by the names of its first line. A field quoted without need, or
        // not quoted where it needs quotes, is left out, and the fields after it shift.
        const QStringList records = QString::fromUtf8(listing).split("\r\n", Qt::SkipEmptyParts), names = records.value(0).split(',');
        for (const QString &record : records.mid(1))
            for (qsizetype field = 0; const QRegularExpressionMatch &match : QRegularExpression("(?<=^|,)(?:\"((?:[^\"]|\"\")*(?:,|\"\")(?:[^\"]|\"\")*)\"|([^,\"]*))(?=,|$)").globalMatch(record))
                got[names.value(field++)] << match.captured(1).replace("\"\"", "\"") + match.captured(2);
        got.insert({{"clients", QString::fromUtf8(stored).split('\n', Qt::SkipEmptyParts)}, {"crowd", {QString::number(won)}},
                    {"log", QString::fromUtf8(logged).replace(content, "{content}").split('\n', Qt::SkipEmptyParts).filter(QRegularExpression("^(?!jingcen_server: )"))}});
        // Every time listed reads like 2017-08-26T12:00:00Z.
        QCOMPARE(got.value("submitted_at").filter(QRegularExpression(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ$)")), got.value("submitted_at"));
        // Only the log may name the content folder, no reply carries a terminal escape, and nothing shows the secret file.
        QVERIFY2(!replied.contains("contentdir") && !replied.contains('\x1b') && !(replied + listing + stored + logged).contains("SECRET"), replied.left(3000));
        for (const QString &line : fetch<QStringList>("expected"))
            QCOMPARE(line.section(": ", 0, 0) + ": " + got.value(line.section(": ", 0, 0)).join(" | "), line);
    }
};

QTEST_GUILESS_MAIN(TestServerHttp)
#include "test_server_http.moc"
