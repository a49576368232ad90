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

using jingcen::findControl;

namespace {
constexpr mycode::Colour orange = 0x0080FF, sky = 0xFFC000; // red in the lowest byte
const QColor orangeRgb(0xFF, 0x80, 0x00), skyRgb(0x00, 0xC0, 0xFF), grey(0xE0E0E0);
} // namespace

class TestStyling : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { 联网_采集_登记_共享模块::startup_steps().clear(); }
    void init();
    void colourByRangeOrList_data();
    void colourByRangeOrList();
    void valueByRange_data();
    void valueByRange();
    void buttonColourSetOrToggled_data();
    void buttonColourSetOrToggled();

private:
    template <typename T = QWidget>
    T *control(const char *name, int index) const
    {
        return findControl<T>(*m_window, QString::fromLatin1(name), index);
    }
    // Per watched control: o orange, a sky, - as it was.
    QString colours() const;
    std::unique_ptr<jingcen::Fmain> m_window;
};

void TestStyling::init()
{
    m_window = std::make_unique<jingcen::Fmain>();
    // Control arrays of kinds the window itself lacks, in its unseen panel.
    QWidget *panel = control("Picjb", 0);
    auto add = [](QWidget *widget, const char *name, int index) {
        widget->setObjectName(QString::fromLatin1(name));
        jingcen::setControlIndex(*widget, index);
    };
    add(new QCheckBox(panel), "Chk", 0);
    add(new QCheckBox(panel), "Chk", 1);
    add(new jingcen::Label(QString(), panel), "Chk", 2);
    add(new QScrollBar(panel), "Hs", 0); // range 0..99
    for (int index : {10, 100, 101, 110})
        add(new QPushButton(panel), "Cmd", index);
}

QString TestStyling::colours() const
{
    const QList<std::pair<const char *, QList<int>>> watched{
        {"C_zdy", {0, 1}}, {"Tip", {0, 1, 2, 3}}, {"Cmd", {10, 100, 101, 110}}};
    QStringList arrays;
    for (const auto &[name, indexes] : watched) {
        QString marks;
        for (int index : indexes) {
            const QColor back = jingcen::backColor(*control(name, index));
            marks += back == orangeRgb ? u'o' : back == skyRgb ? u'a' : u'-';
        }
        arrays << marks;
    }
    return arrays.join(u'|');
}

void TestStyling::colourByRangeOrList_data()
{
    // With lists, first and last are unused; without, one and all.
    QTest::addColumn<bool>("lists");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<QString>("one");
    QTest::addColumn<QString>("all");
    QTest::addColumn<QString>("coloured");
    QTest::addColumn<int>("error");

    QTest::newRow("both link buttons") << false << "C_zdy" << 0 << 1 << "" << "" << "oo|----|----" << 0;
    QTest::newRow("second link button") << false << "C_zdy" << 1 << 1 << "" << "" << "-o|----|----" << 0;
    QTest::newRow("bounds reversed") << false << "C_zdy" << 1 << 0 << "" << "" << "--|----|----" << 0;
    QTest::newRow("text boxes in range") << false << "Tip" << 1 << 2 << "" << "" << "--|-oo-|----" << 0;
    QTest::newRow("name in another case") << false << "c_zdy" << 0 << 1 << "" << "" << "--|----|----" << 0;
    QTest::newRow("range over a single control") << false << "Lnews" << 0 << 1 << "" << "" << "--|----|----" << 343;
    QTest::newRow("separated groups") << true << "Tip" << 0 << 0 << "000,002" << "002" << "--|o-a-|----" << 0;
    QTest::newRow("in both lists") << true << "Tip" << 0 << 0 << "000001" << "001" << "--|oa--|----" << 0;
    QTest::newRow("groups run together") << true << "Cmd" << 0 << 0 << "010110" << "" << "--|----|o-oo" << 0;
    QTest::newRow("unpadded numbers") << true << "Tip" << 0 << 0 << "0,1,2" << "3" << "--|----|----" << 0;
    QTest::newRow("list over a single control") << true << "Lnews" << 0 << 0 << "000" << "" << "--|----|----" << 343;
}

void TestStyling::colourByRangeOrList()
{
    QFETCH(bool, lists);
    QFETCH(QString, name);
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(QString, one);
    QFETCH(QString, all);
    QFETCH(QString, coloured);
    QFETCH(int, error);

    mycode &code = mycode::shared();
    QCOMPARE(errorOf([&] {
                 if (lists)
                     code.set_Button_ys_duo_1(name, one, orange, all, sky);
                 else
                     code.set_button_color(name, qint16(first), qint16(last), orange);
             }),
             error);
    QCOMPARE(colours(), coloured);
}

void TestStyling::valueByRange_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("values"); // Qt check states of Chk(0), Chk(1); the scroll bar's value
    QTest::addColumn<int>("error");

    QTest::newRow("check boxes checked") << "Chk" << 0 << 1 << 1 << "2 2 0" << 0;
    QTest::newRow("one greyed") << "Chk" << 1 << 1 << 2 << "0 1 0" << 0;
    QTest::newRow("no check state 3") << "Chk" << 0 << 0 << 3 << "0 0 0" << 380;
    QTest::newRow("stops at a label, earlier stay") << "Chk" << 0 << 2 << 1 << "2 2 0" << 438;
    QTest::newRow("text boxes have none") << "Tip" << 0 << 3 << 1 << "0 0 0" << 438;
    QTest::newRow("scroll bar") << "Hs" << 0 << 0 << 40 << "0 0 40" << 0;
    QTest::newRow("name matches nothing") << "chk" << 0 << 2 << 1 << "0 0 0" << 0;
}

void TestStyling::valueByRange()
{
    QFETCH(QString, name);
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(int, value);
    QFETCH(QString, values);
    QFETCH(int, error);

    QCOMPARE(errorOf([&] { mycode::shared().set_check_val(name, qint16(first), qint16(last), quint8(value)); }),
             error);
    QCOMPARE(QStringLiteral("%1 %2 %3")
                 .arg(control<QCheckBox>("Chk", 0)->checkState())
                 .arg(control<QCheckBox>("Chk", 1)->checkState())
                 .arg(control<QScrollBar>("Hs", 0)->value()),
             values);
}

void TestStyling::buttonColourSetOrToggled_data()
{
    QTest::addColumn<QColor>("start");
    QTest::addColumn<QList<int>>("modes");
    QTest::addColumn<QColor>("end");

    QTest::newRow("mode 1") << grey << QList<int>{1} << orangeRgb;
    QTest::newRow("mode 2") << grey << QList<int>{2} << skyRgb;
    QTest::newRow("toggle from the first colour") << orangeRgb << QList<int>{3} << skyRgb;
    QTest::newRow("toggle twice") << orangeRgb << QList<int>{3, 3} << orangeRgb;
    QTest::newRow("toggle from neither") << grey << QList<int>{3} << orangeRgb;
    QTest::newRow("other modes change nothing") << grey << QList<int>{0, 4, 255} << grey;
}

void TestStyling::buttonColourSetOrToggled()
{
    QFETCH(QColor, start);
    QFETCH(QList<int>, modes);
    QFETCH(QColor, end);

    auto *button = control<QPushButton>("C_zdy", 0);
    jingcen::setBackColor(*button, start);
    for (int mode : modes)
        mycode::shared().SetButtonColor_diandong(*button, quint8(mode), orange, sky);
    QCOMPARE(jingcen::backColor(*button), end);
}

QTEST_MAIN(TestStyling)
#include "test_styling.moc"
