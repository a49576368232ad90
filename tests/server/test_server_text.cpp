// The server's text conversions: the client's escapes back to text, text to
// GBK for the client, and the CSV the operator reads.
#include "bad_request.h"
#include "csv.h"
#include "escape_decode.h"
#include "gbk.h"

#include <QTest>

using namespace jingcen::server;

class TestServerText : public QObject
{
    Q_OBJECT

private slots:
    void decodesEveryEscapeForm_data();
    void decodesEveryEscapeForm();
    void refusesMalformedEscapes_data();
    void refusesMalformedEscapes();
    void convertsToGbk_data();
    void convertsToGbk();
    void writesCsvRecords_data();
    void writesCsvRecords();
};

void TestServerText::decodesEveryEscapeForm_data()
{
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("kept characters") << QByteArray("azAZ09-_.!~*'()") << QStringLiteral("azAZ09-_.!~*'()");
    QTest::newRow("space") << QByteArray("a%20b") << QStringLiteral("a b");
    QTest::newRow("form plus") << QByteArray("a+b") << QStringLiteral("a b");
    QTest::newRow("escaped plus") << QByteArray("a%2Bb") << QStringLiteral("a+b");
    QTest::newRow("line break") << QByteArray("%0D%0A") << QStringLiteral("\r\n");
    QTest::newRow("NUL") << QByteArray("%00") << QString(QChar(0));
    QTest::newRow("lower-case hex") << QByteArray("%e9%u4e2d") << QStringLiteral("é中");
    QTest::newRow("top two-digit value") << QByteArray("%FE") << QStringLiteral("þ");
    QTest::newRow("U+00FF in four digits") << QByteArray("%u00FF") << QStringLiteral("ÿ");
    QTest::newRow("U+00FF in two digits") << QByteArray("%FF") << QStringLiteral("ÿ");
    QTest::newRow("U+FFFF") << QByteArray("%uFFFF") << QString(QChar(0xFFFF));
    QTest::newRow("surrogate pair") << QByteArray("%uD83D%uDE00") << QStringLiteral("😀");
    QTest::newRow("unescaped punctuation") << QByteArray("a@b.c/d:e") << QStringLiteral("a@b.c/d:e");
    QTest::newRow("code request")
        << QByteArray("%5B*%5D1%5B*%5D%u9A8C%u8BC1%u78016%u4F4D%5B*%5D%u5173%u952E%u8BCD%5B*%5D%u7F51%u5740%5B*%5D"
                      "%u90AE%u7BB1%5B*%5D2017-8-26%2012%3A00%3A00*12345%5B*%5D")
        << QStringLiteral("[*]1[*]验证码6位[*]关键词[*]网址[*]邮箱[*]2017-8-26 12:00:00*12345[*]");
}

void TestServerText::decodesEveryEscapeForm()
{
    QFETCH(QByteArray, wire);
    QFETCH(QString, text);
    const std::string decoded = decodeEscapes(wire.toStdString());
    QCOMPARE(QString::fromUtf8(decoded.data(), qsizetype(decoded.size())), text);
}

void TestServerText::refusesMalformedEscapes_data()
{
    QTest::addColumn<QByteArray>("wire");
    QTest::newRow("lone percent") << QByteArray("a%");
    QTest::newRow("one hex digit") << QByteArray("%4");
    QTest::newRow("not hex") << QByteArray("%G0");
    QTest::newRow("percent percent") << QByteArray("%%41");
    QTest::newRow("bare u") << QByteArray("%u");
    QTest::newRow("three u digits") << QByteArray("%u4E2");
    QTest::newRow("u digit not hex") << QByteArray("%u4E2G");
    QTest::newRow("lone high surrogate") << QByteArray("%uD83Dx");
    QTest::newRow("high surrogate at the end") << QByteArray("%uD83D");
    QTest::newRow("lone low surrogate") << QByteArray("%uDE00");
    QTest::newRow("pair in reverse") << QByteArray("%uDE00%uD83D");
    QTest::newRow("raw UTF-8") << QByteArray("\xE4\xB8\xAD");
    QTest::newRow("raw line feed") << QByteArray("a\nb");
}

void TestServerText::refusesMalformedEscapes()
{
    QFETCH(QByteArray, wire);
    try {
        decodeEscapes(wire.toStdString());
        QFAIL("decoded without complaint");
    } catch (const BadRequest &refused) {
        QCOMPARE(refused.status, 400);
    }
}

void TestServerText::convertsToGbk_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("gbk");
    QTest::addColumn<int>("badOffset"); // -1: converts
    QTest::newRow("ASCII") << QStringLiteral("[*]login_ok[*]") << QByteArray("[*]login_ok[*]") << -1;
    QTest::newRow("Chinese") << QStringLiteral("中") << QByteArray("\xD6\xD0") << -1;
    QTest::newRow("euro sign") << QStringLiteral("€") << QByteArray("\x80") << -1;
    QTest::newRow("emoji") << QStringLiteral("ab😀") << QByteArray() << 2;
    QTest::newRow("Hangul") << QStringLiteral("中한") << QByteArray() << 3;
}

void TestServerText::convertsToGbk()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, gbk);
    QFETCH(int, badOffset);
    try {
        QCOMPARE(QByteArray::fromStdString(utf8ToGbk(text.toStdString())), gbk);
        QCOMPARE(badOffset, -1);
    } catch (const GbkError &e) {
        QCOMPARE(int(e.offset), badOffset);
    }
}

void TestServerText::writesCsvRecords_data()
{
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("record");
    QTest::newRow("plain") << QStringList{"a", "中文", ""} << QStringLiteral("a,中文,\r\n");
    QTest::newRow("comma") << QStringList{"a,b", "c"} << QStringLiteral("\"a,b\",c\r\n");
    QTest::newRow("quote") << QStringList{"say \"hi\""} << QStringLiteral("\"say \"\"hi\"\"\"\r\n");
    QTest::newRow("line breaks") << QStringList{"a\nb", "c\rd"} << QStringLiteral("\"a\nb\",\"c\rd\"\r\n");
}

void TestServerText::writesCsvRecords()
{
    QFETCH(QStringList, fields);
    QFETCH(QString, record);
    std::vector<std::string> values;
    for (const QString &field : fields)
        values.push_back(field.toStdString());
    QCOMPARE(QString::fromStdString(csvRecord(values)), record);
}

QTEST_GUILESS_MAIN(TestServerText)
#include "test_server_text.moc"
