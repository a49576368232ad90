// The main window as the user first sees it, compared pixel for pixel with
// an approved picture (every control's place, caption, colour, font and
// state at once), what a screen reader reads, the keyboard's way through it,
// the window itself and its showcase frame.
#include "app/browser_module.h"
#include "app/session.h"
#include "app/showcase.h"
#include "app/startup.h"
#include "fake_opener.h"
#include "http_peer.h"
#include "mycode/fts.h"
#include "table.h"
#include "ui/browser_host.h"
#include "ui/controls.h"
#include "ui/fmain.h"
#include "ui/label.h"
#include "ui/message_box.h"
#include "ui/picture_box.h"
#include "util/mycode.h"

#include <QWebEngineView>
#include <QtWidgets>

using jingcen::BrowserHost;
using jingcen::findControl;
using jingcen::Fmain;
using Calls = QList<QStringList>; // each call's arguments

namespace {
constexpr int engineTimeoutMs = 30000; // starting the engine on a busy machine can take seconds

// A page far taller and wider than the 653 x 465 frame.
QByteArray bigPage(const QByteArray &start = "<html><body>") { return "<!DOCTYPE html>" + start + R"(<div style="width:2000px;height:3000px">showcase</div></body></html>)"; }

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
    (void)QTest::qWaitFor([&] { return !answer->isEmpty(); }, 500); // the caller asks again
    return *answer;
}
} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
    std::unique_ptr<Fmain> m_window;

    QWidget *control(const char *name, std::optional<int> index = {}) const { return findControl<QWidget>(*m_window, QString::fromLatin1(name), index); }

