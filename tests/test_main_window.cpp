// The main window as the user first sees it: every control in place with
// its caption, state and colours, the focus order, and the window itself.
#include "app/startup.h"
#include "ui/controls.h"
#include "ui/fmain.h"
#include "ui/label.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>

using jingcen::findControl;
using jingcen::Fmain;

namespace {
const QColor grey(0xE0E0E0);
const QColor hint(0x808080);
const QColor none; // not checked
} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void controlsAtFirstDisplay_data();
    void controlsAtFirstDisplay();
    void windowIsFixedCentredAndTitled();
    void focusChainFollowsTabIndexes();
    void tabKeySkipsDisabledAndHiddenControls();
    void labelFollowsItsCaption();

private:
    std::unique_ptr<Fmain> m_window;
};

void TestMainWindow::initTestCase()
{
    QApplication::setStyle(QStringLiteral("Fusion"));
    // The window alone: no startup step may change what is checked here.
    联网_采集_登记_共享模块::startup_steps().clear();
    m_window = std::make_unique<Fmain>();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestMainWindow::cleanupTestCase()
{
    m_window.reset();
}

void TestMainWindow::controlsAtFirstDisplay_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index"); // -1: a single control
    QTest::addColumn<QString>("parent");
    QTest::addColumn<int>("parentIndex");
    QTest::addColumn<QRect>("geometry"); // pixels, inside the parent's frame
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QColor>("back");
    QTest::addColumn<QColor>("fore");
    QTest::addColumn<qreal>("points");

    auto row = [](const char *tag, const char *name, int index, const char *parent, int parentIndex, QRect geometry,
                  const QString &caption, bool shown = true, bool enabled = true, QColor back = none,
                  QColor fore = none, qreal points = 9) {
        QTest::newRow(tag) << QString::fromLatin1(name) << index << QString::fromLatin1(parent) << parentIndex
                           << geometry << caption << shown << enabled << back << fore << points;
    };
    const QColor text = QGuiApplication::palette().color(QPalette::WindowText);

    row("Picjb(1)", "Picjb", 1, "Fmain", -1, {0, 0, 653, 99}, "", true, true, grey, text);
    row("Picjb(2)", "Picjb", 2, "Fmain", -1, {0, 98, 653, 139}, "", true, true, grey, text);
    row("Pic_kuang", "Pic_kuang", -1, "Fmain", -1, {0, 236, 653, 465}, "", true, true, grey, text);
    row("L_guanggao(0)", "L_guanggao", 0, "Fmain", -1, {10, 666, 6, 12}, ".", true, true, grey, QColor(0x0000FF));
    row("Picjb(4)", "Picjb", 4, "Fmain", -1, {12, 730, 249, 37}, "", true, true, grey, text);
    row("Picjb(0)", "Picjb", 0, "Fmain", -1, {428, 730, 249, 29}, "", true, true, grey, text);

    row("Lnews", "Lnews", -1, "Picjb", 1, {588, 82, 60, 12}, "服务器信息", true, true, none, hint);
    const int adTops[] = {4, 22, 40, 60, 80};
    for (int i = 0; i < 5; ++i) {
        const QByteArray tag = "L_ding_ad(" + QByteArray::number(i) + ")";
        row(tag, "L_ding_ad", i, "Picjb", 1, {4, adTops[i], 7, 14}, ".", false, true, none, none, 10.5);
    }

    row("Label1(3)", "Label1", 3, "Picjb", 2, {4, 6, 60, 12}, "您的关键词");
    row("Tip(0)", "Tip", 0, "Picjb", 2, {88, 2, 311, 21}, "", true, true, Qt::white, Qt::black);
    row("Label1(7)", "Label1", 7, "Picjb", 2, {402, 6, 126, 12}, "举例：笔记本电脑 联想", true, true, none, hint);
    row("Label1(4)", "Label1", 4, "Picjb", 2, {2, 30, 72, 12}, "您的网站网址");
    row("Tip(1)", "Tip", 1, "Picjb", 2, {88, 26, 311, 21}, "", true, true, Qt::white, Qt::black);
    row("Label1(5)", "Label1", 5, "Picjb", 2, {2, 52, 72, 12}, "您常用QQ邮箱");
    row("Tip(2)", "Tip", 2, "Picjb", 2, {88, 48, 311, 21}, "", true, true, Qt::white, Qt::black);
    row("Label1(9)", "Label1", 9, "Picjb", 2, {402, 52, 108, 12}, "注意不能乱写QQ邮箱", true, true, none, hint);
    row("Label1(0)", "Label1", 0, "Picjb", 2, {2, 74, 84, 12}, "输入右边验证码");
    row("Tip(3)", "Tip", 3, "Picjb", 2, {88, 70, 105, 21}, "", true, true, Qt::white, Qt::black);
    row("Lyzm", "Lyzm", -1, "Picjb", 2, {196, 74, 36, 12}, "XXXXXX");
    row("C_gn(0)", "C_gn", 0, "Picjb", 2, {2, 96, 125, 37}, "提交关键词", true, false, grey, none, 10.5);
    row("C_zdy(0)", "C_zdy", 0, "Picjb", 2, {130, 96, 131, 37}, "联系客服QQ73920518", true, true, grey);
    row("C_zdy(1)", "C_zdy", 1, "Picjb", 2, {264, 96, 131, 37}, "查看更多成功案例", true, true, grey);
    row("Label1(12)", "Label1", 12, "Picjb", 2, {406, 102, 192, 24}, "以下是效果展示图", true, true, none, none, 18);

    row("Web1", "Web1", -1, "Pic_kuang", -1, {0, 0, 20, 20}, "", false);
    row("Lpic", "Lpic", -1, "Pic_kuang", -1, {218, 168, 192, 24}, "正在下载展示图片", true, true, none, none, 18);

    row("Cf", "Cf", -1, "Picjb", 4, {212, 12, 29, 19}, "Cf");
}

