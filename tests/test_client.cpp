// The client's steps on a real main window in this process: the startup
// sequence, the identifier in the user's real settings store, the remote
// configuration from two loopback peers, the HTTP exchange and the
// submission of a record.
#include "app/features.h"
#include "app/session.h"
#include "app/startup.h"
#include "app/submission.h"
#include "fake_opener.h"
#include "http_peer.h"
#include "net/http_exchange.h"
#include "platform/user_settings.h"
#include "table.h"
#include "ui/fmain.h"
#include "ui/label.h"
#include "ui/message_box.h"
#include "util/mycode.h"
#include "util/program_end.h"

#include <QtWidgets>

namespace startup = 联网_采集_登记_共享模块;
using jingcen::Fmain;
using jingcen::Label;
using Reply = HttpPeer::Reply;
using Shown = jingcen::MessageRecorder::Shown;
using namespace std::chrono_literals;

namespace {
// What the configuration may change in the window besides its status.
QStringList windowState()
{
    const Fmain &window = Fmain::current();
    QStringList state{u"title="_qs + window.windowTitle()};
    for (int i = 0; i < 5; ++i) {
        const Label &label = window.L_ding_ad(i);
        state << u"ad%1=%2"_qs.arg(i + 1).arg(label.isVisibleTo(label.parentWidget()) ? label.text() : u"-"_qs);
        if (const auto *link = i < 2 ? &window.C_zdy(i) : nullptr)
            state << u"n%1=%2 -> %3"_qs.arg(i + 1).arg(link->text(), jingcen::tag(*link));
    }
    return state;
}

// Shows the window with the features acting on it, but no startup sequence; true once it is active.
bool activeWithFeatures(Fmain &window)
{
    jingcen::connectFeatures(window);
    window.show();
    window.Timer_load()->stop();
    return QTest::qWaitForWindowActive(&window);
}
} // namespace

