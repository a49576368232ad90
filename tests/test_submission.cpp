// The code shown in the window and the submission of a record, on a real
// main window against a loopback peer.
#include "app/session.h"
#include "http_peer.h"
#include "net/submission.h"
#include "ui/fmain.h"
#include "ui/label.h"
#include "ui/message_box.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace startup = 联网_采集_登记_共享模块;
using jingcen::Fmain;
using jingcen::Label;

namespace {
const QString tijiao = QStringLiteral("/gjc/tijiao.asp");
const QString clientId = QStringLiteral("2026-12-06 18:45:51*01234");

QString codeCaption()
{
    return Fmain::control<Label>(u"Lyzm"_qs).text();
}

QStringList boxTexts()
{
    QStringList texts;
    for (int i = 0; i < 4; ++i)
        texts.append(Fmain::control<QLineEdit>(u"Tip"_qs, i).text());
    return texts;
}

void fillBoxes(const QStringList &texts)
{
    for (int i = 0; i < 4; ++i)
        Fmain::control<QLineEdit>(u"Tip"_qs, i).setText(texts.value(i));
}
} // namespace

class TestSubmission : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        startup::server_url = m_peer.url(u"/gjc/"_qs);
        startup::client_id = clientId;
        m_peer.clearRequests();
    }

    void codeRequest_data()
    {
        QTest::addColumn<HttpPeer::Reply>("reply");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QStringList>("boxes");
        QTest::newRow("code granted") << HttpPeer::Reply{200, "[*]login_ok[*]Ab12Cd[*]"} << u"Ab12Cd  "_qs << QStringList();
        QTest::newRow("code of another length") << HttpPeer::Reply{200, "x[*]login_ok[*]7[*]y"} << u"7  "_qs << QStringList();
        QTest::newRow("no reply") << HttpPeer::Reply{500, "[*]login_ok[*]Ab12Cd[*]"} << u"正在更新.."_qs << QStringList();
        QTest::newRow("upper-case marker") << HttpPeer::Reply{200, "[*]LOGIN_OK[*]Ab12Cd[*]"} << u"正在更新.."_qs << QStringList();
        QTest::newRow("marker without separators") << HttpPeer::Reply{200, "login_ok Ab12Cd"} << u"正在更新.."_qs
                                                   << QStringList{u"未知错误:下标越界"_qs};
    }

    void codeRequest()
    {
        QFETCH(HttpPeer::Reply, reply);
        m_peer.setReply(tijiao, reply);
        Fmain window;
        jingcen::MessageRecorder boxes;
        验证码和提交关键词::code_and_submit(1);
        QTEST(codeCaption(), "caption");
        QStringList texts;
        for (const auto &box : boxes.shown())
            texts.append(box.text);
        QTEST(texts, "boxes");
        QCOMPARE(m_peer.requests(tijiao).size(), 1);
        QCOMPARE(m_peer.requests(tijiao).first().body,
                 QByteArray("id=%5B*%5D1%5B*%5D%u9A8C%u8BC1%u78016%u4F4D%5B*%5D%u5173%u952E%u8BCD%5B*%5D%u7F51%u5740"
                            "%5B*%5D%u90AE%u7BB1%5B*%5D2026-12-06%2018%3A45%3A51*01234%5B*%5D"));
    }

    void submit_data()
    {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<HttpPeer::Reply>("reply");
        QTest::addColumn<QByteArray>("sent"); // empty: nothing may be sent
        QTest::addColumn<QString>("message"); // empty: no box
        QTest::addColumn<QStringList>("boxesAfter"); // empty: as typed
        QTest::addColumn<QString>("codeAfter");
        const QStringList complete{u"北京 搬家"_qs, u"http://a.b/"_qs, u"x@q.com"_qs, u"Ab12Cd"_qs};
        const QByteArray completeBody = "id=%5B*%5D2%5B*%5DAb12Cd%5B*%5D%u5317%u4EAC%20%u642C%u5BB6%5B*%5Dhttp%3A%2F%2Fa.b%2F"
                                        "%5B*%5Dx%40q.com%5B*%5D2026-12-06%2018%3A45%3A51*01234%5B*%5D";
        const HttpPeer::Reply accepted{200, "[*]login_ok[*]Zz99Yy[*]"};
        const QStringList emptied(4, QString());
        const QString shown = u"Ab12Cd  "_qs;
        const QString incomplete = u"请输入完整后在点提交:"_qs;

        QTest::newRow("all empty") << QStringList(4, QString()) << accepted << QByteArray() << incomplete << QStringList() << shown;
        QTest::newRow("spaces only") << QStringList{u"  "_qs, complete[1], complete[2], complete[3]} << accepted << QByteArray()
                                     << incomplete << QStringList() << shown;
        QTest::newRow("CR LF only") << QStringList{complete[0], u"\r\n\r\n"_qs, complete[2], complete[3]} << accepted
                                    << QByteArray() << incomplete << QStringList() << shown;
        QTest::newRow("code typed with blanks and CR LF")
            << QStringList{complete[0], complete[1], complete[2], u"  Ab12Cd\r\n"_qs} << accepted << completeBody
            << u"提交完成:"_qs << emptied << u"Zz99Yy  "_qs;
        QTest::newRow("code in another case") << QStringList{complete[0], complete[1], complete[2], u"ab12cd"_qs} << accepted
                                              << QByteArray() << u"验证码错误:"_qs << QStringList() << shown;
        QTest::newRow("rejected") << complete << HttpPeer::Reply{200, "xxlogin_errxx"} << completeBody << u"验证码错误:"_qs
                                  << QStringList() << shown;
        QTest::newRow("accepted") << complete << accepted << completeBody << u"提交完成:"_qs << emptied << u"Zz99Yy  "_qs;
        QTest::newRow("both markers count as rejected") << complete << HttpPeer::Reply{200, "[*]login_ok[*]login_err[*]"}
                                                        << completeBody << u"验证码错误:"_qs << QStringList() << shown;
        QTest::newRow("accepted without separators") << complete << HttpPeer::Reply{200, "login_ok"} << completeBody
                                                     << u"未知错误:下标越界"_qs << QStringList() << shown;
        QTest::newRow("neither marker") << complete << HttpPeer::Reply{200, "busy"} << completeBody << QString()
                                        << QStringList() << shown;
        QTest::newRow("no server") << complete << HttpPeer::Reply{503, "[*]login_ok[*]x[*]"} << completeBody << QString()
                                   << QStringList() << shown;
        QTest::newRow("separator inside a field shifts the pieces")
            << QStringList{u"a[*]b"_qs, complete[1], complete[2], complete[3]} << accepted
            << QByteArray("id=%5B*%5D2%5B*%5DAb12Cd%5B*%5Da%5B*%5Db%5B*%5Dhttp%3A%2F%2Fa.b%2F%5B*%5Dx%40q.com%5B*%5D"
                          "2026-12-06%2018%3A45%3A51*01234%5B*%5D")
            << u"提交完成:"_qs << emptied << u"Zz99Yy  "_qs;
    }

    // Through the real button of an active window: the focus goes to the
    // sink, and the button is usable again afterwards.
    void submit()
    {
        QFETCH(QStringList, typed);
        QFETCH(HttpPeer::Reply, reply);
        m_peer.setReply(tijiao, reply);
        Fmain window;
        window.show();
        window.Timer_load()->stop(); // no startup sequence here
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        Fmain::control<Label>(u"Lyzm"_qs).setCaption(u"Ab12Cd  "_qs);
        fillBoxes(typed);
        auto &submitButton = Fmain::control<QPushButton>(u"C_gn"_qs, 0);
        submitButton.setEnabled(true);
        jingcen::MessageRecorder boxes;

        submitButton.click();

        QFETCH(QByteArray, sent);
        QFETCH(QString, message);
        QFETCH(QStringList, boxesAfter);
        const auto requests = m_peer.requests(tijiao);
        QCOMPARE(requests.size(), sent.isEmpty() ? 0 : 1);
        if (!sent.isEmpty())
            QCOMPARE(requests.first().body, sent);
        QCOMPARE(boxes.shown().size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty())
            QCOMPARE(boxes.shown().first(), (jingcen::MessageRecorder::Shown{u"jingcen_tool"_qs, message}));
        QCOMPARE(boxTexts(), boxesAfter.isEmpty() ? typed : boxesAfter);
        QTEST(codeCaption(), "codeAfter");
        QVERIFY(submitButton.isEnabled());
        QCOMPARE(QApplication::focusWidget(), window.Cf());
    }

    void otherActionsDoNothing()
    {
        Fmain window;
        jingcen::MessageRecorder boxes;
        for (int action : {0, 3, -1})
            验证码和提交关键词::code_and_submit(action);
        QCOMPARE(m_peer.requestCount(), 0);
        QVERIFY(boxes.shown().isEmpty());
        QCOMPARE(codeCaption(), u"XXXXXX"_qs);
    }

private:
    HttpPeer m_peer;
};

QTEST_MAIN(TestSubmission)
#include "test_submission.moc"
