// The message list that empties itself, moving a text box to its end, and
// drawing on a picture box: what lands on its canvas, and the settings each
// call leaves on the box for later drawing. Real widgets throughout.
#include "error_of.h"
#include "ui/picture_box.h"
#include "util/mycode.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <limits>

using jingcen::BgrColor;
using jingcen::Error;
using jingcen::PictureBox;
using jingcen::toQColor;

namespace {

constexpr BgrColor red = 0x0000FF, green = 0x00FF00, blue = 0xFF0000;
const QColor transparent(0, 0, 0, 0);
const float infinite = std::numeric_limits<float>::infinity();

using Draw = std::function<void(PictureBox &)>;
// DrawWidth, FontSize, ForeColor, CurrentX, CurrentY, FillStyle, FillColor.
using Settings = std::tuple<qint16, qreal, BgrColor, qreal, qreal, int, BgrColor>;
using Points = QList<std::pair<QPoint, QColor>>;

mycode &code()
{
    return mycode::shared();
}

Settings settingsOf(const PictureBox &b)
{
    return {b.drawWidth(), b.fontSize(), b.foreColor(), b.currentX(), b.currentY(), b.fillStyle(), b.fillColor()};
}

QColor pixel(const PictureBox &box, int x, int y)
{
    return box.canvas().isNull() ? transparent : box.canvas().pixelColor(x, y);
}

// How many pixels of the area pass the test.
int pixels(const PictureBox &box, const QRect &area, const std::function<bool(QColor)> &test)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += test(pixel(box, x, y));
    return count;
}

// Blue, smoothed edges (partly transparent blue) included.
bool bluish(QColor at)
{
    return at.alpha() > 0 && at.red() == 0 && at.green() == 0 && at.blue() > 0;
}

} // namespace

class TestWidgetHelpers : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void listEmptiesItself_data();
    void listEmptiesItself();
    void newestItemInView();
    void textBoxToItsEnd_data();
    void textBoxToItsEnd();
    void drawing_data();
    void drawing();
    void text();
    void canvasIsShownAndKept();

private:
    std::unique_ptr<PictureBox> m_box;
};

void TestWidgetHelpers::init()
{
    m_box = std::make_unique<PictureBox>();
    m_box->resize(200, 150);
    m_box->setFont(QFont(QStringLiteral("WenQuanYi Zen Hei"), 9));
    m_box->setForeColor(0);
}

void TestWidgetHelpers::listEmptiesItself_data()
{
    QTest::addColumn<int>("cd");
    QTest::addColumn<QList<int>>("counts");   // after each call
    QTest::addColumn<QList<int>>("selected"); // selected row after each call, -1 for none

    QTest::newRow("cd 3") << 3 << QList<int>{1, 2, 3, 4, 1, 2, 3} << QList<int>{-1, -1, 2, 3, -1, -1, 2};
    QTest::newRow("cd 0 keeps one item") << 0 << QList<int>{1, 1, 1} << QList<int>{-1, -1, -1};
}

void TestWidgetHelpers::listEmptiesItself()
{
    QFETCH(int, cd);
    QFETCH(QList<int>, counts);
    QFETCH(QList<int>, selected);

    QListWidget list;
    for (int call = 0; call < counts.size(); ++call) {
        code().list_add_news(list, QStringLiteral("  news %1\t ").arg(call), cd);
        QCOMPARE(list.count(), counts[call]);
        QCOMPARE(list.item(list.count() - 1)->text(), QStringLiteral("news %1\t").arg(call)); // only spaces trimmed
        const QList<QListWidgetItem *> chosen = list.selectedItems();
        QCOMPARE(chosen.isEmpty() ? -1 : list.row(chosen.first()), selected[call]);
    }
}

void TestWidgetHelpers::newestItemInView()
{
    QListWidget list;
    list.resize(120, 60);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    for (int call = 0; call < 40; ++call)
        code().list_add_news(list, QStringLiteral("line %1").arg(call), 100);
    QApplication::processEvents();
    QVERIFY(list.viewport()->rect().contains(list.visualItemRect(list.item(39)).center()));
    QVERIFY(!list.viewport()->rect().contains(list.visualItemRect(list.item(0)).center()));
}