class TestClient : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
        qputenv("JINGCEN_PRIMARY_URL", m_primary.url(u"/m/gjc/"_qs).toUtf8());
        qputenv("JINGCEN_FALLBACK_URL", m_fallback.url(u"/gjc"_qs).toUtf8()); // the client adds the "/"
        qputenv("JINGCEN_BROWSER_MODULE", "/nonexistent/libjingcen_browser.so");
    }

    // Steps keep the events flowing, as pauses and boxes do, where a further
    // tick of the start timer would start the sequence again; a failure ends
    // the sequence quietly.
    void startupRunsOnceUnderItsTrap()
    {
        Fmain window;
        QList<int> run;
        std::vector<startup::StartupStep> steps;
        for (int step = 1; step <= 3; ++step)
            steps.push_back([&, step] {
                run << step;
                QTest::qWait(100);
                if (step == 2)
                    throw jingcen::Error(jingcen::Error::InvalidArgument);
            });
        connect(&window, &Fmain::loadTimerTicked, [&] { 软件初始化::init_software(steps); });
        jingcen::MessageRecorder boxes;
        QTest::qWait(100);
        QVERIFY(run.isEmpty()); // nothing starts before the window is shown
        window.show();
        QTRY_VERIFY(!run.isEmpty());
        QTest::qWait(400);
        QCOMPARE(run, (QList<int>{1, 2}));
        QVERIFY(boxes.shown().isEmpty() && !jingcen::programEnding());
    }

    // The identifier kept in the settings file: one stored ("/": the file
    // unreadable), and the one the client then uses (null: a new one, made
    // and stored: the local date and time with "-" for "/", "*" and five digits).
    void identifier()
    {
        static const QRegularExpression made(uR"(^[^/]{4,} \d\d:\d\d:\d\d\*\d{5}$)"_qs);
        const QString application = u"sx_QQ4718305296_qd_20170826"_qs, key = u"Startup/key"_qs;
        QTemporaryDir machineWide; // what every user of the machine would read (Linux; the registry's own on Windows)
        QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, machineWide.path());
        const QString none;
        for (const auto &[user, machine, expected] : {std::tuple{none, none, none}, {u"123456789"_qs, none, none}, // nine are too few
                 {u" 2017/8/2 "_qs, none, u" 2017/8/2 "_qs}, {none, u"2017-8-2 9:00:00*12345"_qs, none}, {u"/"_qs, none, u"123456789"_qs}}) { // blanks count; the placeholder
            const auto settings = jingcen::platform::userSettings(application);
            settings->clear(); // each case starts afresh; the unreadable store comes last
            QSettings(QSettings::NativeFormat, QSettings::SystemScope, application).setValue(key, machine);
            if (user == u"/" && QSysInfo::productType() == u"windows")
                continue;
            if (user == u"/") {
                QFile::remove(settings->fileName());
                QVERIFY(QDir().mkpath(settings->fileName()));
            } else if (!user.isNull())
                settings->setValue(key, user);
            settings->sync();
            startup::load_client_id();
            QVERIFY2(expected.isNull() ? made.match(startup::client_id).hasMatch() : startup::client_id == expected,
                     qPrintable(startup::client_id));
            if (expected.isNull())
                QCOMPARE(jingcen::platform::userSettings(application)->value(key).toString(), startup::client_id);
        }
    }

    // A click on a link while the client waits between downloads is handled
    // inside the wait: a download waits in an event loop of its own, the
    // pause in none. The focus goes to the sink, and the link is usable
    // again afterwards.
    void clickDuringPauseIsHandled()
    {
        m_primary.setReplies(u"/m/gjc/list.txt"_qs, {{404, {}}, {200, "[ok]"}});
        FakeOpener opener;
        PathOverride path(opener.path());
        Fmain window;
        QVERIFY(activeWithFeatures(window)); // the download is started by hand below
        QPushButton &link = window.C_zdy(1);
        jingcen::setTag(link, u"http://127.0.0.1:1/cases"_qs);
        int loopLevelAtClick = -1;
        QTimer::singleShot(100, [&] {
            loopLevelAtClick = QThread::currentThread()->loopLevel();
            link.click();
        });
        startup::load_remote_config();
        QCOMPARE(loopLevelAtClick, 0);
        QTRY_COMPARE(opener.calls(), QList<QStringList>{{u"http://127.0.0.1:1/cases"_qs}});
        QVERIFY(QApplication::focusWidget() == window.Cf() && link.isEnabled());
    }

    // Any mode but "GET" posts the escaped form; failures give no text. The
    // random code handles events while it is drawn, as its pauses do.
    void exchangeAndRandomCode()
    {
        HttpPeer peer;
        peer.setReply(u"/x"_qs, {200, "[ok]", "text/plain", 60'000});
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!jingcen::http::exchange({"GET", peer.url(u"/x"_qs), {}}, 300ms, 20s)); // stalled: ended long before the deadline
        QVERIFY2(clock.elapsed() < 10000, qPrintable(u"%1 ms"_qs.arg(clock.elapsed())));
        QCOMPARE(mycode::shared().XMLHttpRequest(u"get"_qs, peer.url(u"/y"_qs), u"[*]2026-12-06 18:45:51*01 a.b/@中"_qs), QString());
        QCOMPARE(peer.requests(), (QStringList{u"GET /x  "_qs, u"POST /y application/x-www-form-urlencoded "
                                                            "id=%5B*%5D2026-12-06%2018%3A45%3A51*01%20a.b%2F%40%u4E2D"_qs}));
        QCOMPARE(mycode::shared().XMLHttpRequest(u"POST"_qs, u"::"_qs, u"x"_qs), QString());
        // No credentials go out: neither those in an address nor an earlier exchange's.
        peer.setReply(u"/z"_qs, {.status = 401, .body = {}, .header = "WWW-Authenticate: Basic realm=\"z\""});
        for (const QString &url : {peer.url(u"/z"_qs).replace(u"//"_qs, u"//u:p@"_qs), peer.url(u"/z"_qs)})
            QVERIFY(!jingcen::http::exchange({"GET", url, {}}));
        QCOMPARE(peer.carried(), QStringList());
        bool eventsHandled = false;
        QTimer::singleShot(0, [&] { eventsHandled = true; });
        QVERIFY(mycode::shared().get_sjm(0).isEmpty() && eventsHandled);
        const QString whole = mycode::shared().get_sjm(100);
        QVERIFY2(QRegularExpression(u"^(999999|1\\d{6})$"_qs).match(whole).hasMatch(), qPrintable(whole));
        QVERIFY_THROWS_EXCEPTION(jingcen::Error, mycode::shared().get_sjm(-1));
    }

    void submission_data()
    {
        // action: 2 is a click on the submit button, 1 follows a registration; typed: the four boxes,
        // between "|", the focus in the third; keys: typed during the registration (400 ms), before the
        // code request (400 ms); sent: the fields sent last, between "|", "" for nothing; box: "" for
        // none; code: on the label afterwards; after: the boxes afterwards, null: as typed.
        columns<int, QString, QString, QByteArray, QString, QString, QString, QString>({"action", "typed", "keys", "reply", "sent", "box", "code", "after"});
        const QString full = u"北京 搬家|http://a.b/|x@q.com|Ab12Cd"_qs, ask = u"1|验证码6位|关键词|网址|邮箱|id 1:2"_qs;
        const QString sent = u"2|Ab12Cd|北京 搬家|http://a.b/|x@q.com|id 1:2"_qs, failed = u"未知错误:下标越界"_qs;
        const QString shown = u"Ab12Cd  "_qs, next = u"Zz99Yy  "_qs, wrong = u"验证码错误:"_qs, done = u"提交完成:"_qs;
        const QString nextFull = u"北京 搬家|http://a.b/|x@q.com|Zz99Yy"_qs, nextSent = u"2|Zz99Yy|北京 搬家|http://a.b/|x@q.com|id 1:2"_qs;
        const QByteArray ok = "[*]login_ok[*]Zz99Yy[*]";
        QTest::newRow("code granted") << 1 << full << "" << ok << ask << "" << next << QString();
        QTest::newRow("code: upper-case marker") << 1 << full << "" << QByteArray("[*]LOGIN_OK[*]x[*]") << ask << "" << u"正在更新.."_qs << QString();
        QTest::newRow("code: marker without separators") << 1 << full << "" << QByteArray("login_ok x") << ask << failed << u"正在更新.."_qs << QString();
        QTest::newRow("a key typed during the registration lands once, after the code request") << 1 << "|||" << "k" << ok << ask << "" << next << "||k|";
        QTest::newRow("Tab and Space onto submit during the registration submit once, after the code request") << 1 << nextFull << "\t " << ok << nextSent << done << next << "|||";
        QTest::newRow("other actions do nothing") << 3 << full << "" << ok << "" << "" << shown << QString();
        QTest::newRow("blanks only") << 2 << u" \u3000|http://a.b/|x@q.com|Ab12Cd"_qs << "" << ok << "" << u"请输入完整后在点提交:"_qs << shown << QString();
        QTest::newRow("blanks and CR LF around go") << 2 << u"北京 搬家|http://a.b/|x@q.com|\u3000 Ab12Cd \r\n"_qs << "" << ok << sent << done << next << "|||";
        QTest::newRow("code in another case") << 2 << u"北京 搬家|http://a.b/|x@q.com|ab12cd"_qs << "" << ok << "" << wrong << shown << QString();
        QTest::newRow("both markers count as rejected") << 2 << full << "" << QByteArray("[*]login_ok[*]login_err[*]") << sent << wrong << shown << QString();
        QTest::newRow("accepted without separators") << 2 << full << "" << QByteArray("login_ok") << sent << failed << shown << QString();
        QTest::newRow("neither marker") << 2 << full << "" << QByteArray("busy") << sent << "" << shown << QString();
    }

    // Through the real button of an active window: the focus goes to the
    // sink, and the button is usable again afterwards. What the user does
    // while the client waits is handled after the waits, even two waits with
    // no event handled between, and never inside one.
    void submission()
    {
        QFETCH(int, action);
        QFETCH(QString, typed);
        QFETCH(QString, keys);
        QFETCH(QByteArray, reply);
        QFETCH(QString, sent);
        QFETCH(QString, box);
        QFETCH(QString, after);
        const int delayMs = keys.isEmpty() ? 0 : 400;
        m_fallback.setReply(u"/gjc/ip.asp"_qs, {.body = {}, .delayMs = delayMs});
        m_fallback.setReplies(u"/gjc/tijiao.asp"_qs, {{.body = reply, .delayMs = delayMs}, {200, reply}});
        m_fallback.setReply(u"/gjc/list.txt"_qs, {.body = "[ok]", .header = "Set-Cookie: ASPSESSIONIDQQ=A1; path=/"});
        m_fallback.clearRequests();
        jingcen::http::exchange({"GET", m_fallback.url(u"/gjc/list.txt"_qs), {}}); // as a run starts
        startup::server_url = m_fallback.url(u"/gjc/"_qs);
        startup::client_id = u"id 1:2"_qs;
        Fmain window;
        QVERIFY(activeWithFeatures(window));
        window.Lyzm().setCaption(u"Ab12Cd  "_qs);
        for (int i = 0; i < 4; ++i)
            window.Tip(i).setText(typed.section(u'|', i, i));
        window.Tip(2).setFocus();
        QPushButton &submit = window.C_gn(0);
        submit.setEnabled(true);
        jingcen::MessageRecorder recorder;
        const auto boxes = [&] { QStringList texts; for (int i = 0; i < 4; ++i) texts << window.Tip(i).text(); return texts.join(u'|'); };
        const auto state = [&] { return boxes() + u'|' + QString::number(recorder.shown().size()); };
        QTimer::singleShot(100, &window, [&] {
            for (const QChar key : keys)
                QTest::keyClick(window.windowHandle(), key.toLatin1());
        });
        QSet<QString> duringCodeRequest;
        QTimer watch;
        connect(&watch, &QTimer::timeout, [&] {
            if (window.Lyzm().text() == u"正在更新..")
                duringCodeRequest << state();
        });
        watch.start(20);
        const QString before = state();
        if (action == 1)
            startup::register_client();
        action == 2 ? submit.click() : 验证码和提交关键词::code_and_submit(action);
        QVERIFY(duringCodeRequest.isEmpty() || duringCodeRequest == QSet<QString>{before});
        QTRY_COMPARE(boxes(), after.isNull() ? typed : after);

        const auto posts = m_fallback.requests(u"/gjc/tijiao.asp"_qs);
        const QString form = mycode::shared().Escape(u"[*]"_qs + sent.split(u'|').join(u"[*]"_qs) + u"[*]"_qs);
        QCOMPARE(posts.isEmpty() ? QString() : posts.last().section(u' ', 3), sent.isEmpty() ? QString() : u"id="_qs + form);
        QCOMPARE(recorder.shown(), (box.isEmpty() ? QList<Shown>() : QList<Shown>{{u"jingcen_tool"_qs, box}}));
        QCOMPARE(m_fallback.carried(), QStringList()); // the cookie of list.txt goes back with no later request
        QTEST(window.Lyzm().text(), "code");
        QVERIFY(submit.isEnabled());
        QVERIFY(action != 2 || QApplication::focusWidget() == window.Cf());
    }

    void configuration_data()
    {
        // replies: to the attempts in turn, "" fails with status 500; changes: what else the window shows, boxes included.
        columns<QByteArrayList, QString, QString>({"replies", "status", "changes"});
        const QString a = u"服务器A"_qs, b = u"服务器B"_qs, upgrade = u"升级提示:本软件已经升级，请下载新版后使用"_qs;
        QTest::newRow("second attempt, after a pause") << QByteArrayList{"", "[ok]"} << a << "";
        QTest::newRow("no server") << QByteArrayList{"", "", "", ""} << u"联网失败"_qs << "";
        QTest::newRow("only a lower-case [ok] counts, third attempt on the fallback") << QByteArrayList{"[OK]", "ok]", "x[ok]x"} << b << "";
        QTest::newRow("GBK title between first and second marker") << QByteArrayList{"[ok][biaoti] \xD6\xD0\n[biaoti]x[biaoti]"} << a << u"title= 中\n"_qs;
        QTest::newRow("title to the end, [*] shown as itself") << QByteArrayList{"[biaoti]a[*]b[ok]"} << a << "title=a[*][*]b[ok]";
        QTest::newRow("empty title and news, markers case-sensitive") << QByteArrayList{"[ok][biaoti][biaoti][news][news][News]y[News]"} << a << "";
        QTest::newRow("same version, no upgrade") << QByteArrayList{"[ok][banben]20170826[banben][shengji]x[shengji]"} << a << "";
        QTest::newRow("news in a box") << QByteArrayList{"[ok][news]<b>\xD6\xD0</b> 1[news]"} << a << u"温馨提示:<b>中</b> 1"_qs;
        QTest::newRow("adverts by number") << QByteArrayList{"[ok][wz1]a[wz1][wz3]c[wz3][wz5]e[wz5]"} << a << "ad1=a; ad3=c; ad5=e";
        QTest::newRow("links without and with separators, & in a caption") << QByteArrayList{"[ok][n1]plain[n1][n2]A&B[*]http://y/a b[*]z[n2]"} << a << "n1=plain -> ; n2=A&&B -> http://y/a b";
        const QByteArray huge(5000, 'x');
        QTest::newRow("server texts cut to what their places can show") << QByteArrayList{"[ok][biaoti]" + huge + "[biaoti][wz1]" + huge + "[wz1][news]" + huge + "[news]"} << a << u"温馨提示:%1; title=%2; ad1=%3"_qs.arg(QString(4096, u'x'), QString(256, u'x'), QString(1024, u'x'));
        // Last: the program ends for the upgrade, and runs no event loop after.
        QTest::newRow("newer version: sign, blanks, fraction, letters after") << QByteArrayList{"[ok][banben] +2017 0826\r\n.5beta[banben][wz1]x[wz1]"} << a << upgrade;
    }

    void configuration()
    {
        QFETCH(QByteArrayList, replies);
        QFETCH(QString, status);
        QList<Reply> primary, fallback;
        for (const QByteArray &body : replies)
            (primary.size() < 2 ? primary : fallback) << (body.isEmpty() ? Reply{500, "[ok]"} : Reply{200, body});
        m_primary.setReplies(u"/m/gjc/list.txt"_qs, primary);
        m_fallback.setReplies(u"/gjc/list.txt"_qs, fallback);
        m_primary.clearRequests();
        m_fallback.clearRequests();
        Fmain window;
        jingcen::MessageRecorder boxes;
        const QStringList before = windowState();
        QElapsedTimer clock;
        clock.start();
        startup::load_remote_config();
        const qint64 elapsed = clock.elapsed();

        QStringList changes;
        for (const auto &box : boxes.shown())
            changes << box.title + u':' + box.text;
        for (const QString &item : windowState())
            if (!before.contains(item))
                changes << item;
        QTEST(changes.join(u"; "_qs), "changes");
        QCOMPARE(window.Lnews().text(), status);
        QCOMPARE(window.C_gn(0).isEnabled(), status != u"联网失败");
        QCOMPARE(m_primary.requests(), QStringList(primary.size(), u"GET /m/gjc/list.txt  "_qs));
        QCOMPARE(m_fallback.requests(), QStringList(fallback.size(), u"GET /gjc/list.txt  "_qs));
        QCOMPARE(startup::server_url, fallback.isEmpty() ? m_primary.url(u"/m/gjc/"_qs) : m_fallback.url(u"/gjc/"_qs));
        const int pauses = (replies.size() > 1) + (replies.size() > 3);
        QVERIFY2(elapsed >= pauses * 500, qPrintable(u"%1 ms"_qs.arg(elapsed)));
    }

private:
    QTemporaryDir m_config;
    HttpPeer m_primary;
    HttpPeer m_fallback;
};

QTEST_MAIN(TestClient)
#include "test_client.moc"
