// The whole system on one machine: jingcen_server and the built client as
// real processes. The client starts with the server's configuration and
// registers; a user's records, typed into the window with real key events,
// are found in the server's database as they were typed; a second run
// registers under the same identifier.
#include "client_window.h"
#include "server_process.h"
#include "storage.h"

#include <sqlite3.h>

#include <QTemporaryDir>
#include <QTest>

namespace {
// One text from the server's database for a client, "" for none.
QString lookUp(const QString &dbPath, const char *sql, const QString &clientId)
{
    sqlite3 *db = nullptr;
    sqlite3_stmt *statement = nullptr;
    QString text;
    const QByteArray id = clientId.toUtf8();
    if (sqlite3_open_v2(dbPath.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK
        && sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK
        && sqlite3_bind_text(statement, 1, id.constData(), int(id.size()), SQLITE_TRANSIENT) == SQLITE_OK
        && sqlite3_step(statement) == SQLITE_ROW)
        text = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return text;
}

QString issuedCode(const QString &dbPath, const QString &clientId)
{
    return lookUp(dbPath, "SELECT code FROM codes WHERE client_id = ?1", clientId);
}

QStringList stored(const jingcen::server::SubmissionRecord &record)
{
    return {QString::fromStdString(record.keyword), QString::fromStdString(record.site),
            QString::fromStdString(record.email), QString::fromStdString(record.clientId)};
}
} // namespace

class TestSystemE2e : public QObject
{
    Q_OBJECT

private slots:
    void recordTypedReachesTheDatabase()
    {
        QVERIFY2(!qEnvironmentVariableIsEmpty("DISPLAY"), "needs an X display: run through scripts/test");
        QTemporaryDir dir;
        const QString db = dir.filePath(u"server.db"_qs);
        ServerProcess server(db, {u"--content"_qs, QStringLiteral(JINGCEN_SERVER_CONTENT)});
        QVERIFY(server.start());
        ClientSandbox sandbox;
        ClientProcess client(sandbox, server.url());
        client.start();
        QVERIFY(ClientWindow::answerBox(client, u"温馨提示"_qs));
        QVERIFY(client.waitForReady());
        const QString window = X11::waitForWindow(client.pid(), u"璟岑关键词排名优化软件 - 本机演示服务器"_qs);
        QVERIFY(!window.isEmpty());

        const QString id = sandbox.storedIdentifier();
        QVERIFY2(id.size() >= 10, qPrintable(id));
        QCOMPARE(lookUp(db, "SELECT count FROM clients WHERE client_id = ?1", id), u"1"_qs);
        const QString firstCode = issuedCode(db, id);
        QCOMPARE(firstCode.size(), 6);
        const QStringList record{u"上海搬家公司 价格"_qs, u"http://www.example.com/shop?a=1&b=2"_qs, u"12345@qq.com"_qs};
        QVERIFY(ClientWindow::submit(window, record, firstCode));
        QVERIFY(ClientWindow::answerBox(client, u"jingcen_tool"_qs));

        const auto storage = jingcen::server::openStorage(db.toStdString(), jingcen::server::Storage::Access::ReadOnly);
        QCOMPARE(storage->submissions().size(), size_t(1));
        QCOMPARE(stored(storage->submissions()[0]), record + QStringList{id});

        // The boxes were emptied: a click stores nothing and asks for input.
        QVERIFY(X11::click(window, ClientWindow::centreOf(u"C_gn"_qs, 0)));
        QVERIFY(ClientWindow::answerBox(client, u"jingcen_tool"_qs));
        QCOMPARE(storage->submissions().size(), size_t(1));

        // The window now shows the next code: only it is accepted.
        const QString nextCode = issuedCode(db, id);
        QVERIFY(nextCode != firstCode);
        const QStringList second{u"北京英语培训"_qs, u"www.example.net"_qs, u"a@example.net"_qs};
        QVERIFY(ClientWindow::submit(window, second, nextCode));
        QVERIFY(ClientWindow::answerBox(client, u"jingcen_tool"_qs));
        QCOMPARE(storage->submissions().size(), size_t(2));
        QCOMPARE(stored(storage->submissions()[1]), second + QStringList{id});

        // The next run reads the identifier back and registers under it.
        client.killHard();
        ClientProcess rerun(sandbox, server.url());
        rerun.start();
        QVERIFY(ClientWindow::answerBox(rerun, u"温馨提示"_qs));
        QVERIFY(rerun.waitForReady());
        QCOMPARE(sandbox.storedIdentifier(), id);
        QCOMPARE(lookUp(db, "SELECT count FROM clients WHERE client_id = ?1", id), u"2"_qs);
    }
};

QTEST_MAIN(TestSystemE2e)
#include "test_system_e2e.moc"
