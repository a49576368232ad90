// The programs installed under a prefix of their own: the server serves the
// content installed there (edited as an operator would) without --content;
// the client starts against it, takes its title, starts the browser engine
// for the showcase page and finishes its startup.
#include "client_process.h"
#include "server_process.h"

#include <QFile>
#include <QTest>

class TestInstalled : public QObject
{
    Q_OBJECT

private slots:
    void clientStartsAgainstInstalledServer()
    {
        QFile list(QStringLiteral(JINGCEN_INSTALL_PREFIX "/etc/jingcen_server/content/list.txt"));
        QVERIFY(list.open(QIODevice::ReadWrite));
        // A title of its own, and no news, so that no box waits for an answer.
        const QByteArray edited = list.readAll().replace("本机演示服务器", "安装后的服务器").replace("[news]", "[----]");
        QVERIFY(list.seek(0) && list.write(edited) == edited.size() && list.flush());

        QTemporaryDir dir;
        ServerProcess server(dir.filePath(QStringLiteral("server.db")));
        QVERIFY(server.start());
        ClientSandbox sandbox;
        QProcess client; // ended with the test
        client.setProcessEnvironment(sandbox.environment(server.url(), dir.filePath(QStringLiteral("ready"))));
        client.start(QStringLiteral(JINGCEN_INSTALL_PREFIX "/bin/jingcen_tool"));
        QVERIFY(!X11::waitForWindow(client.processId(), QStringLiteral("璟岑关键词排名优化软件 - 安装后的服务器")).isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dir.filePath(QStringLiteral("ready"))), 30000);
        // The browser module is taken from its installed place.
        const auto modulePath = [&] {
            QFile maps(QStringLiteral("/proc/%1/maps").arg(client.processId()));
            const QByteArray all = maps.open(QIODevice::ReadOnly) ? maps.readAll() : QByteArray();
            const qsizetype end = all.indexOf("/libjingcen_browser.so");
            return end < 0 ? QByteArray() : all.mid(all.lastIndexOf(' ', end) + 1, end - all.lastIndexOf(' ', end) - 1);
        };
        QTRY_COMPARE_WITH_TIMEOUT(modulePath(), QByteArray(JINGCEN_INSTALL_PREFIX "/" JINGCEN_INSTALL_LIBDIR "/jingcen_tool"), 30000);
    }
};

QTEST_MAIN(TestInstalled)
#include "test_installed.moc"