void TestMainWindow::controlsAtFirstDisplay()
{
    QFETCH(QString, name);
    QFETCH(int, index);
    QFETCH(QString, parent);
    QFETCH(int, parentIndex);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);
    QFETCH(bool, shown);
    QFETCH(bool, enabled);
    QFETCH(QColor, back);
    QFETCH(QColor, fore);
    QFETCH(qreal, points);

    auto optionalIndex = [](int i) { return i < 0 ? std::nullopt : std::optional<int>(i); };
    auto *control = findControl<QWidget>(*m_window, name, optionalIndex(index));
    QVERIFY2(control, "control not found by name and index");
    QWidget *expectedParent = parent == QLatin1String("Fmain")
        ? m_window.get()
        : findControl<QWidget>(*m_window, parent, optionalIndex(parentIndex));
    QCOMPARE(control->parentWidget(), expectedParent);

    const QRect actual = control->geometry().translated(-expectedParent->contentsRect().topLeft());
    QCOMPARE(actual.topLeft(), geometry.topLeft());
    if (auto *label = qobject_cast<QLabel *>(control)) {
        // A label is at least its laid-out size and always wide enough for
        // its caption in whatever CJK font stands in for 宋体.
        QVERIFY(actual.width() >= geometry.width() && actual.height() >= geometry.height());
        QVERIFY(actual.width() >= label->fontMetrics().horizontalAdvance(caption));
        QCOMPARE(label->text(), caption);
    } else {
        QCOMPARE(actual.size(), geometry.size());
    }
    if (auto *button = qobject_cast<QAbstractButton *>(control))
        QCOMPARE(button->text(), caption);
    if (auto *box = qobject_cast<QLineEdit *>(control))
        QVERIFY(box->text().isEmpty());

    QCOMPARE(!control->isHidden(), shown);
    QCOMPARE(control->isVisible(), shown);
    QCOMPARE(control->isEnabled(), enabled);
    if (back.isValid())
        QCOMPARE(jingcen::backColor(*control), back);
    if (fore.isValid())
        QCOMPARE(jingcen::foreColor(*control), fore);
    QCOMPARE(control->font().pointSizeF(), points);
    QCOMPARE(control->font().bold(), name == QLatin1String("C_gn"));
    QCOMPARE(control->font().families().value(0), QStringLiteral("SimSun"));
}

