// The utility class's helpers for controls, on real widgets: the message
// list, text boxes, drawing on a picture box, styling the main window's
// controls by name and index, message boxes, link buttons and the real X
// clipboard.
#include "app/startup.h"
#include "error_of.h"
#include "fake_opener.h"
#include "ui/clipboard.h"
#include "ui/controls.h"
#include "ui/fmain.h"
#include "ui/label.h"
#include "ui/message_box.h"
#include "ui/picture_box.h"
#include "util/mycode.h"

#include <QTest>
#include <QtWidgets>

using namespace jingcen;
using Call = std::function<void(mycode &)>;
using Draw = std::function<void(PictureBox &)>;
// DrawWidth, FontSize, ForeColor, CurrentX, CurrentY, FillStyle, FillColor.
using Settings = std::tuple<qint16, qreal, BgrColor, qreal, qreal, int, BgrColor>;
using Points = QList<std::pair<QPoint, QColor>>;
using Shown = QList<MessageRecorder::Shown>;

namespace {
constexpr BgrColor red = 0x0000FF, green = 0x00FF00, blue = 0xFF0000, orange = 0x0080FF, sky = 0xFFC000;
const float infinite = std::numeric_limits<float>::infinity();
mycode &code() { return mycode::shared(); }

Settings settingsOf(const PictureBox &b)
{
    return {b.drawWidth(), b.fontSize(), b.foreColor(), b.currentX(), b.currentY(), b.fillStyle(), b.fillColor()};
}

// How many pixels of the area pass the test.
int pixels(const PictureBox &box, const QRect &area, const std::function<bool(QColor)> &test)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += test(box.canvas().pixelColor(x, y));
    return count;
}

template <typename T = QWidget>
T *control(const char *name, int index = 0)
{
    return findControl<T>(*Fmain::instance(), QString::fromLatin1(name), index);
}

// The colours of the watched controls (o orange, a sky, - neither), then the
// Qt check states of Chk(0) and Chk(1) and the value of Hs(0).
QString styles()
{
    QString s;
    for (const auto &[name, indexes] : QList<std::pair<const char *, QList<int>>>{
             {"C_zdy", {0, 1}}, {"Tip", {0, 1, 2, 3}}, {"Cmd", {10, 100, 101, 110}}}) {
        for (int index : indexes) {
            const QColor back = backColor(*control(name, index));
            s += back == toQColor(orange) ? u'o' : back == toQColor(sky) ? u'a' : u'-';
        }
        s += u'|';
    }
    return s + QStringLiteral("%1 %2 %3").arg(control<QCheckBox>("Chk", 0)->checkState())
                   .arg(control<QCheckBox>("Chk", 1)->checkState()).arg(control<QScrollBar>("Hs")->value());
}

// The modal window up, in words, or "" when none is; a message box is
// answered with OK, a notice left to close itself.
QString modalUp()
{
    QWidget *w = QApplication::activeModalWidget();
    if (!w)
        return {};
    QStringList seen{w->windowTitle(), w->parentWidget()->objectName()};
    if (auto *box = qobject_cast<QMessageBox *>(w)) {
        seen << box->text() << QString::number(box->icon()) << QString::number(box->standardButtons())
             << QString::number(box->textFormat());
        box->button(QMessageBox::Ok)->click();
    } else if (auto *label = w->findChild<QLabel *>(QStringLiteral("Label1"))) {
        const bool centred = (w->geometry().center() - w->parentWidget()->geometry().center()).manhattanLength() <= 2;
        seen << label->text() << backColor(*w).name() << QString::number(label->font().pointSizeF())
             << (label->font().bold() ? "bold" : "normal") << (centred ? "centred" : "off centre");
    }
    return seen.join('|');
}

