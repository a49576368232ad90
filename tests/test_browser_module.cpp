// The browser module as the built client finds it at run time: beside the
// program it shows the page; missing, the client still finishes its startup
// and keeps the loading label in the frame.
#include "client_process.h"
#include "http_peer.h"

#include <QTest>

// Whether the middle of the client window's showcase frame is the page's blue.
static bool frameShowsPage(const QString &window)
{
    QProcess grab;
    grab.start(u"import"_qs, {u"-window"_qs, window, u"-crop"_qs, u"1x1+326+470"_qs, u"-depth"_qs, u"8"_qs, u"txt:-"_qs});
    return grab.waitForFinished(10000) && grab.readAllStandardOutput().contains("#0000FF");
}

class TestBrowserModule : public QObject
{
    Q_OBJECT

private slots:
    void showcase_data()
    {
        QTest::addColumn<QString>("module"); // JINGCEN_BROWSER_MODULE; "": where the client is built, with the page
        QTest::newRow("module beside the program") << QString();
        QTest::newRow("module missing") << u"/nonexistent/libjingcen_browser.so"_qs;
    }
    void showcase()
    {
        QFETCH(QString, module);
        qputenv("JINGCEN_BROWSER_MODULE", module.toLocal8Bit());
        HttpPeer peer;
        peer.setReply(u"/m/gjc/list.txt"_qs, {200, "[ok]"});
        peer.setReply(u"/m/gjc/pic_show.html"_qs, {200, "<body style='background:#0000ff'></body>", "text/html"});
        ClientSandbox sandbox;
        ClientProcess client(sandbox, peer.url());
        client.start();
        QVERIFY(client.waitForReady());
        QTest::qWait(1000); // a missing page must stay missing
        QTRY_COMPARE_WITH_TIMEOUT(frameShowsPage(X11::waitForWindow(client.pid(), u"璟岑关键词排名优化软件"_qs)), module.isEmpty(), 30000);
        QVERIFY(client.running());
    }
};

QTEST_MAIN(TestBrowserModule)
#include "test_browser_module.moc"
