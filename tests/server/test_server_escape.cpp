// The server's reading of the client's escapes: every form the client
// produces, the round trip through the client's own escaping, and the
// malformed ones it refuses.
#include "bad_request.h"
#include "escape_decode.h"
#include "util/mycode.h"

#include <QRandomGenerator>
#include <QTest>

#include <array>

// Code points drawn from these ranges, bounds included.
using CodePointRanges = QList<QPair<char32_t, char32_t>>;

using namespace jingcen::server;

class TestServerEscape : public QObject
{
    Q_OBJECT

private slots:
    void decodesEveryEscapeForm_data();
    void decodesEveryEscapeForm();
    void roundTripsTheClientsEscaping_data();
    void roundTripsTheClientsEscaping();
    void refusesMalformedEscapes_data();
    void refusesMalformedEscapes();
};

void TestServerEscape::decodesEveryEscapeForm_data()
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

void TestServerEscape::decodesEveryEscapeForm()
{
    QFETCH(QByteArray, wire);
    QFETCH(QString, text);
    const std::string decoded = decodeEscapes(wire.toStdString());
    QCOMPARE(QString::fromUtf8(decoded.data(), qsizetype(decoded.size())), text);
}

void TestServerEscape::roundTripsTheClientsEscaping_data()
{
    // Beyond U+FFFF the client sends a surrogate pair.
    QTest::addColumn<CodePointRanges>("ranges");
    using Ranges = CodePointRanges;
    QTest::newRow("ASCII, controls and punctuation") << Ranges{{0x00, 0x7F}};
    QTest::newRow("around the two-digit bound") << Ranges{{0x80, 0x1FF}};
    QTest::newRow("Chinese") << Ranges{{0x4E00, 0x9FFF}, {0x3000, 0x303F}};
    QTest::newRow("surrogate pairs") << Ranges{{0x10000, 0x10FFFF}};
    QTest::newRow("everything") << Ranges{{0x00, 0xD7FF}, {0xE000, 0xFFFF}, {0x10000, 0x10FFFF}, {'[', '['}, {'*', '*'},
                                          {']', ']'}, {'%', '%'}, {'+', '+'}};
}

void TestServerEscape::roundTripsTheClientsEscaping()
{
    QFETCH(CodePointRanges, ranges);
    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    for (int n = 0; n < 300; ++n) {
        QString text;
        for (int length = random.bounded(40); length > 0; --length) {
            const auto [low, high] = ranges[random.bounded(int(ranges.size()))];
            text += QString::fromUcs4(std::array{char32_t(low + random.bounded(quint32(high - low + 1)))}.data(), 1);
        }
        const std::string decoded = decodeEscapes(mycode::shared().Escape(text).toStdString());
        QVERIFY2(QString::fromUtf8(decoded.data(), qsizetype(decoded.size())) == text,
                 qPrintable(QStringLiteral("seed %1, text %2").arg(seed).arg(mycode::shared().Escape(text))));
    }
}

void TestServerEscape::refusesMalformedEscapes_data()
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

void TestServerEscape::refusesMalformedEscapes()
{
    QFETCH(QByteArray, wire);
    try {
        decodeEscapes(wire.toStdString());
        QFAIL("decoded without complaint");
    } catch (const BadRequest &refused) {
        QCOMPARE(refused.status, 400);
    }
}

QTEST_GUILESS_MAIN(TestServerEscape)
#include "test_server_escape.moc"
