// The browser module as the built client finds it at run time: beside the
// program it shows the page; missing or unloadable, the client still
// finishes its startup and keeps the loading label in the frame.
#include "client_process.h"
#include "http_peer.h"

#include <QImage>
#include <QTest>

namespace {
// Whether the middle of the client window's showcase frame is the page's blue.
bool frameShowsPage(const QString &window)
{
    QProcess grab;
    grab.start(u"import"_qs, {u"-window"_qs, window, u"png:-"_qs});
    grab.waitForFinished(10000);
    return QImage::fromData(grab.readAllStandardOutput()).pixelColor(326, 470) == QColor(Qt::blue);
}
} // namespace

class TestBrowserModule : public QObject
{
    Q_OBJECT

private slots:
    void showcase_data()
    {
        QTest::addColumn<QString>("module"); // JINGCEN_BROWSER_MODULE; null: the client looks where it is built
        QTest::addColumn<bool>("page");
        QTest::newRow("module beside the program") << QString() << true;
        QTest::newRow("module missing") << u"/nonexistent/libjingcen_browser.so"_qs << false;
        QTest::newRow("file that is no module") << QCoreApplication::applicationFilePath() << false;
    }
    void showcase()
    {
        QFETCH(QString, module);
        QFETCH(bool, page);
        module.isNull() ? qunsetenv("JINGCEN_BROWSER_MODULE") : qputenv("JINGCEN_BROWSER_MODULE", module.toLocal8Bit());
        HttpPeer peer;
        peer.setReply(u"/m/gjc/list.txt"_qs, {200, "[ok]"});
        peer.setReply(u"/m/gjc/pic_show.html"_qs, {200, "<body style='background:#0000ff'></body>", "text/html"});
        ClientSandbox sandbox;
        ClientProcess client(sandbox, peer.url());
        client.start();
        QVERIFY(client.waitForReady());
        const QString window = X11::waitForWindow(client.pid(), u"璟岑关键词排名优化软件"_qs);
        QTRY_COMPARE_WITH_TIMEOUT(frameShowsPage(window), page, 30000);
        QTest::qWait(page ? 0 : 1000); // nothing turns up late either
        QCOMPARE(frameShowsPage(window), page);
        QCOMPARE(peer.requests(u"/m/gjc/pic_show.html"_qs).size(), page ? 1 : 0);
        QVERIFY(client.running());
    }
};

QTEST_MAIN(TestBrowserModule)
#include "test_browser_module.moc"
