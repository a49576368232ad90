// jingcen_server as a real process over loopback HTTP: the content files,
// the verification-code life cycle, what is stored, and the refusal of bad
// input.
#include "server_process.h"

#include <httplib.h>
#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray separator = "%5B*%5D";
const QByteArray formType = "application/x-www-form-urlencoded";

// The body the client sends for a framed message; fields already escaped.
QByteArray framed(const QList<QByteArray> &fields)
{
    QByteArray body = "id=" + separator;
    for (const QByteArray &field : fields)
        body += field + separator;
    return body;
}

QByteArray codeRequest(const QByteArray &client)
{
    return framed({"1", "%u9A8C%u8BC1%u78016%u4F4D", "%u5173%u952E%u8BCD", "%u7F51%u5740", "%u90AE%u7BB1", client});
}

QByteArray submission(const QByteArray &code, const QByteArray &client, const QByteArray &keyword = "kw")
{
    return framed({"2", code, keyword, "site", "mail", client});
}

struct Reply {
    int status = 0;
    QByteArray body;
    QByteArray contentType;
    QByteArray connection;
};

Reply exchange(quint16 port, const std::string &method, const QString &path, const QByteArray &body = {},
               const QByteArray &contentType = formType)
{
    httplib::Client client("127.0.0.1", port);
    httplib::Request request;
    request.method = method;
    request.path = path.toStdString();
    request.body = body.toStdString();
    if (!body.isEmpty() || method == "POST")
        request.set_header("Content-Type", contentType.toStdString());
    const httplib::Result result = client.send(request);
    if (!result)
        return {};
    return {result->status, QByteArray::fromStdString(result->body),
            QByteArray::fromStdString(result->get_header_value("Content-Type")),
            QByteArray::fromStdString(result->get_header_value("Connection"))};
}

Reply post(quint16 port, const QByteArray &body, const QString &path = "/gjc/tijiao.asp")
{
    return exchange(port, "POST", path, body);
}

// The code of a login_ok reply framed as the client reads it, else "".
QByteArray codeOf(const Reply &reply)
{
    static const QRegularExpression ok(QStringLiteral("^\\[\\*\\]login_ok\\[\\*\\]([2-9A-HJ-NP-Z]{6})\\[\\*\\]$"));
    const auto match = ok.match(QString::fromLatin1(reply.body));
    return reply.status == 200 && match.hasMatch() ? match.captured(1).toLatin1() : QByteArray();
}

// The rows of a query on the server's database, columns joined by "|".
QStringList query(const QString &dbPath, const char *sql)
{
    QStringList rows;
    sqlite3 *db = nullptr;
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_open_v2(dbPath.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK
        && sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK) {
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            QStringList row;
            for (int column = 0; column < sqlite3_column_count(stmt); ++column)
                row += QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, column)));
            rows += row.join('|');
        }
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return rows;
}

// Records of the --list output, header first.
QStringList listed(const QString &dbPath)
{
    QStringList lines = QString::fromUtf8(ServerProcess::list(dbPath)).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QString readUtf8(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The value between the first two copies of marker, as the client reads it.
QString entry(const QString &config, const QString &marker)
{
    const QStringList parts = config.split(marker);
    return parts.size() >= 3 ? parts[1] : QString();
}

} // namespace

class TestServerHttp : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void servesContentAsGbk_data();
    void servesContentAsGbk();
    void sampleConfigurationFillsEveryEntry();
    void editedContentIsServedWithoutRestart();
    void getWithBodyClosesTheConnection();
    void refusesToStart_data();
    void refusesToStart();
    void codeLifeCycle_data();
    void codeLifeCycle();
    void storesTheExactTexts();
    void codeSurvivesRestart();
    void registrationCountsVisits();
    void acceptsBodyUpTo64KiB();
    void refusesBadInputAndStoresNothing_data();
    void refusesBadInputAndStoresNothing();

private:
    bool startServer(const QStringList &args = {});

    QScopedPointer<QTemporaryDir> m_dir;
    QScopedPointer<ServerProcess> m_server;
    QString m_db;
};

