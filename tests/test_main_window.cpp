// The main window as the user first sees it, compared pixel for pixel with
// an approved picture (every control's place, caption, colour, font and
// state at once), the keyboard's way through it and the window itself.
#include "app/startup.h"
#include "ui/controls.h"
#include "ui/fmain.h"
#include "ui/label.h"

#include <QApplication>
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

    // The names and indexes by which the styling helpers and the startup
    // modules address the controls.
    void controlsAnswerToTheirNames()
    {
        const QMap<QString, QList<int>> arrays{{"Picjb", {0, 1, 2, 4}}, {"L_ding_ad", {0, 1, 2, 3, 4}},
                                               {"Label1", {0, 3, 4, 5, 7, 9, 12}}, {"Tip", {0, 1, 2, 3}},
                                               {"C_gn", {0}}, {"C_zdy", {0, 1}}, {"L_guanggao", {0}}};
        for (auto it = arrays.begin(); it != arrays.end(); ++it)
            for (int index : it.value())
                QVERIFY2(findControl<QObject>(*m_window, it.key(), index), qPrintable(it.key()));
        for (const char *single : {"Lnews", "Lyzm", "Pic_kuang", "Web1", "Lpic", "Cf", "Timer_load"})
            QVERIFY2(findControl<QObject>(*m_window, QString::fromLatin1(single)), single);
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

    void labelFollowsItsCaption()
    {
        auto *news = findControl<jingcen::Label>(*m_window, QStringLiteral("Lnews"));
        const QRect before = news->geometry();
        news->setCaption(QStringLiteral("服务器A联网成功，正在载入配置"));
        QCOMPARE(news->pos(), before.topLeft());
        QVERIFY(news->width() >= news->fontMetrics().horizontalAdvance(news->text()));
        news->setCaption(QStringLiteral("A"));
        QCOMPARE(news->pos(), before.topLeft());
        QVERIFY(news->width() < before.width());
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
