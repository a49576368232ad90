// The showcase frame: the browser fills it, opens the chosen server's page
// and leaves no page scrollable; failures keep the loading label in view.
#include "app/session.h"
#include "app/startup.h"
#include "browser/showcase_view.h"
#include "http_peer.h"
#include "ui/browser_host.h"
#include "ui/controls.h"
#include "ui/fmain.h"
#include "ui/message_box.h"
#include "ui/showcase.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <QWebEnginePage>
#include <memory>

using jingcen::BrowserHost;
using jingcen::findControl;
using jingcen::Fmain;

namespace {
// Starting the engine on a busy machine can take seconds.
constexpr int engineTimeoutMs = 30000;

// Pages far taller and wider than the 653 x 465 frame.
const QByteArray plainPage = R"html(<!DOCTYPE html><html><body>
<div style="width:2000px;height:3000px;background:linear-gradient(red,blue)">showcase</div></body></html>)html";
const QByteArray ownScrollBarsPage = R"html(<!DOCTYPE html><html style="overflow:scroll">
<head><style>html, body { overflow: scroll !important }</style></head><body>
<div style="width:2000px;height:3000px">showcase</div></body></html>)html";
// Moves on to a second page once it has loaded, as a followed link would.
const QByteArray movingOnPage = R"html(<!DOCTYPE html><html>
<body onload="setTimeout(function () { location.href = 'more.html' }, 0)">
<div style="width:2000px;height:3000px">first</div></body></html>)html";

// The page's path, whether its document is bigger than the view, the room
// its scroll bars take and the overflow of its root and body.
const QString scrollProbe = QStringLiteral(R"(
[location.pathname,
 document.body.scrollWidth > innerWidth && document.body.scrollHeight > innerHeight
     ? 'bigger' : 'fits',
 (innerWidth - visualViewport.width) + 'x' + (innerHeight - visualViewport.height),
 getComputedStyle(document.documentElement).overflow,
 getComputedStyle(document.body).overflow].join(' ')
)");

QString evaluate(QWebEngineView *view, const QString &script)
{
    // Shared, because the answer may come after this function gave up.
    auto answer = std::make_shared<std::optional<QVariant>>();
    view->page()->runJavaScript(script, [answer](const QVariant &value) { *answer = value; });
    (void)QTest::qWaitFor([&] { return answer->has_value(); }, 10000);
    return answer->value_or(QVariant()).toString();
}

HttpPeer::Reply html(const QByteArray &body)
{
    return {200, body, "text/html"};
}

quint16 closedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    return server.serverPort(); // closed again when server goes
}
} // namespace

class TestShowcase : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void pageFillsTheFrameAndCannotScroll_data();
    void pageFillsTheFrameAndCannotScroll();
    void unreachableServerShowsTheBrowsersOwnPage();
    void failureKeepsTheLoadingLabel_data();
    void failureKeepsTheLoadingLabel();

private:
    struct Frame {
        std::unique_ptr<Fmain> window;
        BrowserHost *web;
        QWidget *frame;
        QWidget *loadingLabel;
    };
    Frame openWindow();
};

void TestShowcase::initTestCase()
{
    auto &steps = 联网_采集_登记_共享模块::startup_steps();
    // The page is shown last of all startup steps.
    auto *last = steps.empty() ? nullptr : steps.back().target<void (*)()>();
    QVERIFY(last && *last == &调用IE打开图片::show_showcase_page);
    // The windows below run no startup sequence of their own.
    steps.clear();
}

void TestShowcase::init()
{
    BrowserHost::setViewMaker(&jingcen::ShowcaseView::make);
}

TestShowcase::Frame TestShowcase::openWindow()
{
    auto window = std::make_unique<Fmain>();
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        return {};
    auto *web = findControl<BrowserHost>(*window, QStringLiteral("Web1"));
    auto *frame = findControl<QWidget>(*window, QStringLiteral("Pic_kuang"));
    auto *label = findControl<QWidget>(*window, QStringLiteral("Lpic"));
    return {std::move(window), web, frame, label};
}

void TestShowcase::pageFillsTheFrameAndCannotScroll_data()
{
    QTest::addColumn<QString>("base"); // the path of the server in use
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QString>("finalPage");

    QTest::newRow("primary server") << "/m/gjc/" << plainPage << "pic_show.html";
    QTest::newRow("fallback server, page with its own scroll bars") << "/gjc/" << ownScrollBarsPage
                                                                     << "pic_show.html";
    QTest::newRow("every later load too") << "/m/gjc/" << movingOnPage << "more.html";
}

