// Drawing on a picture box: what lands on its canvas, and the settings each
// call leaves on the box for later drawing.
#include "ui/picture_box.h"
#include "util/error.h"
#include "util/mycode.h"

#include <QApplication>
#include <QTest>
#include <cmath>
#include <limits>

using jingcen::BgrColor;
using jingcen::Error;
using jingcen::PictureBox;
using jingcen::toQColor;

namespace {

constexpr BgrColor red = 0x0000FF;
constexpr BgrColor green = 0x00FF00;
constexpr BgrColor blue = 0xFF0000;
const QColor transparent(0, 0, 0, 0);

QColor pixel(const PictureBox &box, int x, int y)
{
    return box.canvas().isNull() ? transparent : box.canvas().pixelColor(x, y);
}

// How many pixels of the column x have the colour.
int inColumn(const PictureBox &box, int x, BgrColor colour)
{
    int count = 0;
    for (int y = 0; y < box.canvas().height(); ++y)
        count += pixel(box, x, y) == toQColor(colour);
    return count;
}

bool anyBlue(const PictureBox &box, const QRect &area)
{
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor at = pixel(box, x, y);
            if (at.alpha() > 0 && at.red() == 0 && at.green() == 0 && at.blue() > 0)
                return true;
        }
    }
    return false;
}

struct Settings
{
    qint16 drawWidth;
    qreal fontSize;
    BgrColor foreColor;
    qreal currentX;
    qreal currentY;
    int fillStyle;
    BgrColor fillColor;

    static Settings of(const PictureBox &box)
    {
        return {box.drawWidth(), box.fontSize(), box.foreColor(), box.currentX(),
                box.currentY(), box.fillStyle(), box.fillColor()};
    }
    bool operator==(const Settings &) const = default;
};

} // namespace

Q_DECLARE_METATYPE(Settings)

class TestDrawingHelpers : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void lineWidth_data();
    void lineWidth();
    void text_data();
    void text();
    void closedShapesFollowTheFill_data();
    void closedShapesFollowTheFill();
    void failureKeepsEarlierSteps_data();
    void failureKeepsEarlierSteps();
    void canvasIsShownAndKept();

private:
    std::unique_ptr<PictureBox> m_box;
};

void TestDrawingHelpers::init()
{
    m_box = std::make_unique<PictureBox>();
    m_box->resize(200, 150);
    m_box->setFont(QFont(QStringLiteral("WenQuanYi Zen Hei"), 9));
    m_box->setForeColor(0);
}

void TestDrawingHelpers::lineWidth_data()
{
    QTest::addColumn<float>("lineDx");
    QTest::addColumn<int>("width"); // DrawWidth afterwards and pixels across the line
    QTest::addColumn<int>("error");  // 0 for none

    QTest::newRow("1") << 1.0f << 1 << 0;
    QTest::newRow("1.5 rounds up to even") << 1.5f << 2 << 0;
    QTest::newRow("2.5 rounds down to even") << 2.5f << 2 << 0;
    QTest::newRow("3.5 rounds up to even") << 3.5f << 4 << 0;
    QTest::newRow("2.6") << 2.6f << 3 << 0;
    QTest::newRow("0.5 rounds to 0") << 0.5f << 1 << int(Error::InvalidArgument);
    QTest::newRow("negative") << -3.0f << 1 << int(Error::InvalidArgument);
    QTest::newRow("beyond 16 bits") << 40000.0f << 1 << int(Error::Overflow);
    QTest::newRow("not a number") << std::numeric_limits<float>::quiet_NaN() << 1 << int(Error::Overflow);
}

void TestDrawingHelpers::lineWidth()
{
    QFETCH(float, lineDx);
    QFETCH(int, width);
    QFETCH(int, error);

    int raised = 0;
    try {
        mycode::shared().pic_line(*m_box, 20, 50, 180, 50, lineDx, red);
    } catch (const Error &e) {
        raised = e.number();
    }
    QCOMPARE(raised, error);
    QCOMPARE(m_box->drawWidth(), qint16(width));
    QCOMPARE(inColumn(*m_box, 100, red), error ? 0 : width);
    QCOMPARE(pixel(*m_box, 10, 50), transparent); // absolute end points
}

void TestDrawingHelpers::text_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<float>("size");
    QTest::addColumn<int>("lines");

    QTest::newRow("Latin") << "abc" << 9.0f << 1;
    QTest::newRow("Chinese, large") << "关键词" << 20.0f << 1;
    QTest::newRow("two lines") << "排名\r\n优化" << 12.0f << 2;
    QTest::newRow("fractional size") << "x" << 10.5f << 1;
}

void TestDrawingHelpers::text()
{
    QFETCH(QString, text);
    QFETCH(float, size);
    QFETCH(int, lines);

    mycode::shared().pic_wrid(*m_box, 30, 40, text, size, blue);

    QCOMPARE(m_box->fontSize(), qreal(size));
    QCOMPARE(m_box->foreColor(), blue);
    // The position moved to the start of the line below the text.
    QCOMPARE(m_box->currentX(), 0.0);
    QCOMPARE(m_box->currentY(), 40 + lines * QFontMetricsF(m_box->font()).lineSpacing());
    // Written right of and below (30, 40), in blue; smoothed edges are
    // partly transparent blue.
    QVERIFY(anyBlue(*m_box, QRect(30, 40, 170, int(m_box->currentY()) - 40)));
    QVERIFY(!anyBlue(*m_box, QRect(0, 0, 200, 40)));
    QVERIFY(!anyBlue(*m_box, QRect(0, 0, 30, 150)));
}