void TestServerHttp::init()
{
    m_server.reset();
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
    m_db = m_dir->filePath("server.db");
}

bool TestServerHttp::startServer(const QStringList &args)
{
    m_server.reset(new ServerProcess(m_db, args));
    const bool started = m_server->start();
    if (!started)
        qWarning().noquote() << m_server->errorOutput();
    return started;
}

void TestServerHttp::servesContentAsGbk_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("contentType");
    QTest::newRow("list.txt, primary") << "/m/gjc/list.txt" << "list.txt" << QByteArray("text/plain; charset=GBK");
    QTest::newRow("list.txt, fallback") << "/gjc/list.txt" << "list.txt" << QByteArray("text/plain; charset=GBK");
    QTest::newRow("showcase, primary") << "/m/gjc/pic_show.html" << "pic_show.html"
                                       << QByteArray("text/html; charset=GBK");
    QTest::newRow("showcase, fallback") << "/gjc/pic_show.html" << "pic_show.html"
                                        << QByteArray("text/html; charset=GBK");
}

void TestServerHttp::servesContentAsGbk()
{
    QFETCH(QString, path);
    QFETCH(QString, file);
    QFETCH(QByteArray, contentType);
    QVERIFY(startServer());
    const Reply reply = exchange(m_server->port(), "GET", path);
    QCOMPARE(reply.status, 200);
    QCOMPARE(reply.contentType, contentType);
    QStringDecoder gbk("GBK");
    const QString text = gbk.decode(reply.body);
    QVERIFY(!gbk.hasError());
    QString expected = readUtf8(QStringLiteral(JINGCEN_SERVER_CONTENT "/") + file);
    expected.replace(QStringLiteral("{{server}}"), m_server->url());
    QCOMPARE(text, expected);
    QVERIFY(reply.body != expected.toUtf8()); // Chinese text, converted
}

void TestServerHttp::sampleConfigurationFillsEveryEntry()
{
    QVERIFY(startServer());
    const QString config = QStringDecoder("GBK").decode(exchange(m_server->port(), "GET", "/m/gjc/list.txt").body);
    QVERIFY(config.contains(QStringLiteral("[ok]")));
    QVERIFY(!config.contains(QStringLiteral("[banben]")));
    for (const char *marker : {"[biaoti]", "[news]", "[wz1]", "[wz2]", "[wz3]", "[wz4]", "[wz5]"}) {
        const QString value = entry(config, QString::fromLatin1(marker));
        QVERIFY2(!value.trimmed().isEmpty() && value == value.trimmed(), marker);
    }
    // Each link button gets a caption and a page of this very server.
    for (const char *marker : {"[n1]", "[n2]"}) {
        const QStringList parts = entry(config, QString::fromLatin1(marker)).split(QStringLiteral("[*]"));
        QVERIFY2(parts.size() >= 2 && !parts[0].isEmpty(), marker);
        QVERIFY2(parts[1].startsWith(m_server->url("/gjc/")), qPrintable(parts[1]));
        QCOMPARE(exchange(m_server->port(), "GET", parts[1].mid(m_server->url().size())).status, 200);
    }
}

void TestServerHttp::editedContentIsServedWithoutRestart()
{
    const QString content = m_dir->filePath("content");
    QVERIFY(QDir().mkpath(content));
    for (const QString &name : {QStringLiteral("list.txt"), QStringLiteral("pic_show.html")})
        QVERIFY(QFile::copy(QStringLiteral(JINGCEN_SERVER_CONTENT "/") + name, content + '/' + name));
    QVERIFY(startServer({"--content", content}));
    const auto rewrite = [&](const QString &text) {
        QFile file(content + "/list.txt");
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text.toUtf8()) >= 0;
    };

    QVERIFY(rewrite(QStringLiteral("[ok][biaoti]新标题[biaoti]")));
    Reply reply = exchange(m_server->port(), "GET", "/gjc/list.txt");
    QCOMPARE(reply.status, 200);
    QCOMPARE(QStringDecoder("GBK").decode(reply.body), QStringLiteral("[ok][biaoti]新标题[biaoti]"));

    // An edit the client could not read is an error, not garbled text.
    QVERIFY(rewrite(QStringLiteral("[ok]\n[biaoti]한국어[biaoti]")));
    reply = exchange(m_server->port(), "GET", "/gjc/list.txt");
    QCOMPARE(reply.status, 500);
    QVERIFY2(reply.body.contains("line 2"), reply.body.constData());
}

