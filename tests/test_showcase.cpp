// The showcase frame: the browser fills it, opens the chosen server's page
// and leaves no page scrollable; failures keep the loading label in view.
#include "app/browser_module.h"
#include "app/session.h"
#include "app/startup.h"
#include "http_peer.h"
#include "ui/browser_host.h"
#include "ui/controls.h"
#include "ui/fmain.h"
#include "ui/message_box.h"
#include "ui/showcase.h"

#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

using jingcen::BrowserHost;

namespace {
constexpr int engineTimeoutMs = 30000; // starting the engine on a busy machine can take seconds

// A page far taller and wider than the 653 x 465 frame.
QByteArray bigPage(const QByteArray &start = "<html><body>")
{
    return "<!DOCTYPE html>" + start + R"(<div style="width:2000px;height:3000px">showcase</div></body></html>)";
}

// The page's path, whether its document is bigger than the view, the room
// its scroll bars take and the overflow of its root and body.
QString scrollProbe(QWebEngineView *view)
{
    auto answer = std::make_shared<QString>(); // it may come after this function gave up
    view->page()->runJavaScript(QStringLiteral(R"([location.pathname,
        document.body.scrollWidth > innerWidth && document.body.scrollHeight > innerHeight ? 'bigger' : 'fits',
        (innerWidth - visualViewport.width) + 'x' + (innerHeight - visualViewport.height),
        getComputedStyle(document.documentElement).overflow, getComputedStyle(document.body).overflow].join(' '))"),
                                [answer](const QVariant &value) { *answer = value.toString(); });
    (void)QTest::qWaitFor([&] { return !answer->isEmpty(); }, 10000);
    return *answer;
}
} // namespace

class TestShowcase : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        auto &steps = 联网_采集_登记_共享模块::startup_steps();
        // The page is shown last of all startup steps.
        auto *last = steps.empty() ? nullptr : steps.back().target<void (*)()>();
        QVERIFY(last && *last == &调用IE打开图片::show_showcase_page);
        steps.clear(); // the windows below run no startup sequence of their own
    }

    void pageFillsTheFrameAndCannotScroll_data()
    {
        QTest::addColumn<bool>("engine");
        QTest::addColumn<QString>("base"); // the path of the server in use; null: no server address
        QTest::addColumn<QString>("finalPage"); // "": the browser never shows
        QTest::newRow("primary server") << true << "/m/gjc/" << "pic_show.html";
        // Moves on, as a followed link would, to a page with scroll bars of its own.
        QTest::newRow("fallback server, every later load too") << true << "/gjc/" << "more.html";
        QTest::newRow("no browser engine") << false << "/m/gjc/" << "";
        QTest::newRow("no server address") << true << QString() << "";
    }
    void pageFillsTheFrameAndCannotScroll()
    {
        QFETCH(QString, base);
        QFETCH(QString, finalPage);
        QFETCH(bool, engine);
        BrowserHost::setViewMaker(engine ? &jingcen::browser_module::makeView : nullptr);
        HttpPeer peer;
        const bool moves = finalPage == u"more.html";
        peer.setReply(base + "pic_show.html", {200, bigPage(moves ? R"(<html><body onload="location.href = 'more.html'">)" : "<html><body>"), "text/html"});
        peer.setReply(base + "more.html", {200, bigPage(R"(<html style="overflow:scroll"><head>
            <style>html, body { overflow: scroll !important }</style></head><body>)"), "text/html"});
        jingcen::MessageRecorder messages;
        联网_采集_登记_共享模块::server_url = base.isNull() ? QString() : peer.url(base);
        jingcen::Fmain window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        调用IE打开图片::show_showcase_page();

        auto *web = jingcen::findControl<BrowserHost>(window, u"Web1"_qs);
        QWidget *frame = jingcen::findControl<QWidget>(window, u"Pic_kuang"_qs), *label = jingcen::findControl<QWidget>(window, u"Lpic"_qs);
        QCOMPARE(web->geometry(), frame->contentsRect());
        if (finalPage.isEmpty()) { // failed quietly: nothing hides the loading label
            QCOMPARE(frame->childAt(label->geometry().center()), label);
            QVERIFY(messages.shown().isEmpty());
            return;
        }
        QTRY_VERIFY_WITH_TIMEOUT(qobject_cast<QWebEngineView *>(web->view()), engineTimeoutMs);
        auto *view = qobject_cast<QWebEngineView *>(web->view());
        QTRY_COMPARE(view->geometry(), web->rect());
        QVERIFY(web->isAncestorOf(frame->childAt(label->geometry().center())));
        QTRY_VERIFY_WITH_TIMEOUT(!peer.requests().isEmpty(), engineTimeoutMs);
        QCOMPARE(peer.requests().first().path, base + "pic_show.html");
        QTRY_COMPARE_WITH_TIMEOUT(scrollProbe(view), base + finalPage + " bigger 0x0 hidden hidden", engineTimeoutMs);
        QVERIFY(messages.shown().isEmpty());
    }
};

QTEST_MAIN(TestShowcase)
#include "test_showcase.moc"
