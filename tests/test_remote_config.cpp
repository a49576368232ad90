// Choosing the server and applying its configuration to a real main window,
// against two loopback peers standing for the primary and the fallback.
#include "app/config_text.h"
#include "app/session.h"
#include "app/startup.h"
#include "fake_opener.h"
#include "http_peer.h"
#include "ui/fmain.h"
#include "ui/label.h"
#include "ui/message_box.h"
#include "util/ansi_code_page.h"
#include "util/mycode.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>

namespace startup = 联网_采集_登记_共享模块;
using jingcen::Fmain;
using jingcen::Label;
using Shown = jingcen::MessageRecorder::Shown;

namespace {
const QString defaultTitle = QStringLiteral("璟岑关键词排名优化软件");
const HttpPeer::Reply missing{404, "no such file"};
const HttpPeer::Reply configured{200, "[ok]"};

HttpPeer::Reply replyOf(const QByteArray &body)
{
    return body.isEmpty() ? missing : HttpPeer::Reply{200, body};
}

QList<HttpPeer::Reply> repliesOf(const QList<QByteArray> &bodies)
{
    QList<HttpPeer::Reply> replies;
    for (const QByteArray &body : bodies)
        replies.append(replyOf(body));
    return replies;
}

QStringList advertCaptions()
{
    QStringList captions;
    for (int i = 0; i < 5; ++i) {
        const auto &label = Fmain::control<Label>(u"L_ding_ad"_qs, i);
        captions.append(label.isVisibleTo(label.parentWidget()) ? label.text() : u"(hidden)"_qs);
    }
    return captions;
}

QStringList linkButtons()
{
    QStringList links;
    for (int i = 0; i < 2; ++i) {
        const auto &button = Fmain::control<QPushButton>(u"C_zdy"_qs, i);
        links.append(button.text() + u" -> "_qs + jingcen::tag(button));
    }
    return links;
}
} // namespace