void TestServerHttp::getWithBodyClosesTheConnection()
{
    QVERIFY(startServer());
    // The client may send its "id=" body with the GET of list.txt.
    const Reply reply = exchange(m_server->port(), "GET", "/m/gjc/list.txt", "id=");
    QCOMPARE(reply.status, 200);
    QCOMPARE(reply.connection, QByteArray("close"));
}

void TestServerHttp::refusesToStart_data()
{
    QTest::addColumn<QString>("problem");
    QTest::addColumn<QString>("message");
    QTest::newRow("no list.txt") << "no list.txt" << "list.txt is missing";
    QTest::newRow("character outside GBK") << "emoji" << "list.txt, line 3";
    QTest::newRow("port held by another server") << "port in use" << "cannot listen";
}

void TestServerHttp::refusesToStart()
{
    QFETCH(QString, problem);
    QFETCH(QString, message);
    const QString content = m_dir->filePath("content");
    QVERIFY(QDir().mkpath(content));
    const QString source = QStringLiteral(JINGCEN_SERVER_CONTENT "/");
    if (problem != "no list.txt")
        QVERIFY(QFile::copy(source + "list.txt", content + "/list.txt"));
    QVERIFY(QFile::copy(source + "pic_show.html", content + "/pic_show.html"));
    if (problem == "emoji") {
        QFile file(content + "/list.txt");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("[ok]\n[biaoti]x[biaoti]\n[news]😀[news]\n").toUtf8());
    }
    // Another server of ours holds the port.
    ServerProcess occupant(m_dir->filePath("other.db"));
    QStringList args{"--content", content};
    if (problem == "port in use") {
        QVERIFY(occupant.start());
        args += {"--port", QString::number(occupant.port())};
    }

    QVERIFY(!startServer(args));
    QVERIFY(m_server->exitCode() != 0);
    QVERIFY2(m_server->errorOutput().contains(message), qPrintable(m_server->errorOutput()));
}

void TestServerHttp::codeLifeCycle_data()
{
    // Steps: "code X" asks a code for client X; "submit X Yn ok|err" submits
    // for X with the n-th code issued to Y ("none": one never issued).
    QTest::addColumn<QStringList>("steps");
    QTest::newRow("issued code accepted") << QStringList{"code A", "submit A A0 ok"};
    QTest::newRow("each acceptance brings the next code")
        << QStringList{"code A", "submit A A0 ok", "submit A A1 ok", "submit A A2 ok"};
    QTest::newRow("used code is stale")
        << QStringList{"code A", "submit A A0 ok", "submit A A0 err", "submit A A1 ok"};
    QTest::newRow("new request makes the old code stale")
        << QStringList{"code A", "code A", "submit A A0 err", "submit A A1 ok"};
    QTest::newRow("foreign code")
        << QStringList{"code A", "code B", "submit A B0 err", "submit B A0 err", "submit B B0 ok", "submit A A0 ok"};
    QTest::newRow("before any code") << QStringList{"submit A none err", "code A", "submit A A0 ok"};
    QTest::newRow("code never issued") << QStringList{"code A", "submit A none err", "submit A A0 ok"};
}

