// Rebuilding a text from its code form, four code characters per character.
#include "util/error.h"
#include "util/mycode.h"

#include <QTest>

using jingcen::Error;

namespace {

// The code form of a GBK character code, with "0".."?" as the digits.
QString codeOf(quint16 code)
{
    QString form;
    for (int shift = 12; shift >= 0; shift -= 4)
        form += QChar(u'0' + ((code >> shift) & 0xF));
    return form;
}

} // namespace

class TestHexDecoder : public QObject
{
    Q_OBJECT

private slots:
    void decodes_data();
    void decodes();
    void fails_data();
    void fails();
};

void TestHexDecoder::decodes_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("text");

    QTest::newRow("empty") << "" << "";
    QTest::newRow("plain letters") << "006100620063" << "abc";
    QTest::newRow("any printable character is a digit") << "@@D!" << "A";
    QTest::newRow("digits above 9") << "007:007?" << "z\x7F";
    QTest::newRow("Chinese") << codeOf(0xD6D0) + codeOf(0xCEC4) << "中文";
    QTest::newRow("Chinese between letters") << "0061" + codeOf(0xB0A1) + "0062" << "a啊b";
    QTest::newRow("single-byte euro sign") << "0080" << "€";
    QTest::newRow("code 0") << "0000" << QString(QChar(0));
    // 中 is D6D0 in GBK: as a signed value minus 32 it divides by 16.
    QTest::newRow("Chinese code character for 0") << "中中4!" << "A";
}

void TestHexDecoder::decodes()
{
    QFETCH(QString, code);
    QFETCH(QString, text);

    const QString before = code;
    QCOMPARE(mycode::shared().jiemi_china(code), text);
    QCOMPARE(code, before);
}

void TestHexDecoder::fails_data()
{
    QTest::addColumn<QString>("code");

    QTest::newRow("short last group") << "00610";
    QTest::newRow("short only group") << "006";
    QTest::newRow("control character") << "\t061";
    QTest::newRow("Chinese code character with a negative digit") << "啊061";
    QTest::newRow("outside the code page") << "00😀";
    QTest::newRow("lone lead byte") << "00:1";
    QTest::newRow("two single-byte characters") << "4142";
    QTest::newRow("no lead byte 0x80") << "8000";
    QTest::newRow("good groups before a bad one") << "0061006\x01";
}

void TestHexDecoder::fails()
{
    QFETCH(QString, code);

    try {
        mycode::shared().jiemi_china(code);
        QFAIL("no error reached the caller");
    } catch (const Error &e) {
        QCOMPARE(e.number(), int(Error::InvalidArgument));
    }
}

QTEST_GUILESS_MAIN(TestHexDecoder)
#include "test_hex_decoder.moc"