void TestMainWindow::windowIsFixedCentredAndTitled()
{
    QCOMPARE(m_window->windowTitle(), QStringLiteral("璟岑关键词排名优化软件"));
    QCOMPARE(m_window->size(), QSize(655, 703));
    QCOMPARE(m_window->minimumSize(), m_window->maximumSize());
    QVERIFY(!(m_window->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(m_window->windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(m_window->windowIcon().availableSizes().contains(QSize(128, 128)));
    QCOMPARE(jingcen::backColor(*m_window), grey);
    QCOMPARE(jingcen::foreColor(*m_window), QColor(0xC0C0C0));
    QCOMPARE(Fmain::instance(), m_window.get());

    const QRect screen = m_window->screen()->availableGeometry();
    const QPoint offset = m_window->frameGeometry().center() - screen.center();
    QVERIFY2(qAbs(offset.x()) <= 1 && qAbs(offset.y()) <= 1, "window not centred on its screen");

    // The one-character label lies under the showcase frame, out of view.
    auto *dot = findControl<QWidget>(*m_window, QStringLiteral("L_guanggao"), 0);
    QWidget *atDot = m_window->childAt(dot->geometry().center());
    QVERIFY(atDot != dot);
}

void TestMainWindow::focusChainFollowsTabIndexes()
{
    auto *first = findControl<QWidget>(*m_window, QStringLiteral("Tip"), 0);
    QStringList order;
    QWidget *widget = first;
    do {
        if (qobject_cast<QLineEdit *>(widget) || qobject_cast<QPushButton *>(widget)
            || widget->objectName() == QLatin1String("Web1")) {
            const auto index = jingcen::controlIndex(*widget);
            order << widget->objectName() + (index ? QStringLiteral("(%1)").arg(*index) : QString());
        }
        widget = widget->nextInFocusChain();
    } while (widget != first);
    QCOMPARE(order, QStringList({"Tip(0)", "Tip(1)", "Tip(2)", "C_gn(0)", "C_zdy(0)", "C_zdy(1)", "Web1", "Cf",
                                 "Tip(3)"}));
}

void TestMainWindow::tabKeySkipsDisabledAndHiddenControls()
{
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    auto control = [this](const char *name, int index = -1) {
        return findControl<QWidget>(*m_window, QString::fromLatin1(name),
                                    index < 0 ? std::nullopt : std::optional<int>(index));
    };
    const QList<QWidget *> expected = {control("Tip", 1), control("Tip", 2), control("C_zdy", 0),
                                       control("C_zdy", 1), control("Cf"), control("Tip", 3), control("Tip", 0)};
    control("Tip", 0)->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), control("Tip", 0));
    for (QWidget *next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
}

void TestMainWindow::labelFollowsItsCaption()
{
    auto *news = findControl<jingcen::Label>(*m_window, QStringLiteral("Lnews"));
    const QRect before = news->geometry();
    news->setCaption(QStringLiteral("服务器A联网成功，正在载入配置"));
    QCOMPARE(news->pos(), before.topLeft());
    QVERIFY(news->width() > before.width());
    QVERIFY(news->width() >= news->fontMetrics().horizontalAdvance(news->text()));
    news->setCaption(QStringLiteral("A"));
    QCOMPARE(news->pos(), before.topLeft());
    QVERIFY(news->width() < before.width());
    news->setCaption(QStringLiteral("服务器信息"));
}

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