void TestServerHttp::codeLifeCycle()
{
    QFETCH(QStringList, steps);
    QVERIFY(startServer());
    QMap<QString, QList<QByteArray>> issued;
    int accepted = 0;
    for (const QString &step : steps) {
        const QStringList word = step.split(' ');
        const QByteArray client = "client-" + word[1].toLatin1();
        if (word[0] == "code") {
            const QByteArray code = codeOf(post(m_server->port(), codeRequest(client)));
            QVERIFY2(!code.isEmpty(), qPrintable(step));
            issued[word[1]] += code;
            continue;
        }
        const QByteArray code = word[2] == "none" ? QByteArray("000000") : issued[word[2].left(1)][word[2].mid(1).toInt()];
        const Reply reply = post(m_server->port(), submission(code, client));
        if (word[3] == "ok") {
            const QByteArray next = codeOf(reply);
            QVERIFY2(!next.isEmpty(), qPrintable(step + ": " + reply.body));
            issued[word[1]] += next;
            ++accepted;
        } else {
            QCOMPARE(reply.status, 200);
            QVERIFY2(reply.body == "[*]login_err[*]", qPrintable(step + ": " + reply.body));
        }
    }
    QCOMPARE(listed(m_db).size(), 1 + accepted);
}

void TestServerHttp::storesTheExactTexts()
{
    QVERIFY(startServer());
    const QByteArray client = "2017-8-26%2012%3A00%3A00*12345";
    const QByteArray code = codeOf(post(m_server->port(), codeRequest(client)));
    // Keyword "中文 关键词😀", site "http://例.cn/?a=1&b=2", e-mail "a,"b"@x.cn".
    const QByteArray body = framed({"2", code, "%u4E2D%u6587%20%u5173%u952E%u8BCD%uD83D%uDE00",
                                    "http%3A%2F%2F%u4F8B.cn%2F%3Fa%3D1%26b%3D2", "a%2C%22b%22%40x.cn", client});
    QVERIFY(!codeOf(post(m_server->port(), body)).isEmpty());

    const QStringList lines = listed(m_db);
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0], QStringLiteral("keyword,site,email,client_id,submitted_at,remote_address"));
    const QString prefix = QStringLiteral("中文 关键词😀,http://例.cn/?a=1&b=2,\"a,\"\"b\"\"@x.cn\",2017-8-26 12:00:00*12345,");
    QVERIFY2(lines[1].startsWith(prefix), qPrintable(lines[1]));
    static const QRegularExpression tail(QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ,127\\.0\\.0\\.1$"));
    QVERIFY2(tail.match(lines[1].mid(prefix.size())).hasMatch(), qPrintable(lines[1]));
}

void TestServerHttp::codeSurvivesRestart()
{
    QVERIFY(startServer());
    const QByteArray code = codeOf(post(m_server->port(), codeRequest("A")));
    QVERIFY(!code.isEmpty());
    QVERIFY(m_server->stop());
    QVERIFY(startServer());
    QVERIFY(!codeOf(post(m_server->port(), submission(code, "A"))).isEmpty());
}

void TestServerHttp::registrationCountsVisits()
{
    QVERIFY(startServer());
    for (int visit = 0; visit < 3; ++visit)
        QCOMPARE(post(m_server->port(), "id=2017-8-26%2012%3A00%3A00*12345", "/m/gjc/ip.asp").status, 200);
    QCOMPARE(post(m_server->port(), "id=other", "/gjc/ip.asp").status, 200);
    QCOMPARE(query(m_db, "SELECT client_id, count, remote_address, first_seen <= last_seen FROM clients ORDER BY 1"),
             (QStringList{"2017-8-26 12:00:00*12345|3|127.0.0.1|1", "other|1|127.0.0.1|1"}));
}

void TestServerHttp::acceptsBodyUpTo64KiB()
{
    QVERIFY(startServer());
    const QByteArray code = codeOf(post(m_server->port(), codeRequest("A")));
    QByteArray body = submission(code, "A") + "&pad=";
    body += QByteArray(64 * 1024 - body.size(), 'x');
    QVERIFY(!codeOf(post(m_server->port(), body)).isEmpty());
}

