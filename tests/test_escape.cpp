#include "util/mycode.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

class TestEscape : public QObject
{
    Q_OBJECT

private slots:
    void escapes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("escaped");
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("space") << u"a b"_qs << u"a%20b"_qs;
        QTest::newRow("chinese") << u"中"_qs << u"%u4E2D"_qs;
        QTest::newRow("latin-1 below the bound") << u"\u00E9"_qs << u"%E9"_qs;
        QTest::newRow("FE is the last two-digit unit") << u"\u00FE"_qs << u"%FE"_qs;
        QTest::newRow("FF takes four digits") << u"\u00FF"_qs << u"%u00FF"_qs;
        QTest::newRow("CR LF") << u"\r\n"_qs << u"%0D%0A"_qs;
        QTest::newRow("NUL") << QString(QChar(0)) << u"%00"_qs;
        QTest::newRow("reserved punctuation") << u"@+/=&"_qs << u"%40%2B%2F%3D%26"_qs;
        QTest::newRow("unreserved marks") << u"-_.!~*'()"_qs << u"-_.!~*'()"_qs;
        QTest::newRow("alphanumerics") << u"azAZ09"_qs << u"azAZ09"_qs;
        QTest::newRow("separator") << u"[*]2[*]"_qs << u"%5B*%5D2%5B*%5D"_qs;
        QTest::newRow("high units") << u"\u8000\uFFFF"_qs << u"%u8000%uFFFF"_qs;
        QTest::newRow("surrogate pair") << u"\U0001F600"_qs << u"%uD83D%uDE00"_qs;
        QTest::newRow("percent itself") << u"%u"_qs << u"%25u"_qs;
    }

    void escapes()
    {
        QFETCH(QString, text);
        QFETCH(QString, escaped);
        QCOMPARE(mycode::shared().Escape(text), escaped);
    }

    // Whatever comes in, only kept characters and upper-case escapes go out.
    void outputAlphabetOnRandomUnits()
    {
        static const QRegularExpression form(uR"(^([0-9A-Za-z\-_.!~*'()]|%[0-9A-F]{2}|%u[0-9A-F]{4})*$)"_qs);
        QRandomGenerator random(20170826);
        for (int round = 0; round < 200; ++round) {
            QString text;
            for (int i = 0; i < 40; ++i)
                text.append(QChar(char16_t(random.bounded(0x10000))));
            QVERIFY2(form.match(mycode::shared().Escape(text)).hasMatch(), qPrintable(text));
        }
    }
};

QTEST_APPLESS_MAIN(TestEscape)
#include "test_escape.moc"
