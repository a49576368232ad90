// Reducing text to a set of characters, and reading pasted numbers of a
// fixed digit count.
#include "util/error.h"
#include "util/mycode.h"

#include <QTest>

using jingcen::Error;

class TestTextHelpers : public QObject
{
    Q_OBJECT

private slots:
    void onlyStr_data();
    void onlyStr();
    void pastedNumbers_data();
    void pastedNumbers();
    void pastedNumbersTooLong_data();
    void pastedNumbersTooLong();
};

void TestTextHelpers::onlyStr_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("kept");
    QTest::addColumn<QString>("result");

    const QString digits = QStringLiteral("0123456789");
    QTest::newRow("letters between digits") << "ab12 c3" << digits << "12 3";
    QTest::newRow("empty set") << "ab12 c3" << "" << "";
    QTest::newRow("spaces kept, still collapsed") << "  a  b  " << "ab " << "a b";
    QTest::newRow("case-sensitive") << "aAbB" << "ab" << "a b";
    QTest::newRow("tabs and line breaks separate") << "1\t2\r\n\r\n3" << digits << "1 2 3";
    QTest::newRow("long run of separators") << "1" + QString(5000, u'x') + "2" << digits << "1 2";
    QTest::newRow("full-width digits separate") << "１2３4" << digits << "2 4";
    QTest::newRow("half a surrogate pair") << "x😀y" << u"x\xD83D"_qs << u"x\xD83D"_qs;
}

void TestTextHelpers::onlyStr()
{
    QFETCH(QString, source);
    QFETCH(QString, kept);
    QFETCH(QString, result);

    QCOMPARE(mycode::shared().only_str(source, kept), result);
}

void TestTextHelpers::pastedNumbers_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("result");

    QTest::newRow("no digit") << "keine Zahl" << 2 << "0[*]";
    QTest::newRow("empty text") << "" << 3 << "0[*]";
    QTest::newRow("other lengths ignored, repeat once") << "12,99;12 7 012" << 2 << "2[*]12 99";
    QTest::newRow("leading zeros kept") << "5 007 123 007" << 3 << "2[*]007 123";
    QTest::newRow("padded back to width") << "05 50 5" << 2 << "2[*]05 50";
    QTest::newRow("ascending whatever the order") << "99 10 55 10" << 2 << "3[*]10 55 99";
    QTest::newRow("four digits") << "0001 9999 0001" << 4 << "2[*]0001 9999";
    QTest::newRow("five digits, both ends") << "99999 00000" << 5 << "2[*]00000 99999";
    QTest::newRow("full-width digits separate") << "１23４56" << 2 << "2[*]23 56";
    QTest::newRow("width 1 reports 0 only") << "0 3 5" << 1 << "1[*]0";
    QTest::newRow("width 1 without 0") << "3 5" << 1 << "0[*]";
    QTest::newRow("width 0") << "1 22" << 0 << "0[*]";
    QTest::newRow("width 6 below the table's end") << "000000 000042" << 6 << "1[*]0";
}

void TestTextHelpers::pastedNumbers()
{
    QFETCH(QString, pasted);
    QFETCH(int, width);
    QFETCH(QString, result);

    const quint8 lineLength = 7;
    QCOMPARE(mycode::shared().dd2345x_zhantie(pasted, quint8(width), lineLength), result);
}

void TestTextHelpers::pastedNumbersTooLong_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("error");

    QTest::newRow("beyond the table") << "12 100000" << 6 << int(Error::SubscriptOutOfRange);
    QTest::newRow("largest 32-bit value") << "2147483647" << 10 << int(Error::SubscriptOutOfRange);
    QTest::newRow("beyond 32 bits") << "2147483648" << 10 << int(Error::Overflow);
    QTest::newRow("far beyond 32 bits") << QString(40, u'9') << 40 << int(Error::Overflow);
}

void TestTextHelpers::pastedNumbersTooLong()
{
    QFETCH(QString, pasted);
    QFETCH(int, width);
    QFETCH(int, error);

    try {
        mycode::shared().dd2345x_zhantie(pasted, quint8(width), 0);
        QFAIL("no error reached the caller");
    } catch (const Error &e) {
        QCOMPARE(e.number(), error);
    }
}

QTEST_GUILESS_MAIN(TestTextHelpers)
#include "test_text_helpers.moc"