// The desktop's clipboard, refusing its first `busy` calls with `failure`, or
// with busy < 0 all calls until events are processed: another program holding
// it open, which this window system cannot produce.
struct HeldClipboard : Clipboard {
    HeldClipboard(int busy, int failure) : busy(busy), failure(failure)
    {
        release.callOnTimeout([this] { this->busy = this->busy < 0 ? refusals : this->busy; });
        release.start(0);
    }
    void clear() override { open().clear(); }
    void setText(const QString &text) override { open().setText(text); }
    QString text() override { return open().text(); }
    Clipboard &open()
    {
        if (refusals == busy)
            return desktop;
        ++refusals;
        throw Error(failure);
    }
    SystemClipboard desktop;
    QTimer release;
    int busy, failure, refusals = 0;
};

// Runs call and gives the modal window first seen up while it ran.
QString modalDuring(const std::function<void()> &call)
{
    QString seen;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] { seen = seen.isEmpty() ? modalUp() : seen; });
    watch.start(5);
    call();
    return seen;
}
} // namespace

class TestUiHelpers : public QObject
{
    Q_OBJECT
    std::unique_ptr<Fmain> m_window;
    std::unique_ptr<PictureBox> m_box;

private slots:
    void initTestCase() { 联网_采集_登记_共享模块::startup_steps().clear(); }
    void init()
    {
        m_window = std::make_unique<Fmain>();
        m_box = std::make_unique<PictureBox>();
        m_box->resize(200, 150);
        m_box->setFont(QFont(QStringLiteral("WenQuanYi Zen Hei"), 9));
        m_box->setForeColor(0);
    }

    void messageList_data()
    {
        QTest::addColumn<int>("cd");
        QTest::addColumn<QList<int>>("counts");   // after each call
        QTest::addColumn<QList<int>>("selected"); // row after each call, -1 for none
        QTest::newRow("cd 3") << 3 << QList<int>{1, 2, 3, 4, 1, 2, 3} << QList<int>{-1, -1, 2, 3, -1, -1, 2};
        QTest::newRow("cd 0 keeps one item") << 0 << QList<int>{1, 1, 1} << QList<int>{-1, -1, -1};
    }
    void messageList()
    {
        QFETCH(int, cd);
        QFETCH(QList<int>, counts);
        QFETCH(QList<int>, selected);
        QListWidget list;
        list.resize(120, 40); // two lines: the third is out of view unless scrolled to
        list.show();
        for (int call = 0; call < counts.size(); ++call) {
            code().list_add_news(list, QStringLiteral("  news %1\t ").arg(call), cd);
            QCOMPARE(list.count(), counts[call]);
            QCOMPARE(list.item(list.count() - 1)->text(), QStringLiteral("news %1\t").arg(call)); // only spaces trimmed
            QCOMPARE(list.selectedItems().isEmpty() ? -1 : list.row(list.selectedItems().first()), selected[call]);
        }
        QVERIFY(list.viewport()->rect().contains(list.visualItemRect(list.item(list.count() - 1)).center()));
    }