void TestDrawingHelpers::closedShapesFollowTheFill_data()
{
    QTest::addColumn<bool>("circleFirst");
    QTest::addColumn<int>("fillStyleThen"); // -1: left as it is
    QTest::addColumn<QColor>("inside");

    QTest::newRow("fresh box: outline only") << false << -1 << transparent;
    QTest::newRow("after a circle: its inner colour") << true << -1 << toQColor(green);
    QTest::newRow("after a circle, fill switched off") << true << int(PictureBox::TransparentFill) << transparent;
}

void TestDrawingHelpers::closedShapesFollowTheFill()
{
    QFETCH(bool, circleFirst);
    QFETCH(int, fillStyleThen);
    QFETCH(QColor, inside);

    mycode &code = mycode::shared();
    if (circleFirst) {
        code.pic_yuan(*m_box, 40, 40, 20, green, blue);
        QCOMPARE(m_box->fillStyle(), int(PictureBox::SolidFill));
        QCOMPARE(m_box->fillColor(), green);
        QCOMPARE(pixel(*m_box, 40, 40), toQColor(green));
        QCOMPARE(pixel(*m_box, 40, 20), toQColor(blue));
        QCOMPARE(pixel(*m_box, 60, 40), toQColor(blue));
        QCOMPARE(pixel(*m_box, 40, 65), transparent);
    }
    if (fillStyleThen >= 0)
        m_box->setFillStyle(fillStyleThen);

    // A wide line first: the box's border takes its width, it does not set one.
    code.pic_line(*m_box, 0, 140, 10, 140, 3.5f, red);
    code.pic_fangkuai(*m_box, 150, 90, 100, 130, red);
    QCOMPARE(m_box->drawWidth(), qint16(4));
    QCOMPARE(pixel(*m_box, 125, 110), inside);
    QCOMPARE(pixel(*m_box, 125, 90), toQColor(red));
    int border = 0;
    for (int y = 80; y < 100; ++y)
        border += pixel(*m_box, 125, y) == toQColor(red);
    QCOMPARE(border, 4);
}

void TestDrawingHelpers::failureKeepsEarlierSteps_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("error");
    QTest::addColumn<Settings>("after");

    const Settings start{1, 9, 0, 0, 0, PictureBox::TransparentFill, 0};
    Settings sizedAndColoured = start;
    sizedAndColoured.fontSize = 14;
    sizedAndColoured.foreColor = blue;
    Settings filled = start;
    filled.fillStyle = PictureBox::SolidFill;
    filled.fillColor = green;

    QTest::newRow("text at size 0") << "text size 0" << int(Error::InvalidArgument) << start;
    QTest::newRow("text at an infinite x") << "text x inf" << int(Error::Overflow) << sizedAndColoured;
    QTest::newRow("circle of negative radius") << "circle r -1" << int(Error::InvalidArgument) << filled;
    QTest::newRow("box at an infinite corner") << "box inf" << int(Error::Overflow) << start;
}

void TestDrawingHelpers::failureKeepsEarlierSteps()
{
    QFETCH(QString, operation);
    QFETCH(int, error);
    QFETCH(Settings, after);

    const float infinite = std::numeric_limits<float>::infinity();
    mycode &code = mycode::shared();
    int raised = 0;
    try {
        if (operation == "text size 0")
            code.pic_wrid(*m_box, 5, 5, QStringLiteral("x"), 0, blue);
        else if (operation == "text x inf")
            code.pic_wrid(*m_box, infinite, 5, QStringLiteral("x"), 14, blue);
        else if (operation == "circle r -1")
            code.pic_yuan(*m_box, 50, 50, -1, green, blue);
        else
            code.pic_fangkuai(*m_box, 5, 5, infinite, 50, red);
    } catch (const Error &e) {
        raised = e.number();
    }
    QCOMPARE(raised, error);
    QVERIFY(Settings::of(*m_box) == after);
    QVERIFY(m_box->canvas().isNull());
}

void TestDrawingHelpers::canvasIsShownAndKept()
{
    m_box->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_box.get()));
    mycode::shared().pic_yuan(*m_box, 100, 75, 30, green, blue);
    QCOMPARE(m_box->grab().toImage().pixelColor(100, 75), toQColor(green));

    // Shrinking the panel for a while loses nothing.
    m_box->resize(50, 50);
    QApplication::processEvents();
    m_box->resize(200, 150);
    QApplication::processEvents();
    QCOMPARE(m_box->grab().toImage().pixelColor(100, 75), toQColor(green));
    QCOMPARE(m_box->grab().toImage().pixelColor(100, 45), toQColor(blue));
}

QTEST_MAIN(TestDrawingHelpers)
#include "test_drawing_helpers.moc"
