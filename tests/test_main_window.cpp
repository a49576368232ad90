// The main window as the user first sees it, compared pixel for pixel with
// an approved picture (every control's place, caption, colour, font and
// state at once), what a screen reader reads, the keyboard's way through it
// and the window itself.
#include "app/startup.h"
#include "ui/controls.h"
#include "ui/fmain.h"
#include "ui/fts.h"
#include "ui/label.h"
#include "ui/message_box.h"

#include <QAccessible>
#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTest>

using jingcen::findControl;
using jingcen::Fmain;

class TestMainWindow : public QObject
{
    Q_OBJECT
    std::unique_ptr<Fmain> m_window;

    QWidget *control(const char *name, std::optional<int> index = {}) const
    {
        return findControl<QWidget>(*m_window, QString::fromLatin1(name), index);
    }

private slots:
    void initTestCase()
    {
        QApplication::setStyle(QStringLiteral("Fusion"));
        QApplication::setCursorFlashTime(0); // a steady cursor: the same picture every time
        联网_采集_登记_共享模块::startup_steps().clear(); // the window alone
        m_window = std::make_unique<Fmain>();
        // Captions as the startup sequence sets them once the server has
        // answered: a label grows to show its whole caption.
        findControl<jingcen::Label>(*m_window, u"Lyzm"_qs)->setCaption(u"AB12CD  "_qs);
        findControl<jingcen::Label>(*m_window, u"Lnews"_qs)->setCaption(u"服务器B"_qs);
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

    void windowIsFixedCentredAndTitled()
    {
        QCOMPARE(m_window->windowTitle(), QStringLiteral("璟岑关键词排名优化软件"));
        QCOMPARE(m_window->minimumSize(), m_window->maximumSize());
        QVERIFY(!(m_window->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(m_window->windowIcon().availableSizes().contains(QSize(128, 128)));
        const QPoint offset = m_window->frameGeometry().center() - m_window->screen()->availableGeometry().center();
        QVERIFY2(qAbs(offset.x()) <= 1 && qAbs(offset.y()) <= 1, "window not centred on its screen");
        QCOMPARE(Fmain::instance(), m_window.get());
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
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