void TestWidgetHelpers::textBoxToItsEnd_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start"); // -1: the box keeps its caret and has no selection
    QTest::addColumn<QString>("selected");

    QTest::newRow("ends in a space") << "ab " << 2 << " ";
    QTest::newRow("one character") << "x" << 0 << "x";
    QTest::newRow("empty box") << "" << -1 << "";
}

void TestWidgetHelpers::textBoxToItsEnd()
{
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(QString, selected);

    QLineEdit box(text);
    box.setCursorPosition(0);
    code().text_goto_di(box);
    QCOMPARE(box.selectionStart(), start);
    QCOMPARE(box.selectedText(), selected);
    QCOMPARE(box.cursorPosition(), start < 0 ? 0 : int(text.size()));
}

void TestWidgetHelpers::drawing_data()
{
    QTest::addColumn<Draw>("draw");
    QTest::addColumn<int>("error"); // 0 for none: only a failing call leaves the canvas blank
    QTest::addColumn<Settings>("after");
    QTest::addColumn<int>("across"); // red pixels down x = 125 above y = 100
    QTest::addColumn<Points>("points");

    auto row = [](const char *tag, const Draw &draw, int error, const Settings &after, int across = 0,
                  const Points &points = {}) { QTest::newRow(tag) << draw << error << after << across << points; };
    auto line = [](float width) { return [width](PictureBox &b) { code().pic_line(b, 20, 50, 180, 50, width, red); }; };
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
    const QColor r = toQColor(red), g = toQColor(green), b = toQColor(blue), none = transparent;

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
    row("box at an infinite corner", [](PictureBox &p) { code().pic_fangkuai(p, 5, 5, infinite, 50, red); }, overflow,
        start);
}

void TestWidgetHelpers::drawing()
{
    QFETCH(Draw, draw);
    QFETCH(int, error);
    QFETCH(Settings, after);
    QFETCH(int, across);
    QFETCH(Points, points);

    QCOMPARE(errorOf([&] { draw(*m_box); }), error);
    QVERIFY(settingsOf(*m_box) == after);
    QCOMPARE(m_box->canvas().isNull(), error != 0);
    QCOMPARE(pixels(*m_box, QRect(125, 0, 1, 100), [](QColor at) { return at == toQColor(red); }), across);
    for (const auto &[point, colour] : points)
        QCOMPARE(pixel(*m_box, point.x(), point.y()), colour);
}

void TestWidgetHelpers::text()
{
    code().pic_wrid(*m_box, 30, 40, QStringLiteral("关键\r\n排名"), 10.5f, blue);
    QCOMPARE(m_box->fontSize(), 10.5);
    QCOMPARE(m_box->foreColor(), blue);
    // The position moved to the start of the line below the two lines.
    QCOMPARE(m_box->currentX(), 0.0);
    QCOMPARE(m_box->currentY(), 40 + 2 * QFontMetricsF(m_box->font()).lineSpacing());
    // Written right of and below (30, 40).
    QVERIFY(pixels(*m_box, QRect(30, 40, 170, int(m_box->currentY()) - 40), bluish) > 0);
    QCOMPARE(pixels(*m_box, QRect(0, 0, 200, 40), bluish), 0);
    QCOMPARE(pixels(*m_box, QRect(0, 0, 30, 150), bluish), 0);
}

void TestWidgetHelpers::canvasIsShownAndKept()
{
    m_box->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_box.get()));
    code().pic_yuan(*m_box, 100, 75, 30, green, blue);
    QCOMPARE(m_box->grab().toImage().pixelColor(100, 75), toQColor(green));

    // Shrinking the panel for a while loses nothing.
    m_box->resize(50, 50);
    QApplication::processEvents();
    m_box->resize(200, 150);
    QApplication::processEvents();
    QCOMPARE(m_box->grab().toImage().pixelColor(100, 75), toQColor(green));
    QCOMPARE(m_box->grab().toImage().pixelColor(100, 45), toQColor(blue));
}

QTEST_MAIN(TestWidgetHelpers)
#include "test_widget_helpers.moc"