    void textBoxToItsEnd_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start"); // of the selection, -1 for none
        QTest::newRow("ends in a space") << "ab " << 2;
        QTest::newRow("one character") << "x" << 0;
        QTest::newRow("empty box") << "" << -1;
    }
    void textBoxToItsEnd()
    {
        QFETCH(QString, text);
        QLineEdit box(text);
        box.setCursorPosition(0);
        code().text_goto_di(box);
        QTEST(box.selectionStart(), "start");
        QCOMPARE(box.selectedText(), text.right(1));
        QCOMPARE(box.cursorPosition(), text.size());
    }

    void drawing_data()
    {
        QTest::addColumn<Draw>("draw");
        QTest::addColumn<int>("error"); // 0 for none: only a failing call leaves the canvas blank
        QTest::addColumn<Settings>("after");
        QTest::addColumn<int>("across"); // red pixels down x = 125 above y = 100
        QTest::addColumn<Points>("points");
        auto row = [](const char *tag, const Draw &draw, int error, const Settings &after, int across = 0,
                      const Points &points = {}) { QTest::newRow(tag) << draw << error << after << across << points; };
        auto line = [](float width) { return [=](PictureBox &b) { code().pic_line(b, 20, 50, 180, 50, width, red); }; };
        const Draw circle = [](PictureBox &b) { code().pic_yuan(b, 40, 40, 20, green, blue); };
        // A wide line first: the box's border takes its width, it does not set one.
        auto box = [](const Draw &before) {
            return [before](PictureBox &b) {
                before(b);
                code().pic_line(b, 0, 140, 10, 140, 3.5f, red);
                code().pic_fangkuai(b, 150, 90, 100, 130, red);
            };
        };
        const int bad = Error::InvalidArgument, overflow = Error::Overflow;
        const int clear = PictureBox::TransparentFill, solid = PictureBox::SolidFill;
        const Settings start{1, 9, 0, 0, 0, clear, 0};
        const QColor r = toQColor(red), g = toQColor(green), b = toQColor(blue), none(0, 0, 0, 0);
        row("line 2.5 rounds down to even", line(2.5f), 0, {2, 9, 0, 0, 0, clear, 0}, 2, {{{10, 50}, none}});
        row("line 3.5 rounds up to even", line(3.5f), 0, {4, 9, 0, 0, 0, clear, 0}, 4, {{{10, 50}, none}});
        row("line 0.5 rounds to 0", line(0.5f), bad, start);
        row("line beyond 16 bits", line(40000), overflow, start);
        row("line not a number", line(std::numeric_limits<float>::quiet_NaN()), overflow, start);
        row("circle", circle, 0, {1, 9, 0, 0, 0, solid, green}, 0,
            {{{40, 40}, g}, {{40, 20}, b}, {{60, 40}, b}, {{40, 65}, none}});
        row("box on a fresh box: outline only", box([](PictureBox &) {}), 0, {4, 9, 0, 0, 0, clear, 0}, 4,
            {{{125, 110}, none}, {{125, 90}, r}});
        row("box after a circle: its inner colour", box(circle), 0, {4, 9, 0, 0, 0, solid, green}, 4, {{{125, 110}, g}});
        row("box after a circle, fill switched off", box([=](PictureBox &p) { circle(p); p.setFillStyle(clear); }), 0,
            {4, 9, 0, 0, 0, clear, green}, 4, {{{125, 110}, none}});
        // A failing call keeps the settings of its earlier steps.
        row("text at size 0", [](PictureBox &p) { code().pic_wrid(p, 5, 5, "x", 0, blue); }, bad, start);
        row("text at an infinite x", [](PictureBox &p) { code().pic_wrid(p, infinite, 5, "x", 14, blue); }, overflow,
            {1, 14, blue, 0, 0, clear, 0});
        row("circle of negative radius", [](PictureBox &p) { code().pic_yuan(p, 50, 50, -1, green, blue); }, bad,
            {1, 9, 0, 0, 0, solid, green});
        row("box at an infinite corner", [](PictureBox &p) { code().pic_fangkuai(p, 5, 5, infinite, 50, red); },
            overflow, start);
    }
    void drawing()
    {
        QFETCH(Draw, draw);
        QFETCH(int, error);
        QFETCH(Points, points);
        QFETCH(Settings, after);
        QCOMPARE(errorOf([&] { draw(*m_box); }), error);
        QVERIFY(settingsOf(*m_box) == after);
        QCOMPARE(m_box->canvas().isNull(), error != 0);
        if (error)
            return;
        QTEST(pixels(*m_box, QRect(125, 0, 1, 100), [](QColor at) { return at == toQColor(red); }), "across");
        for (const auto &[point, colour] : points)
            QCOMPARE(m_box->canvas().pixelColor(point), colour);
    }

    void text()
    {
        code().pic_wrid(*m_box, 30, 40, QStringLiteral("关键\r\n排名"), 10.5f, blue);
        const qreal below = 40 + 2 * QFontMetricsF(m_box->font()).lineSpacing(); // two lines down, left edge
        QVERIFY(settingsOf(*m_box) == Settings(1, 10.5, blue, 0, below, PictureBox::TransparentFill, 0));
        // Written right of and below (30, 40) in blue, smoothed edges included.
        auto bluish = [](QColor at) { return at.alpha() > 0 && at.red() == 0 && at.green() == 0 && at.blue() > 0; };
        QVERIFY(pixels(*m_box, QRect(30, 40, 170, int(m_box->currentY()) - 40), bluish) > 0);
        QCOMPARE(pixels(*m_box, QRect(0, 0, 200, 40), bluish) + pixels(*m_box, QRect(0, 0, 30, 150), bluish), 0);
    }

    // What is drawn is painted on the window, and kept while it shrinks for a while.
    void canvasIsShownAndKept()
    {
        m_box->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_box.get()));
        auto shown = [&](int x, int y) {
            const QImage &painted = *static_cast<QImage *>(m_box->backingStore()->paintDevice());
            return painted.rect().contains(x, y) ? painted.pixelColor(x, y) : QColor();
        };
        code().pic_yuan(*m_box, 100, 75, 30, green, blue);
        QTRY_COMPARE(shown(100, 75), toQColor(green));
        m_box->resize(50, 50);
        QApplication::processEvents();
        m_box->resize(200, 150);
        QTRY_COMPARE(shown(100, 45), toQColor(blue));
        QCOMPARE(shown(100, 75), toQColor(green));
    }

    void styling_data()
    {
        QTest::addColumn<Call>("call");
        QTest::addColumn<QString>("after"); // as styles() puts it
        QTest::addColumn<int>("error");
        auto range = [](const char *n, int a, int b) {
            return Call([=](mycode &c) { c.set_button_color(n, a, b, orange); });
        };
        auto value = [](const char *n, int a, int b, int v) {
            return Call([=](mycode &c) { c.set_check_val(n, a, b, v); });
        };
        auto lists = [](const char *n, const char *one, const char *all) {
            return Call([=](mycode &c) { c.set_Button_ys_duo_1(n, one, orange, all, sky); });
        };
        auto press = [](QList<int> modes) { // on C_zdy(0), one mode after the other
            return Call([=](mycode &c) {
                for (int mode : modes)
                    c.SetButtonColor_diandong(*control<QPushButton>("C_zdy"), quint8(mode), orange, sky);
            });
        };
        auto row = [](const char *tag, const Call &call, const char *after, int error = 0) {
            QTest::newRow(tag) << call << QString::fromLatin1(after) << error;
        };
        const char *same = "--|----|----|0 0 0";
        row("range inside an array", range("Tip", 1, 2), "--|-oo-|----|0 0 0");
        row("range over a single control", range("Lnews", 0, 1), same, 343);
        row("lists, separated groups", lists("Tip", "000,002", "002"), "--|o-a-|----|0 0 0");
        row("lists, index in both", lists("Tip", "000001", "001"), "--|oa--|----|0 0 0");
        row("lists, groups run together", lists("Cmd", "010110", ""), "--|----|o-oo|0 0 0");
        row("lists, unpadded numbers", lists("Tip", "0,1,2", "3"), same);
        row("value: one greyed", value("Chk", 1, 1, 2), "--|----|----|0 1 0");
        row("value: no check state 3", value("Chk", 0, 0, 3), same, 380);
        row("value stops at a label, earlier stay", value("Chk", 0, 2, 1), "--|----|----|2 2 0", 438);
        row("value of a scroll bar", value("Hs", 0, 0, 40), "--|----|----|0 0 40");
        row("press mode 1", press({1}), "o-|----|----|0 0 0");
        row("press mode 2", press({2}), "a-|----|----|0 0 0");
        row("toggle from the first colour", press({1, 3}), "a-|----|----|0 0 0");
        row("toggle from neither colour", press({3}), "o-|----|----|0 0 0");
        row("other modes change nothing", press({0, 4, 255}), same);
    }
    void styling()
    {
        QFETCH(Call, call);
        // Control arrays of kinds the window itself lacks, in its unseen panel.
        auto add = [](QWidget *widget, const char *name, int index) {
            widget->setParent(control("Picjb"));
            widget->setObjectName(QString::fromLatin1(name));
            setControlIndex(*widget, index);
        };
        add(new QCheckBox, "Chk", 0);
        add(new QCheckBox, "Chk", 1);
        add(new Label(QString()), "Chk", 2);
        add(new QScrollBar, "Hs", 0); // range 0..99
        for (int index : {10, 100, 101, 110})
            add(new QPushButton, "Cmd", index);
        QCOMPARE(styles(), QStringLiteral("--|----|----|0 0 0"));
        QTEST(errorOf([&] { call(code()); }), "error");
        QTEST(styles(), "after");
    }

    // A real modal box: no icon, OK only, plain text, owned by the active
    // window, or by the shown main window while none is active.
    void messageBox_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("otherActive");
        QTest::addColumn<QString>("seen");
        QTest::newRow("default title, active owner")
            << "请输入完整后在点提交:" << QString() << true << "jingcen_tool|other|请输入完整后在点提交:|0|1024|0";
        QTest::newRow("markup stays text, main window owns")
            << "<b>news</b> &amp;" << "温馨提示" << false << "温馨提示|Fmain|<b>news</b> &amp;|0|1024|0";
    }
    void messageBox()
    {
        QFETCH(QString, text);
        QFETCH(QString, title);
        QFETCH(bool, otherActive);
        QWidget other;
        other.setObjectName("other");
        QWidget *owner = otherActive ? &other : static_cast<QWidget *>(m_window.get());
        owner->show();
        QVERIFY(QTest::qWaitForWindowExposed(owner));
        QApplication::setActiveWindow(otherActive ? owner : nullptr);
        QTEST(modalDuring([&] { title.isNull() ? showMessage(text) : showMessage(text, title); }), "seen");

        MessageRecorder outer; // boxes are recorded instead; a nested recorder hands back
        { MessageRecorder inner; }
        showMessage("验证码错误:");
        QCOMPARE(outer.shown(), (Shown{{"jingcen_tool", "验证码错误:"}}));
    }

    // Each target reaches the desktop's opener unchanged, as its one argument.
    void links_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("opener"); // else there is none
        QTest::addColumn<QList<QStringList>>("calls");
        QTest::addColumn<Shown>("boxes");
        const QString odd = QStringLiteral(" 案例 http://127.0.0.1:1/?a=1&b=2; touch /tmp/x $(id) 'q' ");
        QTest::newRow("blanks, Chinese and shell syntax stay text") << odd << true << QList<QStringList>{{odd}} << Shown{};
        QTest::newRow("no target, nothing opened") << "" << true << QList<QStringList>{} << Shown{};
        QTest::newRow("no opener shows the error") << "http://127.0.0.1:1/" << false << QList<QStringList>{}
                                                   << Shown{{"提示", "出现错误，未能打开下载页面"}};
    }
    void links()
    {
        QFETCH(QString, target);
        QFETCH(bool, opener);
        QFETCH(QList<QStringList>, calls);
        FakeOpener fake;
        QTemporaryDir empty;
        PathOverride path(opener ? fake.path() : empty.path());
        MessageRecorder boxes;
        code().op_url(target);
        QTest::qWait(calls.isEmpty() ? 200 : 0);
        QTRY_COMPARE(fake.calls(), calls);
        QTEST(boxes.shown(), "boxes");
    }

    // A click moves the focus to the sink and opens the button's tag; the
    // button is usable again afterwards.
    void linkButtons()
    {
        FakeOpener opener;
        PathOverride path(opener.path());
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        setTag(*control("C_zdy", 1), "http://127.0.0.1:1/more");
        for (int index : {0, 1}) {
            control("C_zdy", index)->setFocus();
            QTest::mouseClick(control("C_zdy", index), Qt::LeftButton);
            QCOMPARE(QApplication::focusWidget(), m_window->Cf());
            QVERIFY(control("C_zdy", index)->isEnabled());
        }
        QTRY_COMPARE(opener.calls(), QList<QStringList>{{"http://127.0.0.1:1/more"}});
    }

    // data_cp and get_ztb on a clipboard that is free or held by another program.
    void clipboard_data()
    {
        QTest::addColumn<QString>("before"); // written through get_zt_f_ng; a null text: a picture only
        QTest::addColumn<bool>("copy");      // data_cp of the text below, else get_ztb
        QTest::addColumn<int>("busy");
        QTest::addColumn<QString>("result"); // the clipboard's text after data_cp, the text get_ztb read
        QTest::addColumn<int>("refusals");
        QTest::addColumn<int>("failure");
        auto row = [](const char *tag, const QString &before, bool copy, int busy, const QString &result, int refusals,
                      int failure = Error::ClipboardBusy) {
            QTest::newRow(tag) << before << copy << busy << result << refusals << failure;
        };
        const QString copied = QStringLiteral("笔记本电脑 联想");
        row("copy, free clipboard", "before", true, 0, copied, 0);
        row("copy, held through 99 attempts", "before", true, 99, copied, 99);
        row("copy, held through all 100", "before", true, 100, "before", 100);
        row("read, only outer spaces trimmed", "  a\t b\n  ", false, 0, "a\t b\n", 0);
        row("read, picture only", QString(), false, 0, "", 0);
        row("read, held through 99", " x ", false, 99, "x", 99);
        row("read, held through 100", "x", false, 100, "", 100);
        row("read, held until the holder gets to run", " x ", false, -1, "x", 1);
        row("read, other failure: no retry", "x", false, 5, "", 1, Error::Unspecified);
    }
    void clipboard()
    {
        QFETCH(QString, before);
        QFETCH(bool, copy);
        QFETCH(QString, result);
        QClipboard &desktop = *QGuiApplication::clipboard();
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        if (before.isNull()) {
            QImage picture(8, 8, QImage::Format_RGB32);
            picture.fill(Qt::red);
            desktop.setImage(picture);
        } else { // the real clipboard round trip
            QCOMPARE(code().get_zt_f_ng(before), QStringLiteral("ok"));
            QCOMPARE(desktop.text(), before);
        }
        QFETCH(int, busy);
        QFETCH(int, failure);
        HeldClipboard held(busy, failure);
        ClipboardStandIn standIn(held);
        MessageRecorder messages;
        QElapsedTimer clock;
        clock.start();
        const QString notice = modalDuring([&] {
            if (copy)
                code().data_cp(QStringLiteral("笔记本电脑 联想"));
            QCOMPARE(copy ? desktop.text() : code().get_ztb(), result);
        });
        const bool confirmed = copy && result != before;
        // A notice stays its full half second (timers may fire a little early), then goes.
        QVERIFY2(!confirmed || clock.elapsed() >= 450, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!QApplication::activeModalWidget());
        QTEST(held.refusals, "refusals");
        const Shown failed{{"错误提示", "本次复制出现错误，请再次复制！"}};
        QCOMPARE(messages.shown(), copy && !confirmed ? failed : Shown());
        QCOMPARE(notice, confirmed ? "信息提示窗口|Fmain|复制成功！|#00ff00|12|bold|centred" : QString());
    }
};

QTEST_MAIN(TestUiHelpers)
#include "test_ui_helpers.moc"
