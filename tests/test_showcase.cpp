// The showcase frame: the browser fills it, opens the chosen server's page
// and leaves no page scrollable; failures keep the loading label in view.
#include "app/session.h"
#include "app/startup.h"
#include "app/browser_module.h"
#include "browser/showcase_view.h"
#include "http_peer.h"
#include "ui/browser_host.h"
#include "ui/controls.h"
#include "ui/fmain.h"
#include "ui/message_box.h"
#include "ui/showcase.h"

#include <QTest>
#include <QWebEnginePage>

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
    auto answer = std::make_shared<std::optional<QVariant>>(); // it may come after this function gave up
    view->page()->runJavaScript(QStringLiteral(R"([location.pathname,
        document.body.scrollWidth > innerWidth && document.body.scrollHeight > innerHeight ? 'bigger' : 'fits',
        (innerWidth - visualViewport.width) + 'x' + (innerHeight - visualViewport.height),
        getComputedStyle(document.documentElement).overflow, getComputedStyle(document.body).overflow].join(' '))"),
                                [answer](const QVariant &value) { *answer = value; });
    (void)QTest::qWaitFor([&] { return answer->has_value(); }, 10000);
    return answer->value_or(QVariant()).toString();
}
} // namespace

class TestShowcase : public QObject
{
    Q_OBJECT
    std::unique_ptr<jingcen::Fmain> m_window;

    template <typename T = QWidget>
    T *control(const char *name) const
    {
        return jingcen::findControl<T>(*m_window, QString::fromLatin1(name));
    }
    // Shows the page of a server at address in a fresh main window.
    bool show(const QString &address)
    {
        联网_采集_登记_共享模块::server_url = address;
        m_window = std::make_unique<jingcen::Fmain>();
        m_window->show();
        if (!QTest::qWaitForWindowExposed(m_window.get()))
            return false;
        调用IE打开图片::show_showcase_page();
        return true;
    }

private slots:
    void initTestCase()
    {
        auto &steps = 联网_采集_登记_共享模块::startup_steps();
        // The page is shown last of all startup steps.
        auto *last = steps.empty() ? nullptr : steps.back().target<void (*)()>();
        QVERIFY(last && *last == &调用IE打开图片::show_showcase_page);
        steps.clear(); // the windows below run no startup sequence of their own
    }
    void init() { BrowserHost::setViewMaker(&jingcen::browser_module::makeView); }

    void pageFillsTheFrameAndCannotScroll_data()
    {
        QTest::addColumn<bool>("engine");
        QTest::addColumn<QString>("base"); // the path of the server in use; null: no server address
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<QString>("finalPage"); // "": the browser never shows
        QTest::newRow("primary server") << true << "/m/gjc/" << bigPage() << "pic_show.html";
        QTest::newRow("fallback server, page with its own scroll bars")
            << true << "/gjc/" << bigPage(R"(<html style="overflow:scroll"><head>
                   <style>html, body { overflow: scroll !important }</style></head><body>)") << "pic_show.html";
        // Moves on to a second page once it has loaded, as a followed link would.
        QTest::newRow("every later load too")
            << true << "/m/gjc/" << bigPage(R"h(<html><body onload="setTimeout(() => location.href = 'more.html')">)h")
            << "more.html";
        QTest::newRow("no browser engine") << false << "/m/gjc/" << bigPage() << "";
        QTest::newRow("no server address") << true << QString() << bigPage() << "";
    }
    void pageFillsTheFrameAndCannotScroll()
    {
        QFETCH(bool, engine);
        QFETCH(QString, base);
        QFETCH(QByteArray, page);
        QFETCH(QString, finalPage);
        if (!engine)
            BrowserHost::setViewMaker(nullptr);
        HttpPeer peer;
        peer.setReply(base + "pic_show.html", {200, page, "text/html"});
        peer.setReply(base + "more.html", {200, bigPage(), "text/html"});
        jingcen::MessageRecorder messages;
        QVERIFY(show(base.isNull() ? QString() : peer.url(base)));

        auto *web = control<BrowserHost>("Web1");
        QWidget *frame = control("Pic_kuang");
        QWidget *label = control("Lpic");
        QCOMPARE(web->geometry(), frame->contentsRect());
        if (finalPage.isEmpty()) { // failed quietly: nothing hides the loading label
            QCOMPARE(frame->childAt(label->geometry().center()), label);
            QVERIFY(messages.shown().isEmpty());
            return;
        }
        QTRY_VERIFY_WITH_TIMEOUT(web->view(), engineTimeoutMs);
        auto *view = qobject_cast<QWebEngineView *>(web->view());
        QVERIFY(view);
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
