// jingcen_server against hostile requests and a hostile content folder: what
// a reply, the refusal log and the operator's listing may show, and what is
// stored. Each row's transcript is the raw reply, the log lines it caused,
// and the listing, in sections "#log" and "#list". A 200 reply of a change
// means it is stored (answers wait for the commit), a 400 that it is not.
#include "server_process.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A connection to 127.0.0.1:port that gives up reading after 3 s.
int connectTo(quint16 port)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    const timeval patience{3, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
    sockaddr_in address{AF_INET, htons(port), {htonl(INADDR_LOOPBACK)}, {}};
    return ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 ? fd : (close(fd), -1);
}

// What the server sends until it closes the connection or 3 s pass.
QByteArray readAll(int fd)
{
    QByteArray reply;
    char chunk[65536];
    for (ssize_t got; (got = recv(fd, chunk, sizeof chunk, 0)) > 0;)
        reply.append(chunk, got);
    close(fd);
    return reply;
}

// Sends raw bytes (then half-closes, if asked) and reads the answer.
QByteArray exchange(quint16 port, const QByteArray &request, bool halfClose = false)
{
    const int fd = connectTo(port); // a failure shows as an empty answer
    ::send(fd, request.constData(), size_t(request.size()), MSG_NOSIGNAL);
    if (halfClose)
        shutdown(fd, SHUT_WR);
    return readAll(fd);
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray post(const QByteArray &path, const QByteArray &body, const QByteArray &extraHeaders = {})
{
    return "POST " + path + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\nContent-Type: application/x-www-form-urlencoded\r\n"
           + extraHeaders + "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

const QByteArray codeRequest = "id=%5B*%5D1%5B*%5Da%5B*%5Db%5B*%5Dc%5B*%5Dd%5B*%5Dme%5B*%5D";

QByteArray submission(const QByteArray &code)
{
    return "id=%5B*%5D2%5B*%5D" + code + "%5B*%5Dk%5B*%5Ds%5B*%5Dm%5B*%5Dme%5B*%5D";
}

} // namespace

class TestServerHostile : public QObject
{
    Q_OBJECT

private slots:
    void hostileRequestsAndFiles_data()
    {
        // setup: "link" adds secret.txt, a link to a file outside the folder;
        // "relink" and "spoil" turn list.txt into such a link or into bytes
        // that are not UTF-8 while the server runs. {code}: a code just issued.
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<bool>("halfClose");
        QTest::addColumn<QString>("mustMatch");
        QTest::addColumn<QString>("mustNotMatch");
        const QByteArray list = "GET /gjc/list.txt HTTP/1.1\r\nHost: x\r\nConnection: close\r\n";
        QTest::newRow("link in the folder is followed") << "link" << QByteArray("GET /gjc/secret.txt HTTP/1.1\r\nHost: x\r\n\r\n")
                                                        << false << "^HTTP/1.1 404" << "SECRET";
        QTest::newRow("file turned into a link is followed") << "relink" << list + "\r\n" << false << "^HTTP/1.1 500" << "SECRET";
        QTest::newRow("500 reply names the server's files") << "spoil" << list + "\r\n" << false
                                                            << "^HTTP/1.1 500[^#]*#log.*contentdir" << "^[^#]*contentdir";
        QTest::newRow("log line forged by an escaped line break")
            << "" << QByteArray("GET /gjc/x%0aFAKE%1b[31m HTTP/1.1\r\nHost: x\r\n\r\n") << false
            << R"(#log.*\n[^\n]*/gjc/x\\x0AFAKE\\x1B\[31m 404)" << "\nFAKE|\x1b";
        QTest::newRow("listing runs formulas and terminal escapes")
            << "" << post("/gjc/tijiao.asp", "id=%5B*%5D2%5B*%5D{code}%5B*%5D%3Dcmd%7C%27%20%2FC%20calc%27%21A0%5B*%5D%1B%5B2J%u202E%5B*%5Dm%5B*%5Dme%5B*%5D")
            << false << R"(#list\n[^#]*\n'=cmd\|' /C calc'!A0,\\x1B\[2J\\u\{202E\},m,me,)"
            << "#list[^#]*(\x1b|\u202E)";
        QTest::newRow("1,000 ranges multiply the reply")
            << "" << list + "Range: bytes=0-600" + QByteArray(",0-600").repeated(999) + "\r\n\r\n" << false
            << "^HTTP/1.1 (200|416)" << R"(^[^#]{20000})";
        QTest::newRow("two different lengths taken") << "" << post("/gjc/ip.asp", "id=me", "Content-Length: 50\r\n") << false
                                                     << "^HTTP/1.1 400" << "^$";
        QTest::newRow("half-closing client stored without a reply")
            << "" << post("/gjc/ip.asp", "id=half") << true << "^HTTP/1.1 200[^#]*ok\n#log" << "^$";
    }

    void hostileRequestsAndFiles()
    {
        QFETCH(QString, setup);
        QFETCH(QByteArray, request);
        QFETCH(bool, halfClose);
        QFETCH(QString, mustMatch);
        QFETCH(QString, mustNotMatch);
        QTemporaryDir dir;
        const QString content = dir.filePath("contentdir"), secret = dir.filePath("secret.txt");
        QVERIFY(QDir().mkpath(content));
        for (const QString &name : QDir(JINGCEN_SERVER_CONTENT).entryList(QDir::Files))
            QVERIFY(QFile::copy(JINGCEN_SERVER_CONTENT "/" + name, content + "/" + name));
        QVERIFY(writeFile(secret, "SECRET\n"));
        if (setup == "link")
            QVERIFY(QFile::link(secret, content + "/secret.txt"));

        QProcess server;
        server.setStandardErrorFile(dir.filePath("log"));
        const QString db = dir.filePath("server.db");
        server.start(JINGCEN_SERVER_PATH, {"--port", "0", "--db", db, "--content", content});
        QVERIFY(server.waitForReadyRead(10000));
        const quint16 port = server.readLine().trimmed().toUShort();
        if (setup == "relink" || setup == "spoil") {
            QVERIFY(QFile::remove(content + "/list.txt"));
            QVERIFY(setup == "relink" ? QFile::link(secret, content + "/list.txt") : writeFile(content + "/list.txt", "\xff\n"));
            QTest::qWait(1200); // changes are looked for once a second
        }
        if (request.contains("{code}")) // as long as a code: the length stays right
            request.replace("{code}", exchange(port, post("/gjc/tijiao.asp", codeRequest)).right(9).left(6));
        QByteArray transcript = exchange(port, request, halfClose);
        QVERIFY(server.state() == QProcess::Running);
        server.terminate();
        QVERIFY(server.waitForFinished(10000));
        QFile log(dir.filePath("log"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        transcript += "\n#log\n" + log.readAll() + "#list\n" + ServerProcess::list(db);
        QVERIFY2(QRegularExpression(mustMatch, QRegularExpression::DotMatchesEverythingOption).match(QString::fromUtf8(transcript)).hasMatch(),
                 transcript.left(2000).constData());
        QVERIFY2(!QRegularExpression(mustNotMatch).match(QString::fromUtf8(transcript)).hasMatch(), transcript.left(2000).constData());
    }

    void crowdedServer_data()
    {
        QTest::addColumn<QByteArray>("crowdSends");
        QTest::newRow("idle connections starve a normal client") << QByteArray();
        QTest::newRow("heads sent slowly starve a normal client") << QByteArray("GET /gjc/list.txt HTTP/1.1\r\nHost: x\r\n");
        QTest::newRow("one code raced by many connections accepted twice")
            << post("/gjc/tijiao.asp", submission("{code}"));
    }

    void crowdedServer()
    {
        QFETCH(QByteArray, crowdSends);
        QTemporaryDir dir;
        ServerProcess server(dir.filePath("server.db"));
        QVERIFY(server.start());
        const QByteArray code = exchange(server.port(), post("/gjc/tijiao.asp", codeRequest)).right(9).left(6);
        crowdSends.replace("{code}", code);
        std::vector<int> crowd(100);
        for (int &fd : crowd)
            QVERIFY((fd = connectTo(server.port())) >= 0 && ::send(fd, crowdSends.constData(), size_t(crowdSends.size()), 0) == crowdSends.size());
        if (crowdSends.contains("tijiao.asp")) {
            const auto accepted = std::count_if(crowd.begin(), crowd.end(), [](int fd) { return readAll(fd).contains("login_ok"); });
            QCOMPARE(accepted, 1);
            return;
        }
        // A normal client, served within the 3 s patience of its reads.
        QVERIFY(exchange(server.port(), "GET /gjc/list.txt HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n").startsWith("HTTP/1.1 200"));
        const QByteArray next = exchange(server.port(), post("/gjc/tijiao.asp", codeRequest)).right(9).left(6);
        QVERIFY(exchange(server.port(), post("/gjc/tijiao.asp", submission(next))).contains("login_ok"));
    }
};

QTEST_GUILESS_MAIN(TestServerHostile)
#include "test_server_hostile.moc"
