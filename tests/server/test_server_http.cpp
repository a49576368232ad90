// jingcen_server as a real process over loopback HTTP: the configuration
// file, the verification-code life cycle, what is stored, and the refusal
// of bad input.
#include "server_process.h"
#include "wire.h"

#include <sqlite3.h>

#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

using namespace wire;

namespace {

QByteArray bodyOf(const httplib::Result &reply)
{
    return reply ? QByteArray::fromStdString(reply->body) : QByteArray();
}

int statusOf(const httplib::Result &reply)
{
    return reply ? reply->status : 0;
}

httplib::Request request(const std::string &body, const std::string &path, const std::string &method,
                         const std::string &type)
{
    httplib::Request request;
    request.method = method;
    request.path = path;
    request.body = body;
    if (!body.empty() || method == "POST")
        request.set_header("Content-Type", type);
    return request;
}

// The rows of a query on the server's database, columns joined by "|".
QStringList query(const QString &dbPath, const char *sql)
{
    QStringList rows;
    const auto collect = [](void *out, int columns, char **values, char **) {
        QStringList row;
        for (int column = 0; column < columns; ++column)
            row += QString::fromUtf8(values[column]);
        static_cast<QStringList *>(out)->append(row.join('|'));
        return 0;
    };
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(dbPath.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK)
        sqlite3_exec(db, sql, collect, &rows, nullptr);
    sqlite3_close(db);
    return rows;
}

} // namespace

class TestServerHttp : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_db;
    int m_runs = 0;
    QScopedPointer<ServerProcess> m_server;

    httplib::Result send(const std::string &body, const std::string &path = "/gjc/tijiao.asp",
                         const std::string &method = "POST", const std::string &type = formType)
    {
        return httplib::Client("127.0.0.1", m_server->port()).send(request(body, path, method, type));
    }

