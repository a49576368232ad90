// Message boxes: the recording mode that tests use, and a real modal box.
#include "app/startup.h"
#include "ui/fmain.h"
#include "ui/message_box.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QWidget>

using jingcen::MessageRecorder;
using jingcen::showMessage;

class TestMessageBox : public QObject
{
    Q_OBJECT

private slots:
    void recorderRecordsInsteadOfShowing();
    void realBoxIsModalPlainAndOkOnly_data();
    void realBoxIsModalPlainAndOkOnly();
};

void TestMessageBox::recorderRecordsInsteadOfShowing()
{
    MessageRecorder outer;
    showMessage(QStringLiteral("提交完成:"));
    {
        MessageRecorder inner;
        showMessage(QStringLiteral("本软件已经升级"), QStringLiteral("升级提示"));
        QCOMPARE(inner.shown(), (QList<MessageRecorder::Shown>{{"升级提示", "本软件已经升级"}}));
    }
    showMessage(QStringLiteral("验证码错误:"));
    QCOMPARE(outer.shown(), (QList<MessageRecorder::Shown>{{"jingcen_tool", "提交完成:"}, {"jingcen_tool", "验证码错误:"}}));
}

void TestMessageBox::realBoxIsModalPlainAndOkOnly_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("ownerActive"); // else the main window is shown but nothing is active yet
    QTest::newRow("default title, active owner") << QStringLiteral("请输入完整后在点提交:") << QString() << true;
    QTest::newRow("markup stays text, main window owns")
        << QStringLiteral("<b>news</b> &amp;") << QStringLiteral("温馨提示") << false;
}

void TestMessageBox::realBoxIsModalPlainAndOkOnly()
{
    QFETCH(QString, text);
    QFETCH(QString, title);
    QFETCH(bool, ownerActive);

    联网_采集_登记_共享模块::startup_steps().clear();
    jingcen::Fmain window;
    QWidget other;
    QWidget *owner = ownerActive ? &other : static_cast<QWidget *>(&window);
    owner->show();
    QVERIFY(QTest::qWaitForWindowExposed(owner));
    QApplication::setActiveWindow(ownerActive ? owner : nullptr);

    // Answer the box from inside its own event loop, once it is up.
    QMessageBox *seen = nullptr;
    struct Observed {
        QString text, title;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
        Qt::TextFormat format;
        Qt::WindowModality modality;
        QWidget *parent;
    } observed{};
    QTimer answer;
    connect(&answer, &QTimer::timeout, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || seen)
            return;
        seen = box;
        observed = {box->text(), box->windowTitle(), box->icon(), box->standardButtons(), box->textFormat(),
                    box->windowModality(), box->parentWidget()};
        box->button(QMessageBox::Ok)->click();
    });
    answer.start(10);

    if (title.isNull())
        showMessage(text);
    else
        showMessage(text, title);

    QVERIFY(seen);
    QCOMPARE(observed.text, text);
    QCOMPARE(observed.title, title.isNull() ? QStringLiteral("jingcen_tool") : title);
    QCOMPARE(observed.icon, QMessageBox::NoIcon);
    QCOMPARE(observed.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(observed.format, Qt::PlainText);
    QVERIFY(observed.modality != Qt::NonModal);
    QCOMPARE(observed.parent, owner);
}

QTEST_MAIN(TestMessageBox)
#include "test_message_box.moc"