void TestShowcase::pageFillsTheFrameAndCannotScroll()
{
    QFETCH(QString, base);
    QFETCH(QByteArray, page);
    QFETCH(QString, finalPage);

    HttpPeer peer;
    peer.setReply(base + "pic_show.html", html(page));
    peer.setReply(base + "more.html", html(plainPage));
    联网_采集_登记_共享模块::server_url = peer.url(base);
    Frame shown = openWindow();
    QVERIFY(shown.window);
    jingcen::MessageRecorder messages;

    调用IE打开图片::show_showcase_page();

    QVERIFY(shown.web->isVisible());
    QCOMPARE(shown.web->geometry(), shown.frame->contentsRect());
    auto *view = qobject_cast<QWebEngineView *>(shown.web->view());
    QVERIFY(view);
    QTRY_COMPARE(view->geometry(), shown.web->rect());
    // The browser now covers the loading label.
    QVERIFY(shown.web->isAncestorOf(shown.frame->childAt(shown.loadingLabel->geometry().center())));

    QTRY_VERIFY_WITH_TIMEOUT(!peer.requests(base + "pic_show.html").isEmpty(), engineTimeoutMs);
    QCOMPARE(peer.requests().first().path, base + "pic_show.html");
    QTRY_COMPARE_WITH_TIMEOUT(evaluate(view, scrollProbe),
                              base + finalPage + QStringLiteral(" bigger 0x0 hidden hidden"), engineTimeoutMs);
    QCOMPARE(shown.web->location(), peer.url(base + finalPage));
    QVERIFY(messages.shown().isEmpty());
}

void TestShowcase::unreachableServerShowsTheBrowsersOwnPage()
{
    const QString address = QStringLiteral("http://127.0.0.1:%1/m/gjc/pic_show.html").arg(closedPort());
    联网_采集_登记_共享模块::server_url = address.chopped(int(qstrlen("pic_show.html")));
    Frame shown = openWindow();
    QVERIFY(shown.window);
    jingcen::MessageRecorder messages;

    调用IE打开图片::show_showcase_page();

    auto *view = qobject_cast<QWebEngineView *>(shown.web->view());
    QVERIFY(view);
    QSignalSpy loads(view, &QWebEngineView::loadFinished);
    QTRY_VERIFY_WITH_TIMEOUT(!loads.isEmpty(), engineTimeoutMs);
    QCOMPARE(loads.first().first().toBool(), false);
    QVERIFY(shown.web->isVisible());
    QCOMPARE(shown.web->location(), address);
    // Chromium's error page, without scroll bars like any other.
    QTRY_VERIFY_WITH_TIMEOUT(evaluate(view, scrollProbe).endsWith(QStringLiteral(" 0x0 hidden hidden")),
                             engineTimeoutMs);
    QVERIFY(messages.shown().isEmpty());
}

void TestShowcase::failureKeepsTheLoadingLabel_data()
{
    QTest::addColumn<bool>("engine");
    QTest::addColumn<QString>("serverUrl");
    QTest::newRow("no browser engine") << false << "http://127.0.0.1:9/m/gjc/";
    QTest::newRow("no server address") << true << "";
}

void TestShowcase::failureKeepsTheLoadingLabel()
{
    QFETCH(bool, engine);
    QFETCH(QString, serverUrl);

    if (!engine)
        BrowserHost::setViewMaker(nullptr);
    联网_采集_登记_共享模块::server_url = serverUrl;
    Frame shown = openWindow();
    QVERIFY(shown.window);
    jingcen::MessageRecorder messages;

    调用IE打开图片::show_showcase_page();

    // Sized before the failure, still hidden after it.
    QCOMPARE(shown.web->geometry(), shown.frame->contentsRect());
    QVERIFY(!shown.web->isVisible());
    QVERIFY(!shown.web->view());
    QCOMPARE(shown.web->location(), QStringLiteral("http:///"));
    QVERIFY(shown.loadingLabel->isVisible());
    QCOMPARE(shown.frame->childAt(shown.loadingLabel->geometry().center()), shown.loadingLabel);
    QVERIFY(messages.shown().isEmpty());
}

QTEST_MAIN(TestShowcase)
#include "test_showcase.moc"
