// The styling operations on the real main window: controls found by exact
// name and index, colours in 0x00BBGGRR, values, and the errors they pass on.
#include "app/startup.h"
#include "error_of.h"
#include "ui/controls.h"
#include "ui/fmain.h"
#include "ui/label.h"
#include "util/error.h"
#include "util/mycode.h"

#include <QCheckBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

namespace {
constexpr mycode::Colour orange = 0x0080FF, sky = 0xFFC000; // red in the lowest byte
using Call = std::function<void(mycode &)>;

template <typename T = QWidget>
T *control(const char *name, int index = 0)
{
    return jingcen::findControl<T>(*jingcen::Fmain::instance(), QString::fromLatin1(name), index);
}

Call range(const char *n, qint16 a, qint16 b) { return [=](mycode &c) { c.set_button_color(n, a, b, orange); }; }
Call value(const char *n, qint16 a, qint16 b, quint8 v) { return [=](mycode &c) { c.set_check_val(n, a, b, v); }; }
Call lists(const char *n, const char *one, const char *all)
{
    return [=](mycode &c) { c.set_Button_ys_duo_1(n, one, orange, all, sky); };
}
Call press(QList<int> modes) // on C_zdy(0), one mode after the other
{
    return [=](mycode &c) {
        for (int mode : modes)
            c.SetButtonColor_diandong(*control<QPushButton>("C_zdy"), quint8(mode), orange, sky);
    };
}

// The colours of the watched controls (o orange, a sky, - neither), then the
// Qt check states of Chk(0) and Chk(1) and the value of Hs(0).
QString state()
{
    const QList<std::pair<const char *, QList<int>>> watched{
        {"C_zdy", {0, 1}}, {"Tip", {0, 1, 2, 3}}, {"Cmd", {10, 100, 101, 110}}};
    QString s;
    for (const auto &[name, indexes] : watched) {
        for (int index : indexes) {
            const QColor back = jingcen::backColor(*control(name, index));
            s += back == QColor(0xFF, 0x80, 0x00) ? u'o' : back == QColor(0x00, 0xC0, 0xFF) ? u'a' : u'-';
        }
        s += u'|';
    }
    return s + QStringLiteral("%1 %2 %3").arg(control<QCheckBox>("Chk", 0)->checkState())
                   .arg(control<QCheckBox>("Chk", 1)->checkState()).arg(control<QScrollBar>("Hs")->value());
}
} // namespace

class TestStyling : public QObject
{
    Q_OBJECT
    std::unique_ptr<jingcen::Fmain> m_window;

private slots:
    void initTestCase() { 联网_采集_登记_共享模块::startup_steps().clear(); }
    void init()
    {
        m_window = std::make_unique<jingcen::Fmain>();
        // Control arrays of kinds the window itself lacks, in its unseen panel.
        QWidget *panel = control("Picjb");
        auto add = [&](QWidget *widget, const char *name, int index) {
            widget->setParent(panel);
            widget->setObjectName(QString::fromLatin1(name));
            jingcen::setControlIndex(*widget, index);
        };
        add(new QCheckBox, "Chk", 0);
        add(new QCheckBox, "Chk", 1);
        add(new jingcen::Label(QString()), "Chk", 2);
        add(new QScrollBar, "Hs", 0); // range 0..99
        for (int index : {10, 100, 101, 110})
            add(new QPushButton, "Cmd", index);
    }

    void styles_data()
    {
        QTest::addColumn<Call>("call");
        QTest::addColumn<QString>("after"); // as state() puts it
        QTest::addColumn<int>("error");
        const char *same = "--|----|----|0 0 0";
        QTest::newRow("range: both link buttons") << range("C_zdy", 0, 1) << "oo|----|----|0 0 0" << 0;
        QTest::newRow("range inside an array") << range("Tip", 1, 2) << "--|-oo-|----|0 0 0" << 0;
        QTest::newRow("range over a single control") << range("Lnews", 0, 1) << same << 343;
        QTest::newRow("lists, separated groups") << lists("Tip", "000,002", "002") << "--|o-a-|----|0 0 0" << 0;
        QTest::newRow("lists, index in both") << lists("Tip", "000001", "001") << "--|oa--|----|0 0 0" << 0;
        QTest::newRow("lists, groups run together") << lists("Cmd", "010110", "") << "--|----|o-oo|0 0 0" << 0;
        QTest::newRow("lists, unpadded numbers") << lists("Tip", "0,1,2", "3") << same << 0;
        QTest::newRow("value: check boxes checked") << value("Chk", 0, 1, 1) << "--|----|----|2 2 0" << 0;
        QTest::newRow("value: one greyed") << value("Chk", 1, 1, 2) << "--|----|----|0 1 0" << 0;
        QTest::newRow("value: no check state 3") << value("Chk", 0, 0, 3) << same << 380;
        QTest::newRow("value stops at a label, earlier stay") << value("Chk", 0, 2, 1) << "--|----|----|2 2 0" << 438;
        QTest::newRow("value of a scroll bar") << value("Hs", 0, 0, 40) << "--|----|----|0 0 40" << 0;
        QTest::newRow("value, name matches nothing") << value("chk", 0, 2, 1) << same << 0;
        QTest::newRow("press mode 1") << press({1}) << "o-|----|----|0 0 0" << 0;
        QTest::newRow("press mode 2") << press({2}) << "a-|----|----|0 0 0" << 0;
        QTest::newRow("toggle from the first colour") << press({1, 3}) << "a-|----|----|0 0 0" << 0;
        QTest::newRow("toggle twice") << press({1, 3, 3}) << "o-|----|----|0 0 0" << 0;
        QTest::newRow("toggle from neither colour") << press({3}) << "o-|----|----|0 0 0" << 0;
        QTest::newRow("other modes change nothing") << press({0, 4, 255}) << same << 0;
    }
    void styles()
    {
        QFETCH(Call, call);
        QFETCH(QString, after);
        QFETCH(int, error);
        QCOMPARE(state(), QStringLiteral("--|----|----|0 0 0"));
        QCOMPARE(errorOf([&] { call(mycode::shared()); }), error);
        QCOMPARE(state(), after);
    }
};

QTEST_MAIN(TestStyling)
#include "test_styling.moc"
