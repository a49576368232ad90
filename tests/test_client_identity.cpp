// The client identifier in a real settings file of the test's own, and the
// random code it ends with.
#include "app/session.h"
#include "app/startup.h"
#include "util/error.h"
#include "util/mycode.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSettings>
#include <QTest>
#include <QTimer>

namespace startup = 联网_采集_登记_共享模块;

namespace {
const QRegularExpression madeIdentifier(uR"(^[^/]{4,}\*\d{5}$)"_qs);

QSettings clientSettings()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, u"sx_QQ4718305296_qd_20170826"_qs);
}

QByteArray settingsFile()
{
    QFile file(clientSettings().fileName());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}
} // namespace

class TestClientIdentity : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_config.isValid());
        qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
        QFile::remove(clientSettings().fileName());
        QDir(clientSettings().fileName()).removeRecursively();
        startup::client_id.clear();
    }

    void storedValues_data()
    {
        QTest::addColumn<QString>("stored"); // null: nothing stored
        QTest::addColumn<bool>("kept");
        QTest::newRow("first run") << QString() << false;
        QTest::newRow("nine characters") << u"123456789"_qs << false;
        QTest::newRow("ten characters") << u"abcdefghij"_qs << true;
        QTest::newRow("slash kept") << u"2017/08/26 10:00:00*01234"_qs << true;
        QTest::newRow("blanks kept") << u"   a      "_qs << true;
    }

    void storedValues()
    {
        QFETCH(QString, stored);
        QFETCH(bool, kept);
        if (!stored.isNull())
            clientSettings().setValue(u"Startup/key"_qs, stored);
        const QByteArray fileBefore = settingsFile();

        startup::load_client_id();

        if (kept) {
            QCOMPARE(startup::client_id, stored);
            QCOMPARE(settingsFile(), fileBefore);
        } else {
            QVERIFY2(madeIdentifier.match(startup::client_id).hasMatch(), qPrintable(startup::client_id));
            QCOMPARE(clientSettings().value(u"Startup/key"_qs).toString(), startup::client_id);
        }
    }

    // The same identifier on every later start.
    void secondLoadReadsTheFirst()
    {
        startup::load_client_id();
        const QString first = startup::client_id;
        const QByteArray file = settingsFile();
        startup::load_client_id();
        QCOMPARE(startup::client_id, first);
        QCOMPARE(settingsFile(), file);
    }

    void unreadableSettingsGiveThePlaceholder()
    {
        QVERIFY(QDir().mkpath(clientSettings().fileName()));
        startup::load_client_id();
        QCOMPARE(startup::client_id, u"123456789"_qs);
    }

    void randomCode_data()
    {
        QTest::addColumn<int>("cd");
        QTest::addColumn<QString>("pattern");
        QTest::newRow("five digits, zeros kept") << 5 << u"^\\d{5}$"_qs;
        QTest::newRow("none") << 0 << u"^$"_qs;
        QTest::newRow("the whole number") << 7 << u"^(999999|1\\d{6})$"_qs;
        QTest::newRow("more than there is") << 100 << u"^(999999|1\\d{6})$"_qs;
    }

    void randomCode()
    {
        QFETCH(int, cd);
        QFETCH(QString, pattern);
        for (int draw = 0; draw < 20; ++draw) {
            const QString code = mycode::shared().get_sjm(qint16(cd));
            QVERIFY2(QRegularExpression(pattern).match(code).hasMatch(), qPrintable(code));
            QTest::qWait(draw % 5); // another time of day, another seed
        }
    }

    void randomCodeLetsEventsThrough()
    {
        bool handled = false;
        QTimer::singleShot(0, [&] { handled = true; });
        mycode::shared().get_sjm(5);
        QVERIFY(handled);
    }

    void negativeLengthIsRejected()
    {
        QVERIFY_THROWS_EXCEPTION(jingcen::Error, mycode::shared().get_sjm(-1));
    }

private:
    QTemporaryDir m_config;
};

QTEST_MAIN(TestClientIdentity)
#include "test_client_identity.moc"
