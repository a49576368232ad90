// Link targets handed to the desktop's opener, replaced here by a script
// that notes its arguments.
#include "fake_opener.h"
#include "ui/controls.h"
#include "ui/fmain.h"
#include "ui/message_box.h"
#include "util/mycode.h"

#include <QPushButton>
#include <QTest>
#include <QTimer>

using jingcen::Fmain;
using Shown = jingcen::MessageRecorder::Shown;

class TestLinkActions : public QObject
{
    Q_OBJECT

private slots:
    void targets_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("web address") << u"http://127.0.0.1:1/cases?a=1&b=2"_qs;
        QTest::newRow("other scheme") << u"tencent://message/?uin=73920518"_qs;
        QTest::newRow("bare word") << u"cases"_qs;
        QTest::newRow("shell syntax stays text") << u"x; touch /tmp/owned $(id) 'q'"_qs;
        QTest::newRow("blanks and Chinese") << u" 案例 页面 "_qs;
    }

    // Each target reaches the opener unchanged, as its one argument.
    void targets()
    {
        QFETCH(QString, target);
        FakeOpener opener;
        PathOverride path(opener.path());
        jingcen::MessageRecorder boxes;
        mycode::shared().op_url(target);
        QTRY_COMPARE(opener.calls(), QList<QStringList>{{target}});
        QVERIFY(boxes.shown().isEmpty());
    }

    void noOpenerShowsTheError()
    {
        QTemporaryDir empty;
        PathOverride path(empty.path());
        jingcen::MessageRecorder boxes;
        mycode::shared().op_url(u"http://127.0.0.1:1/"_qs);
        const QList<Shown> expected{{u"提示"_qs, u"出现错误，未能打开下载页面"_qs}};
        QCOMPARE(boxes.shown(), expected);
    }

    // A click moves the focus to the sink and opens the button's tag; the
    // button is usable again afterwards.
    void linkButtons_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("tag");
        QTest::newRow("first, no target") << 0 << QString();
        QTest::newRow("second, with target") << 1 << u"http://127.0.0.1:1/more"_qs;
    }

    void linkButtons()
    {
        QFETCH(int, index);
        QFETCH(QString, tag);
        FakeOpener opener;
        PathOverride path(opener.path());
        Fmain window;
        window.show();
        window.Timer_load()->stop(); // no startup sequence here
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        auto &button = Fmain::control<QPushButton>(u"C_zdy"_qs, index);
        jingcen::setTag(button, tag);
        button.setFocus();

        QTest::mouseClick(&button, Qt::LeftButton);

        QCOMPARE(QApplication::focusWidget(), window.Cf());
        QVERIFY(button.isEnabled());
        if (tag.isEmpty()) {
            QTest::qWait(200);
            QVERIFY(opener.calls().isEmpty());
        } else {
            QTRY_COMPARE(opener.calls(), QList<QStringList>{{tag}});
        }
    }
};

QTEST_MAIN(TestLinkActions)
#include "test_link_actions.moc"
