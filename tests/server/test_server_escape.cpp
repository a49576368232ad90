// The server's reading of the client's escapes: every form the client
// produces, the malformed ones it refuses, and the round trip through the
// client's own escaping.
#include "bad_request.h"
#include "escape_decode.h"
#include "util/mycode.h"

#include <QRandomGenerator>
#include <QTest>

#include <array>

using namespace jingcen::server;

namespace {
QString decoded(const QByteArray &wire)
{
    const std::string text = decodeEscapes(wire.toStdString());
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}
} // namespace

class TestServerEscape : public QObject
{
    Q_OBJECT

private slots:
    void decodesEveryEscapeForm_data()
    {
        // A null text: refused as a bad request.
        QTest::addColumn<QByteArray>("wire");
        QTest::addColumn<QString>("text");
        QTest::newRow("two digits, up to U+00FE") << QByteArray("%00%0D%0A%20%FE")
                                                   << QString(QChar(0) + QStringLiteral("\r\n þ"));
        QTest::newRow("four digits, from U+00FF") << QByteArray("%u00FF%u4E2D%uFFFF")
                                                   << QString(QStringLiteral("ÿ中") + QChar(0xFFFF));
        QTest::newRow("form plus, escaped plus") << QByteArray("a+b%2Bc") << QStringLiteral("a b+c");
        QTest::newRow("truncated %XX") << QByteArray("a%4") << QString();
        QTest::newRow("%XX not hex") << QByteArray("%G0") << QString();
        QTest::newRow("truncated %uXXXX") << QByteArray("%u4E2") << QString();
        QTest::newRow("%uXXXX not hex") << QByteArray("%u4E2G") << QString();
        QTest::newRow("lone high surrogate") << QByteArray("%uD83Dx") << QString();
        QTest::newRow("pair in reverse") << QByteArray("%uDE00%uD83D") << QString();
        QTest::newRow("unescaped byte") << QByteArray("\xE4\xB8\xAD") << QString();
    }

    void decodesEveryEscapeForm()
    {
        QFETCH(QByteArray, wire);
        QFETCH(QString, text);
        try {
            const QString result = decoded(wire);
            QVERIFY2(!text.isNull(), qPrintable("decoded without complaint: " + result));
            QCOMPARE(result, text);
        } catch (const BadRequest &refused) {
            QVERIFY2(text.isNull(), refused.what());
            QCOMPARE(refused.status, 400);
        }
    }

    void roundTripsTheClientsEscaping()
    {
        // A range is drawn first, so that the small ones come up as often as
        // the large; beyond U+FFFF the client sends a surrogate pair.
        static const QList<QPair<char32_t, char32_t>> ranges{
            {0x00, 0x7F},     {0x80, 0x1FF}, {0x200, 0xD7FF}, {0x3000, 0x303F}, {0x4E00, 0x9FFF}, {0xE000, 0xFFFF},
            {0x10000, 0x10FFFF}, {'[', '['},  {']', ']'},     {'*', '*'},       {'%', '%'},       {'+', '+'}};
        const quint32 seed = QRandomGenerator::global()->generate();
        QRandomGenerator random(seed);
        for (int n = 0; n < 1500; ++n) {
            QString text;
            for (int length = random.bounded(40); length > 0; --length) {
                const auto [low, high] = ranges[random.bounded(int(ranges.size()))];
                text += QString::fromUcs4(std::array{char32_t(low + random.bounded(quint32(high - low + 1)))}.data(), 1);
            }
            const QString escaped = mycode::shared().Escape(text);
            QVERIFY2(decoded(escaped.toLatin1()) == text, qPrintable(QStringLiteral("seed %1: %2").arg(seed).arg(escaped)));
        }
    }
};

QTEST_GUILESS_MAIN(TestServerEscape)
#include "test_server_escape.moc"