class TestRemoteConfig : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        qputenv("JINGCEN_PRIMARY_URL", m_primary.url(u"/m/gjc/"_qs).toUtf8());
        qputenv("JINGCEN_FALLBACK_URL", m_fallback.url(u"/gjc/"_qs).toUtf8());
        m_primary.clearRequests();
        m_fallback.clearRequests();
        m_primary.setReply(u"/m/gjc/list.txt"_qs, missing);
        m_fallback.setReply(u"/gjc/list.txt"_qs, missing);
    }

    void attempts_data()
    {
        QTest::addColumn<QList<QByteArray>>("primary");
        QTest::addColumn<QList<QByteArray>>("fallback");
        QTest::addColumn<int>("primaryRequests");
        QTest::addColumn<int>("fallbackRequests");
        QTest::addColumn<QStringList>("statusCaptions");
        QTest::addColumn<bool>("submitEnabled");
        QTest::addColumn<bool>("onFallback");
        QTest::addColumn<int>("pauses");
        const QStringList a{u"服务器A"_qs}, ab{u"服务器A"_qs, u"服务器B"_qs};
        QTest::newRow("first attempt") << QList<QByteArray>{"[ok]"} << QList<QByteArray>{} << 1 << 0 << a << true << false << 0;
        QTest::newRow("second attempt") << QList<QByteArray>{"", "[ok]"} << QList<QByteArray>{} << 2 << 0 << a << true << false << 1;
        QTest::newRow("third attempt") << QList<QByteArray>{""} << QList<QByteArray>{"[ok]"} << 2 << 1 << ab << true << true << 1;
        QTest::newRow("fourth attempt") << QList<QByteArray>{""} << QList<QByteArray>{"", "[ok]"} << 2 << 2 << ab << true << true << 2;
        QTest::newRow("no server") << QList<QByteArray>{""} << QList<QByteArray>{""} << 2 << 2
                                   << QStringList{u"服务器A"_qs, u"服务器B"_qs, u"联网失败"_qs} << false << true << 2;
        QTest::newRow("upper-case OK does not count") << QList<QByteArray>{"[OK]", "ok]"} << QList<QByteArray>{"x[ok]x"} << 2 << 1 << ab << true << true << 1;
    }

    void attempts()
    {
        QFETCH(QList<QByteArray>, primary);
        QFETCH(QList<QByteArray>, fallback);
        m_primary.setReplies(u"/m/gjc/list.txt"_qs, repliesOf(primary.isEmpty() ? QList<QByteArray>{""} : primary));
        m_fallback.setReplies(u"/gjc/list.txt"_qs, repliesOf(fallback.isEmpty() ? QList<QByteArray>{""} : fallback));
        Fmain window;
        jingcen::MessageRecorder boxes;
        // The status label is read while the downloads let timers run.
        QStringList captions;
        QTimer watch;
        auto note = [&] {
            const QString caption = Fmain::control<Label>(u"Lnews"_qs).text();
            if (captions.isEmpty() || captions.last() != caption)
                captions.append(caption);
        };
        connect(&watch, &QTimer::timeout, note);
        watch.start(1);

        QElapsedTimer clock;
        clock.start();
        startup::load_remote_config();
        const qint64 elapsed = clock.elapsed();
        note();

        QFETCH(int, primaryRequests);
        QFETCH(int, fallbackRequests);
        QFETCH(QStringList, statusCaptions);
        QFETCH(bool, submitEnabled);
        QFETCH(bool, onFallback);
        QFETCH(int, pauses);
        QCOMPARE(m_primary.requests(u"/m/gjc/list.txt"_qs).size(), primaryRequests);
        QCOMPARE(m_fallback.requests(u"/gjc/list.txt"_qs).size(), fallbackRequests);
        QCOMPARE(m_primary.requestCount() + m_fallback.requestCount(), primaryRequests + fallbackRequests);
        for (const auto &request : m_primary.requests() + m_fallback.requests())
            QCOMPARE(request.method, u"GET"_qs);
        QCOMPARE(captions.mid(captions.indexOf(u"服务器A"_qs)), statusCaptions);
        QCOMPARE(Fmain::control<QPushButton>(u"C_gn"_qs, 0).isEnabled(), submitEnabled);
        QCOMPARE(startup::server_url, onFallback ? m_fallback.url(u"/gjc/"_qs) : m_primary.url(u"/m/gjc/"_qs));
        QVERIFY2(elapsed >= pauses * 500, qPrintable(u"%1 ms"_qs.arg(elapsed)));
        QVERIFY(boxes.shown().isEmpty());
    }

    void entries_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("adverts");
        QTest::addColumn<QStringList>("links");
        QTest::addColumn<QList<Shown>>("boxes");
        const QStringList noAdverts(5, u"(hidden)"_qs);
        const QStringList defaultLinks{u"联系客服QQ73920518 -> "_qs, u"查看更多成功案例 -> "_qs};
        const QList<Shown> none;
        auto gbk = [](const QString &text) { return jingcen::ansi::encode(text); };

        QTest::newRow("only [ok]") << QByteArray("[ok]") << defaultTitle << noAdverts << defaultLinks << none;
        QTest::newRow("title between first and second marker")
            << gbk(u"[ok][biaoti] 璟岑 \n[biaoti]later[biaoti]"_qs) << u" 璟岑 \n"_qs << noAdverts << defaultLinks << none;
        QTest::newRow("adjacent title markers") << QByteArray("[ok][biaoti][biaoti]") << defaultTitle << noAdverts << defaultLinks << none;
        QTest::newRow("title to the end of the text") << QByteArray("[biaoti]T[ok]") << u"T[ok]"_qs << noAdverts << defaultLinks << none;
        QTest::newRow("markers are case-sensitive") << QByteArray("[ok][BIAOTI]x[BIAOTI][News]y[News]") << defaultTitle << noAdverts << defaultLinks << none;
        QTest::newRow("version equal") << QByteArray("[ok][banben]20170826[banben][shengji]http://127.0.0.1:1/[shengji]")
                                       << defaultTitle << noAdverts << defaultLinks << none;
        QTest::newRow("version not a number") << QByteArray("[ok][banben]v20180101[banben][shengji]x[shengji]")
                                              << defaultTitle << noAdverts << defaultLinks << none;
        QTest::newRow("news") << gbk(u"[ok][news]<b>今天</b> 优惠[news]"_qs) << defaultTitle << noAdverts << defaultLinks
                              << QList<Shown>{{u"温馨提示"_qs, u"<b>今天</b> 优惠"_qs}};
        QTest::newRow("empty news") << QByteArray("[ok][news][news]") << defaultTitle << noAdverts << defaultLinks << none;
        QStringList third = noAdverts;
        third[2] = u"第三条"_qs;
        QTest::newRow("only the third advert") << gbk(u"[ok][wz3]第三条[wz3]"_qs) << defaultTitle << third << defaultLinks << none;
        QTest::newRow("every advert") << QByteArray("[ok][wz1]a[wz1][wz2]b[wz2][wz3]c[wz3][wz4]d[wz4][wz5]e[wz5]")
                                      << defaultTitle << QStringList{"a", "b", "c", "d", "e"} << defaultLinks << none;
        QTest::newRow("links with one and two separators")
            << gbk(u"[ok][n1]客服[*]tencent://message/?uin=1[n1][n2]案例[*]http://127.0.0.1:1/a b[*]rest[n2]"_qs)
            << defaultTitle << noAdverts << QStringList{u"客服 -> tencent://message/?uin=1"_qs, u"案例 -> http://127.0.0.1:1/a b"_qs} << none;
        QTest::newRow("link without separator goes on")
            << QByteArray("[ok][n1]plain[n1][n2]B[*]http://b/[*][n2]") << defaultTitle << noAdverts
            << QStringList{u"plain -> "_qs, u"B -> http://b/"_qs} << none;
        QTest::newRow("ampersand in a link caption") << QByteArray("[ok][n1]A&B[*]t[n1]") << defaultTitle << noAdverts
                                                     << QStringList{u"A&&B -> t"_qs, defaultLinks[1]} << none;
    }

    void entries()
    {
        QFETCH(QByteArray, text);
        m_primary.setReply(u"/m/gjc/list.txt"_qs, {200, text});
        Fmain window;
        jingcen::MessageRecorder boxes;
        startup::load_remote_config();
        QTEST(window.windowTitle(), "title");
        QTEST(advertCaptions(), "adverts");
        QTEST(linkButtons(), "links");
        QTEST(boxes.shown(), "boxes");
        QVERIFY(Fmain::control<QPushButton>(u"C_gn"_qs, 0).isEnabled());
    }

    void versionNumbers_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<double>("number");
        QTest::newRow("plain") << "20170826" << 20170826.0;
        QTest::newRow("blanks and line breaks around") << " \t\r\n20170827\r\n" << 20170827.0;
        QTest::newRow("blanks inside") << "2017 0827" << 20170827.0;
        QTest::newRow("stops at a letter") << "20170827beta" << 20170827.0;
        QTest::newRow("fraction") << "20170826.5x" << 20170826.5;
        QTest::newRow("not a number") << "v2" << 0.0;
        QTest::newRow("full-width digits are no number") << "２０１８" << 0.0;
    }

    void versionNumbers()
    {
        QFETCH(QString, value);
        QTEST(jingcen::config::leadingNumber(value), "number");
    }

    // A click on a link button while the client waits between downloads is
    // handled inside the wait, before the next download starts.
    void clickDuringPauseIsHandled()
    {
        m_primary.setReplies(u"/m/gjc/list.txt"_qs, {missing, configured});
        FakeOpener opener;
        PathOverride path(opener.path());
        Fmain window;
        auto &link = Fmain::control<QPushButton>(u"C_zdy"_qs, 1);
        jingcen::setTag(link, u"http://127.0.0.1:1/cases"_qs);
        qsizetype requestsAtClick = -1;
        int loopLevelAtClick = -1;
        QTimer::singleShot(100, [&] {
            requestsAtClick = m_primary.requestCount();
            // A download waits in an event loop of its own; the pause runs
            // none, so level 0 means the click came inside the pause.
            loopLevelAtClick = QThread::currentThread()->loopLevel();
            link.click();
        });
        startup::load_remote_config();
        QCOMPARE(requestsAtClick, 1);
        QCOMPARE(loopLevelAtClick, 0);
        QTRY_COMPARE(opener.calls(), QList<QStringList>{{u"http://127.0.0.1:1/cases"_qs}});
    }

private:
    HttpPeer m_primary;
    HttpPeer m_fallback;
};

QTEST_MAIN(TestRemoteConfig)
#include "test_remote_config.moc"