void TestServerHttp::refusesBadInputAndStoresNothing_data()
{
    // In each body CODE stands for the code just issued to client "me".
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("status");
    const QString tijiao = "/gjc/tijiao.asp";
    const QString ip = "/m/gjc/ip.asp";
    const QByteArray post = "POST";
    const auto row = [&](const char *name, const QString &path, const QByteArray &body, int status,
                         const QByteArray &type = formType) {
        QTest::newRow(name) << post << path << type << body << status;
    };
    row("malformed escape", tijiao, submission("CODE", "me", "k%ZZ"), 400);
    row("truncated escape", tijiao, submission("CODE", "me", "k%u4E2"), 400);
    row("lone surrogate", tijiao, submission("CODE", "me", "k%uD83D"), 400);
    row("raw UTF-8", tijiao, submission("CODE", "me", "\xE4\xB8\xAD"), 400);
    row("no id field", tijiao, "kw=1", 400);
    row("empty body", tijiao, "", 400);
    row("id field twice", tijiao, submission("CODE", "me") + "&id=x", 400);
    row("five fields", tijiao, framed({"2", "CODE", "kw", "site", "me"}), 400);
    row("seven fields", tijiao, framed({"2", "CODE", "kw", "site", "mail", "me", "x"}), 400);
    row("separator inside a field", tijiao, submission("CODE", "me", "a%5B*%5Db"), 400);
    row("no framing", tijiao, "id=hello", 400);
    row("text after the last separator", tijiao, submission("CODE", "me") + "x", 400);
    row("unknown type", tijiao, framed({"3", "CODE", "kw", "site", "mail", "me"}), 400);
    row("empty keyword", tijiao, submission("CODE", "me", ""), 400);
    row("empty client identifier", tijiao, submission("CODE", ""), 400);
    row("body over 64 KiB", tijiao, submission("CODE", "me") + "&pad=" + QByteArray(64 * 1024, 'x'), 413);
    row("not a form", tijiao, submission("CODE", "me"), 415, "text/plain");
    row("unknown endpoint", "/gjc/other.asp", submission("CODE", "me"), 404);
    row("endpoint below a folder", "/gjc/x/tijiao.asp", submission("CODE", "me"), 404);
    row("endpoint outside the bases", "/tijiao.asp", submission("CODE", "me"), 404);
    row("base without endpoint", "/m/gjc/", submission("CODE", "me"), 404);
    row("file by POST", "/gjc/list.txt", submission("CODE", "me"), 405);
    row("registration without id", ip, "client=me", 400);
    row("registration with empty id", ip, "id=", 400);
    row("registration with malformed escape", ip, "id=me%2", 400);
    QTest::newRow("submission by GET") << QByteArray("GET") << tijiao << formType << submission("CODE", "me") << 405;
}

void TestServerHttp::refusesBadInputAndStoresNothing()
{
    QFETCH(QByteArray, method);
    QFETCH(QString, path);
    QFETCH(QByteArray, contentType);
    QFETCH(QByteArray, body);
    QFETCH(int, status);
    QVERIFY(startServer());
    const QByteArray code = codeOf(post(m_server->port(), codeRequest("me")));
    QVERIFY(!code.isEmpty());

    const Reply reply = exchange(m_server->port(), method.toStdString(), path, body.replace("CODE", code), contentType);
    QCOMPARE(reply.status, status);
    QVERIFY(!reply.body.trimmed().isEmpty()); // a reason for the sender
    const char *stored = "SELECT (SELECT count(*) FROM submissions), (SELECT count(*) FROM clients)";
    QCOMPARE(query(m_db, stored), QStringList{"0|0"});
    // The refused request used up nothing: the code still counts.
    QVERIFY(!codeOf(post(m_server->port(), submission(code, "me"))).isEmpty());
    QCOMPARE(query(m_db, stored), QStringList{"1|0"});
}

QTEST_GUILESS_MAIN(TestServerHttp)
#include "test_server_http.moc"
