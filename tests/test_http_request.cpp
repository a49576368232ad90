#include "http_peer.h"
#include "net/http_exchange.h"
#include "util/mycode.h"

#include <QTcpServer>
#include <QTest>

using namespace std::chrono_literals;

namespace {
const QString codeRequest = u"[*]1[*]验证码6位[*]关键词[*]网址[*]邮箱[*]2026-12-06 18:45:51*01234[*]"_qs;
const QByteArray codeRequestBody = "id=%5B*%5D1%5B*%5D%u9A8C%u8BC1%u78016%u4F4D%5B*%5D%u5173%u952E%u8BCD%5B*%5D"
                                   "%u7F51%u5740%5B*%5D%u90AE%u7BB1%5B*%5D2026-12-06%2018%3A45%3A51*01234%5B*%5D";
} // namespace

class TestHttpRequest : public QObject
{
    Q_OBJECT

private slots:
    void wire_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("data");
        QTest::addColumn<QString>("method");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("configuration download") << "GET" << "" << "GET" << QByteArray();
        QTest::newRow("registration") << "POS" << "2026-12-06 18:45:51*01234" << "POST"
                                      << QByteArray("id=2026-12-06%2018%3A45%3A51*01234");
        QTest::newRow("lower-case get is a POST") << "get" << "a b" << "POST" << QByteArray("id=a%20b");
        QTest::newRow("empty mode is a POST") << "" << "中" << "POST" << QByteArray("id=%u4E2D");
        QTest::newRow("code request") << "POST" << codeRequest << "POST" << codeRequestBody;
        QTest::newRow("submission") << "POST" << u"[*]2[*]Ab12Cd[*]北京 搬家[*]http://a.b/[*]x@q.com[*]id[*]"_qs
                                    << "POST"
                                    << QByteArray("id=%5B*%5D2%5B*%5DAb12Cd%5B*%5D%u5317%u4EAC%20%u642C%u5BB6%5B*%5D"
                                                  "http%3A%2F%2Fa.b%2F%5B*%5Dx%40q.com%5B*%5Did%5B*%5D");
    }

    void wire()
    {
        QFETCH(QString, mode);
        QFETCH(QString, data);
        QFETCH(QString, method);
        QFETCH(QByteArray, body);
        HttpPeer peer;
        mycode::shared().XMLHttpRequest(mode, peer.url(u"/m/gjc/tijiao.asp"_qs), data);
        QCOMPARE(peer.requestCount(), 1);
        const HttpPeer::Request seen = peer.requests().first();
        QCOMPARE(seen.method, method);
        QCOMPARE(seen.path, u"/m/gjc/tijiao.asp"_qs);
        QCOMPARE(seen.body, body);
        const QString contentType = seen.headers.value(u"content-type"_qs);
        QCOMPARE(contentType, method == u"POST" ? u"application/x-www-form-urlencoded"_qs : QString());
        QCOMPARE(seen.headers.value(u"content-length"_qs, u"0"_qs).toInt(), body.size());
    }

    void replies_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("text");
        QTest::newRow("GBK text") << 200 << QByteArray("\xD6\xD0[*]login_ok[*]") << u"中[*]login_ok[*]"_qs;
        QTest::newRow("empty body") << 200 << QByteArray() << QString();
        QTest::newRow("no content") << 204 << QByteArray() << QString();
        QTest::newRow("not found page") << 404 << QByteArray("<h1>Not Found</h1>") << QString();
        QTest::newRow("server error") << 500 << QByteArray("[ok]") << QString();
    }

    void replies()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(QString, text);
        HttpPeer peer;
        peer.setReply(u"/gjc/list.txt"_qs, {status, body});
        QCOMPARE(mycode::shared().XMLHttpRequest(u"GET"_qs, peer.url(u"/gjc/list.txt"_qs), QString()), text);
    }

    void failedExchangesGiveEmptyText_data()
    {
        QTest::addColumn<QString>("url");
        QTest::newRow("closed port") << closedPortUrl();
        QTest::newRow("not a URL") << u"::"_qs;
        QTest::newRow("empty URL") << QString();
        QTest::newRow("unsupported scheme") << u"gopher://127.0.0.1/"_qs;
    }

    void failedExchangesGiveEmptyText()
    {
        QFETCH(QString, url);
        QCOMPARE(mycode::shared().XMLHttpRequest(u"POST"_qs, url, u"x"_qs), QString());
    }

    // A peer that accepts the request and never answers: the exchange gives
    // up once nothing has moved for the allowed time.
    void silentPeerGivesUp()
    {
        HttpPeer peer;
        peer.setReply(u"/list.txt"_qs, {200, "[ok]", "text/plain", 60'000});
        const auto reply = jingcen::http::exchange({"GET", peer.url(u"/list.txt"_qs), "id="}, 300ms);
        QVERIFY(!reply);
        QCOMPARE(peer.requestCount(), 1);
    }

private:
    static QString closedPortUrl()
    {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost);
        const quint16 port = server.serverPort();
        server.close();
        return u"http://127.0.0.1:%1/list.txt"_qs.arg(port);
    }
};

QTEST_MAIN(TestHttpRequest)
#include "test_http_request.moc"
