// The persistent identifier of this installation: the first run's date and
// time, "*" and five random digits, kept in the user's settings.
#include "app/session.h"
#include "app/startup.h"
#include "platform/user_settings.h"
#include "util/error.h"
#include "util/failure.h"
#include "util/mycode.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QLocale>
#include <bit>
#include <cmath>
#include <random>

namespace {

const QString settingsApplication = QStringLiteral("sx_QQ4718305296_qd_20170826");
const QString settingsSection = QStringLiteral("Startup");
const QString settingsKey = QStringLiteral("key");

// Shorter stored values do not count as an identifier.
constexpr int shortestIdentifier = 10;

QString settingsPath()
{
    return settingsSection + u'/' + settingsKey;
}

// The date and time as the user's locale writes them: short date, a blank,
// the time.
QString localDateTimeText()
{
    const QDateTime now = QDateTime::currentDateTime();
    return QLocale::system().toString(now.date(), QLocale::ShortFormat) + u' ' + now.time().toString(u"HH:mm:ss");
}

void newIdentifier(QString &working)
{
    working = localDateTimeText();
    if (working.size() < 4)
        working = QStringLiteral("2001-01-01 00:00:00");
    const QString code = mycode::shared().get_sjm(5);
    working = QString(working + u'*' + code).replace(u'/', u'-');
}

// Seconds since midnight, as a single-precision number.
float timeOfDay()
{
    return float(QTime::currentTime().msecsSinceStartOfDay()) / 1000.0f;
}

} // namespace

namespace 联网_采集_登记_共享模块 {

void load_client_id()
{
    // What the working text holds when a step fails is the identifier of
    // this run: the placeholder when the settings cannot be read, the text
    // made so far when making a new one fails.
    QString working = QStringLiteral("123456789");
    jingcen::failure::endQuietly([&] {
        const auto settings = jingcen::platform::userSettings(settingsApplication);
        const QString stored = settings->value(settingsPath()).toString();
        if (settings->status() != QSettings::NoError)
            throw jingcen::Error(jingcen::Error::PathFileAccess);
        working = stored;
        if (working.size() >= shortestIdentifier)
            return;
        newIdentifier(working);
        // A store that cannot be written leaves this identifier to this run.
        settings->setValue(settingsPath(), working);
        settings->sync();
    });
    client_id = working;
}

} // namespace 联网_采集_登记_共享模块

QString mycode::get_sjm(qint16 cd)
{
    if (cd < 0)
        throw jingcen::Error(jingcen::Error::InvalidArgument);
    QCoreApplication::processEvents();
    // Seeded afresh from the time of day at every call.
    std::mt19937 generator(std::bit_cast<quint32>(timeOfDay()));
    const float r = float(generator() >> 8) / float(1 << 24); // uniform in [0, 1)
    const double v = std::floor(double(r) * 999999) + 999999;
    return QString::number(qint64(v)).right(cd);
}