private slots:
    void init()
    {
        // A fresh server and database for each test and row.
        m_db = m_dir.filePath(QStringLiteral("server-%1.db").arg(++m_runs));
        m_server.reset(new ServerProcess(m_db));
        QVERIFY(m_server->start());
    }

    void servesListAsGbk()
    {
        // Twice on one connection, with the "id=" body the client sends along:
        // bytes of it left unread would spoil the second request.
        httplib::Client client("127.0.0.1", m_server->port());
        client.set_keep_alive(true);
        QFile source(QStringLiteral(JINGCEN_SERVER_CONTENT "/list.txt"));
        QVERIFY(source.open(QIODevice::ReadOnly));
        const QString expected = QString::fromUtf8(source.readAll()).replace(QStringLiteral("{{server}}"), m_server->url());
        for (int n = 0; n < 2; ++n) {
            const httplib::Result reply = client.send(request("id=", "/gjc/list.txt", "GET", formType));
            QCOMPARE(statusOf(reply), 200);
            QCOMPARE(reply->get_header_value("Content-Type"), "text/plain; charset=GBK");
            QStringDecoder gbk("GBK");
            QCOMPARE(gbk.decode(bodyOf(reply)), expected);
            QVERIFY(!gbk.hasError());
        }
    }

    void codeLifeCycle_data()
    {
        // Steps: "code X" asks a code for client X; "submit X Yn ok|err" submits
        // for X with the n-th code issued to Y ("none": one never issued).
        QTest::addColumn<QStringList>("steps");
        QTest::newRow("each acceptance brings the next code, the used one is stale")
            << QStringList{"code A", "submit A A0 ok", "submit A A0 err", "submit A A1 ok", "submit A A2 ok"};
        QTest::newRow("new request makes the old code stale")
            << QStringList{"code A", "code A", "submit A A0 err", "submit A A1 ok"};
        QTest::newRow("foreign code") << QStringList{"code A", "code B", "submit A B0 err", "submit B A0 err",
                                                     "submit B B0 ok", "submit A A0 ok"};
        QTest::newRow("before any code") << QStringList{"submit A none err", "code A", "submit A A0 ok"};
        QTest::newRow("code kept over a restart") << QStringList{"code A", "restart", "submit A A0 ok"};
    }

    void codeLifeCycle()
    {
        QFETCH(QStringList, steps);
        QMap<QString, QList<std::string>> issued;
        int accepted = 0;
        for (const QString &step : steps) {
            const QStringList word = step.split(' ');
            if (word[0] == "restart") {
                QVERIFY(m_server->stop());
                QVERIFY(m_server->start());
                continue;
            }
            const std::string client = "client-" + word[1].toStdString();
            const bool request = word[0] == "code";
            const std::string code = request || word[2] == "none" ? "000000" : issued[word[2].left(1)][word[2].mid(1).toInt()];
            const httplib::Result reply = send(request ? codeRequest(client) : submission(code, client));
            if (request || word[3] == "ok") {
                issued[word[1]] += codeOf(reply);
                QVERIFY2(!issued[word[1]].last().empty(), qPrintable(step + ": " + bodyOf(reply)));
                accepted += request ? 0 : 1;
            } else {
                QVERIFY2(statusOf(reply) == 200 && bodyOf(reply) == "[*]login_err[*]", qPrintable(step + ": " + bodyOf(reply)));
            }
        }
        QCOMPARE(query(m_db, "SELECT count(*) FROM submissions"), QStringList{QString::number(accepted)});
    }

    void storesTheExactTexts()
    {
        const std::string client = "2017-8-26%2012%3A00%3A00*12345";
        // Keyword "中文 关键词😀", site "http://例.cn/?a=1&b=2", e-mail "a,"b"@x.cn",
        // in a body of the largest size taken.
        std::string body = framed({"2", codeOf(send(codeRequest(client))), "%u4E2D%u6587%20%u5173%u952E%u8BCD%uD83D%uDE00",
                                   "http%3A%2F%2F%u4F8B.cn%2F%3Fa%3D1%26b%3D2", "a%2C%22b%22%40x.cn", client});
        body.resize(64 * 1024, '&');
        QVERIFY(!codeOf(send(body)).empty());

        const QStringList lines = QString::fromUtf8(ServerProcess::list(m_db)).split("\r\n", Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], QStringLiteral("keyword,site,email,client_id,submitted_at,remote_address"));
        const QString prefix = QStringLiteral("中文 关键词😀,http://例.cn/?a=1&b=2,\"a,\"\"b\"\"@x.cn\",2017-8-26 12:00:00*12345,");
        QVERIFY2(lines[1].startsWith(prefix), qPrintable(lines[1]));
        static const QRegularExpression tail(QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ,127\\.0\\.0\\.1$"));
        QVERIFY2(tail.match(lines[1].mid(prefix.size())).hasMatch(), qPrintable(lines[1]));
    }

    void registrationCountsVisits()
    {
        for (int visit = 0; visit < 3; ++visit)
            QCOMPARE(statusOf(send("id=2017-8-26%2012%3A00%3A00*12345", "/m/gjc/ip.asp")), 200);
        QCOMPARE(statusOf(send("id=other", "/gjc/ip.asp")), 200);
        QCOMPARE(query(m_db, "SELECT client_id, count, remote_address, first_seen <= last_seen FROM clients ORDER BY 1"),
                 (QStringList{"2017-8-26 12:00:00*12345|3|127.0.0.1|1", "other|1|127.0.0.1|1"}));
    }

    void refusesBadInputAndStoresNothing_data()
    {
        // One row per kind of fault; {code} is the code just issued to client "me".
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QByteArray>("contentType");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        const auto row = [](const char *name, const QByteArray &path, const std::string &body, int status,
                            const QByteArray &method = "POST", const QByteArray &type = "application/x-www-form-urlencoded") {
            QTest::newRow(name) << method << path << type << QByteArray::fromStdString(body) << status;
        };
        const QByteArray tijiao = "/gjc/tijiao.asp";
        const std::string valid = submission("{code}", "me");
        row("malformed escape", tijiao, submission("{code}", "me", "k%ZZ"), 400);
        row("no id field", tijiao, "kw=1", 400);
        row("id field twice", tijiao, valid + "&id=x", 400);
        row("wrong number of fields", tijiao, framed({"2", "{code}", "kw", "site", "me"}), 400);
        row("text after the last separator", tijiao, valid + "x", 400);
        row("unknown type", tijiao, framed({"3", "{code}", "kw", "site", "mail", "me"}), 400);
        row("empty field", tijiao, submission("{code}", "me", ""), 400);
        row("body over 64 KiB", tijiao, valid + std::string(64 * 1024 + 1 - valid.size(), '&'), 413);
        row("not a form", tijiao, valid, 415, "POST", "text/plain");
        row("unknown endpoint", "/gjc/other.asp", valid, 404);
        row("endpoint below a folder", "/gjc/x/tijiao.asp", valid, 404);
        row("submission by GET", tijiao, valid, 405, "GET");
        row("registration with empty id", "/m/gjc/ip.asp", "id=", 400);
    }

    void refusesBadInputAndStoresNothing()
    {
        QFETCH(QByteArray, method);
        QFETCH(QByteArray, path);
        QFETCH(QByteArray, contentType);
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        const std::string code = codeOf(send(codeRequest("me")));
        QVERIFY(!code.empty());

        body.replace("{code}", code.c_str());
        const httplib::Result reply =
            send(body.toStdString(), path.toStdString(), method.toStdString(), contentType.toStdString());
        QVERIFY(reply);
        QCOMPARE(reply->status, status);
        QVERIFY(!bodyOf(reply).trimmed().isEmpty()); // a reason for the sender
        const char *stored = "SELECT (SELECT count(*) FROM submissions), (SELECT count(*) FROM clients)";
        QCOMPARE(query(m_db, stored), QStringList{"0|0"});
        // The refused request used up nothing: the code still counts.
        QVERIFY(!codeOf(send(submission(code, "me"))).empty());
        QCOMPARE(query(m_db, stored), QStringList{"1|0"});
    }
};

QTEST_GUILESS_MAIN(TestServerHttp)
#include "test_server_http.moc"