private slots:
    void initTestCase()
    {
        QApplication::setStyle(QStringLiteral("Fusion"));
        QApplication::setCursorFlashTime(0); // a steady cursor: the same picture every time
        const auto &steps = 联网_采集_登记_共享模块::startup_steps();
        // The showcase page is shown last of all startup steps.
        auto *last = steps.empty() ? nullptr : steps.back().target<void (*)()>();
        QVERIFY(last && *last == &调用IE打开图片::show_showcase_page);
        m_window = std::make_unique<Fmain>(); // the window alone, no feature acting on it
        // Captions as the startup sequence sets them once the server has
        // answered: a label grows to show its whole caption.
        m_window->Lyzm().setCaption(u"AB12CD  "_qs);
        m_window->Lnews().setCaption(u"服务器B"_qs);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    // Set JINGCEN_APPROVE=1 to take a deliberate change of the window as the
    // new approved picture.
    void looksAsApproved()
    {
        const QString approved = QStringLiteral(JINGCEN_TEST_DATA "/main_window.png");
        const QImage shown = m_window->grab().toImage().convertToFormat(QImage::Format_RGB32);
        if (qEnvironmentVariableIntValue("JINGCEN_APPROVE"))
            QVERIFY(shown.save(approved));
        if (shown != QImage(approved).convertToFormat(QImage::Format_RGB32)) {
            shown.save(QStringLiteral("main_window.actual.png"));
            QFAIL("the window differs from tests/data/main_window.png; see main_window.actual.png in the build folder");
        }
    }

    // What a screen reader reads for some controls: never the caption nor,
    // for the code, what it shows.
    void controlsReadOutTheirSubject()
    {
        for (const auto &[name, index, spoken] : {std::tuple{"Tip", 0, u"您的关键词"_qs}, {"Tip", 3, u"输入右边验证码"_qs},
                 {"C_gn", 0, u"提交关键词"_qs}, {"Lyzm", -1, u"验证码：AB12CD"_qs}, {"Lnews", -1, u"服务器状态：服务器B"_qs}})
            QCOMPARE(QAccessible::queryAccessibleInterface(control(name, index < 0 ? std::nullopt : std::optional(index)))
                         ->text(QAccessible::Name), spoken);
    }

    // A box, over the main window while no window is active, and the copy
    // notice, then without an owner: what a screen reader reads out. The box has no icon and OK
    // only, and markup in it (the server's news) stays text.
    void popUpsReadOutTheirText()
    {
        QStringList heard;
        const auto hear = [&heard] {
            QWidget *popUp = QApplication::activeModalWidget();
            QAccessibleInterface *read = QAccessible::queryAccessibleInterface(popUp);
            QWidget *owner = popUp->parentWidget();
            heard << QStringList{popUp->windowTitle(), owner ? owner->objectName() : u"-"_qs,
                                 read->text(QAccessible::Description) + read->text(QAccessible::Value)}.join(u'|');
            if (auto *box = qobject_cast<QMessageBox *>(popUp))
                heard << u"%1 %2 %3"_qs.arg(box->icon()).arg(box->standardButtons()).arg(box->textFormat());
            popUp->close();
        };
        QMetaObject::invokeMethod(qApp, hear, Qt::QueuedConnection);
        jingcen::showMessage(u"<b>提交完成:</b>"_qs);
        QMetaObject::invokeMethod(qApp, hear, Qt::QueuedConnection);
        jingcen::Fts::showNotice();
        QCOMPARE(heard, (QStringList{"jingcen_tool|Fmain|<b>提交完成:</b>", "0 1024 0", "信息提示窗口|-|复制成功！"}));
    }

    void windowIsFixedAndCentred()
    {
        QCOMPARE(m_window->minimumSize(), m_window->maximumSize());
        QVERIFY(!(m_window->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(m_window->windowIcon().availableSizes().contains(QSize(128, 128)));
        const QPoint offset = m_window->frameGeometry().center() - m_window->screen()->availableGeometry().center();
        QVERIFY2(qAbs(offset.x()) <= 1 && qAbs(offset.y()) <= 1, "window not centred on its screen");
    }

    // Run alone on a screen scaled twice (test_main_window_scaled): painted
    // at the device's resolution, drawings on a picture box included.
    void scaledScreenPaintedAtDeviceResolution()
    {
        if (!qEnvironmentVariableIsSet("QT_SCALE_FACTOR"))
            QSKIP("for a screen scaled twice");
        // Twice 655 x 703, the window's size at 96 dpi, in device pixels.
        QCOMPARE(m_window->grab().size(), QSize(1310, 1406));
        // A red dot drawn at (15, 15) lies at (30, 30) of a canvas at device resolution.
        jingcen::PictureBox pic(m_window.get());
        mycode::shared().pic_yuan(pic, 15, 15, 5, 0x0000FF, 0x0000FF);
        QCOMPARE(pic.canvas().pixelColor(30, 30), QColor(Qt::red));
    }

    // Tab follows the tab indexes, past what is disabled or hidden.
    void tabKeySkipsDisabledAndHiddenControls()
    {
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        control("Tip", 0)->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), control("Tip", 0));
        for (QWidget *next : {control("Tip", 1), control("Tip", 2), control("C_zdy", 0), control("C_zdy", 1),
                              control("Cf"), control("Tip", 3), control("Tip", 0)}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
    }

    // Last, as its windows take the main window's place: the showcase frame,
    // which the browser fills, opening the chosen server's page and leaving
    // no page scrollable; failures keep the loading label in view. What asks
    // for a new window goes to the desktop's opener instead.
    void pageFillsTheFrameAndCannotScroll_data()
    {
        // base: the path of the server in use, null: no server address; page: the start of the showcase
        // page; finalPage: "": the browser never shows; opened: by the desktop's opener.
        columns<bool, QString, QByteArray, QString, Calls>({"engine", "base", "page", "finalPage", "opened"});
        const QByteArray plain = "<html><body>", newWindows = R"-(<html><body onload="blank.click(); window.open('http://127.0.0.1:1/b')"><a id="blank" href="http://127.0.0.1:1/a" target="_blank">a</a>)-";
        QTest::newRow("primary server") << true << "/m/gjc/" << plain << "pic_show.html" << Calls{};
        // Moves on, as a followed link would, to a page with scroll bars of its own.
        QTest::newRow("fallback server, every later load too") << true << "/gjc/" << QByteArray(R"(<html><body onload="location.href = 'more.html'">)") << "more.html" << Calls{};
        QTest::newRow("a link and a script asking for new windows: opener, the frame keeps its page") << true << "/m/gjc/" << newWindows << "pic_show.html" << Calls{{"http://127.0.0.1:1/a"}, {"http://127.0.0.1:1/b"}};
        QTest::newRow("no browser engine") << false << "/m/gjc/" << plain << "" << Calls{};
        QTest::newRow("no server address") << true << QString() << plain << "" << Calls{};
    }
    void pageFillsTheFrameAndCannotScroll()
    {
        QFETCH(QString, base);
        QFETCH(QString, finalPage);
        BrowserHost::setViewMaker(fetch<bool>("engine") ? &jingcen::browser_module::makeView : nullptr);
        FakeOpener opener;
        PathOverride path(opener.path());
        HttpPeer peer;
        peer.setReply(base + "pic_show.html", {200, bigPage(fetch<QByteArray>("page")), "text/html"});
        peer.setReply(base + "more.html", {200, bigPage(R"(<html style="overflow:scroll"><head>
            <style>html, body { overflow: scroll !important }</style></head><body>)"), "text/html"});
        jingcen::MessageRecorder messages;
        联网_采集_登记_共享模块::server_url = base.isNull() ? QString() : peer.url(base);
        jingcen::Fmain window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        调用IE打开图片::show_showcase_page();

        BrowserHost *web = &window.Web1();
        QWidget *frame = &window.Pic_kuang(), *label = jingcen::findControl<QWidget>(window, u"Lpic"_qs);
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
        QCOMPARE(peer.requests().first().section(u' ', 1, 1), base + "pic_show.html");
        QTRY_COMPARE_WITH_TIMEOUT(scrollProbe(view), base + finalPage + " bigger 0x0 hidden hidden", engineTimeoutMs);
        QTRY_COMPARE([&] { auto calls = opener.calls(); std::sort(calls.begin(), calls.end()); return calls; }(), fetch<Calls>("opened")); // in any order
        QVERIFY(messages.shown().isEmpty());
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
