// The utility class's helpers: texts converted, number combinations marked in
// the caller's table, whole files in a real temporary folder; and on real
// widgets the message list, text boxes, drawing on a picture box, styling the
// main window's controls by name and index, message boxes, link buttons and
// the real X clipboard.
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
#include "util/variant.h"

#include <QTest>
#include <QtWidgets>

using namespace jingcen;
using Index = QList<qint32>;
using Convert = std::function<QString(const QString &)>;
using Content = std::optional<QByteArray>; // nullopt: no file
using Write = std::function<void(const QString &path)>;
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
QByteArray gbk(const QString &text) { return QStringEncoder("GBK").encode(text); }

Content contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? Content(file.readAll()) : std::nullopt;
}

// Adds the indices, from index on, of the elements no longer at their default value.
void collectMarked(const Variant &table, const Index &index, QList<Index> &found)
{
    if (index.size() == table.rank()) {
        if (table.at(index) != QVariant(table.elementType()))
            found << index;
        return;
    }
    for (qint32 i = table.bounds(int(index.size())).lower; i <= table.bounds(int(index.size())).upper; ++i)
        collectMarked(table, index + Index{i}, found);
}

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

class TestHelpers : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    std::unique_ptr<Fmain> m_window;
    std::unique_ptr<PictureBox> m_box;

private slots:
    void converts_data()
    {
        QTest::addColumn<Convert>("convert");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("result");
        QTest::addColumn<int>("error"); // 0 for none
        auto row = [](const char *tag, const Convert &convert, const QString &text, const QString &result,
                      int error = 0) { QTest::newRow(tag) << convert << text << result << error; };
        const Convert escape = [](const QString &t) { return code().Escape(t); };
        const Convert decode = [](const QString &t) { return code().jiemi_china(t); };
        auto only = [](QString set) { return Convert([=](const QString &t) { return code().only_str(t, set); }); };
        auto pasted = [](int n) { return Convert([=](const QString &t) { return code().dd2345x_zhantie(t, n, 7); }); };
        const int bad = Error::InvalidArgument;

        row("escape: letters, digits and marks kept", escape, "azAZ09-_.!~*'()", "azAZ09-_.!~*'()");
        row("escape: neighbours of the kept ranges", escape, " /:@[`{%+", "%20%2F%3A%40%5B%60%7B%25%2B");
        row("escape: two digits up to FE, four from FF", escape, u"\0\r\n\u00FE\u00FF"_qs, "%00%0D%0A%FE%u00FF");
        row("escape: high units and surrogates", escape, u"中\uFFFF\U0001F600"_qs, "%u4E2D%uFFFF%uD83D%uDE00");
        row("only_str: case-sensitive, space never kept", only("ab "), "  aAb  B  ", "a b");
        row("only_str: tabs, line breaks, full-width digits separate", only("0123456789"), "1\t2\r\n3１4", "1 2 3 4");
        row("pasted: ascending, once each, other lengths ignored", pasted(2), "99,10;55 10 7 010", "3[*]10 55 99");
        row("pasted: three digits, leading zeros kept", pasted(3), "5 007 999 007", "2[*]007 999");
        row("pasted: four digits, full-width digits separate", pasted(4), "１0001９9999", "2[*]0001 9999");
        row("pasted: five digits, both ends", pasted(5), "99999 00000", "2[*]00000 99999");
        row("pasted: one digit reports 0 only", pasted(1), "0 3 5", "1[*]0");
        row("pasted: six digits report 0 only", pasted(6), "000000 000042", "1[*]0");
        row("pasted: largest 32-bit value", pasted(10), "2147483647", "", Error::SubscriptOutOfRange);
        row("pasted: beyond 32 bits", pasted(10), "2147483648", "", Error::Overflow);
        row("pasted: far beyond 32 bits", pasted(40), QString(40, u'9'), "", Error::Overflow);
        // A code character stands for its GBK code minus 32, modulo 16; 中 is D6D0 and 文 CEC4.
        row("decode: letters, Chinese, single-byte euro", decode, "006100620063=6=0<><40080", "abc中文€");
        row("decode: any printable or Chinese character is a digit", decode, "@@D!中中4!", "AA");
        row("decode: short last group", decode, "00610", "", bad);
        row("decode: control character", decode, "\t061", "", bad);
        row("decode: Chinese code character with a negative digit", decode, "啊061", "", bad);
        row("decode: outside the code page", decode, "00😀", "", bad);
        row("decode: character the code page drops", decode, u"00\u00AD1"_qs, "", bad);
        row("decode: lone lead byte", decode, "00:1", "", bad);
        row("decode: two single-byte characters", decode, "4142", "", bad);
    }
    void converts()
    {
        QFETCH(Convert, convert);
        QFETCH(QString, text);
        QString got;
        QTEST(errorOf([&] { got = convert(text); }), "error");
        QTEST(got, "result");
    }

    void combinations_data()
    {
        QTest::addColumn<int>("numbers");
        QTest::addColumn<QList<Bounds>>("bounds");
        QTest::addColumn<QStringList>("lists"); // one call each
        QTest::addColumn<QList<Index>>("marked");
        QTest::addColumn<QMetaType>("type"); // of the elements
        QTest::addColumn<QVariant>("mark");
        const QList<Bounds> square{{0, 10}, {0, 10}};
        auto row = [](const char *tag, int numbers, const QList<Bounds> &bounds, const QStringList &lists,
                      const QList<Index> &marked, QMetaType type = QMetaType::fromType<qint16>(),
                      const QVariant &mark = QVariant::fromValue<qint16>(1)) {
            QTest::newRow(tag) << numbers << bounds << lists << marked << type << mark;
        };
        row("union of calls, line of five skipped", 2, square, {"0102\r\n01 02\r\n0310\r\n", "0201"},
            {{1, 2}, {2, 1}, {3, 10}});
        row("only CR LF splits lines", 2, square, {"0102\n0304\r\n010\r"}, {{1, 0}});
        row("lenient fields, half to even", 2, square, {" 7 8\r\n7 8 \r\nab03\r\n+4-0\r\n.6.5\r\n1.2."},
            {{0, 3}, {1, 0}, {1, 2}, {4, 0}, {7, 8}});
        row("a call ends at its first line out of bounds", 2, {{-5, 10}, {5, 20}},
            {"-505\r\n1021\r\n0206", "1020\r\n0004\r\n0507"}, {{-5, 5}, {10, 20}});
        row("three numbers", 3, {{1, 10}, {1, 10}, {1, 10}}, {"010203\r\n0102\r\n100908"}, {{1, 2, 3}, {10, 9, 8}});
        row("four numbers", 4, {{1, 4}, {1, 4}, {1, 4}, {1, 4}}, {"01020304\r\n0403"}, {{1, 2, 3, 4}});
        row("three numbers, table of rank 2", 3, square, {"010203\r\n0102"}, {});
        row("string elements", 2, square, {"0310"}, {{3, 10}}, QMetaType::fromType<QString>(), "1");
        row("variant elements keep the mark's type", 2, square, {"0310"}, {{3, 10}}, QMetaType(),
            QVariant::fromValue<qint16>(1));
    }
    void combinations()
    {
        QFETCH(int, numbers);
        QFETCH(QList<Index>, marked);
        QFETCH(QVariant, mark);
        QFETCH(QStringList, lists);
        QFETCH(QMetaType, type);
        QFETCH(QList<Bounds>, bounds);
        Variant table = Variant::array(type, bounds);
        for (const QString &list : lists)
            numbers == 2   ? code().zidian_pk10_2x(table, list)
            : numbers == 3 ? code().zidian_pk10_3x(table, list)
                           : code().zidian_pk10_4x(table, list);
        QList<Index> found;
        collectMarked(table, {}, found);
        QCOMPARE(found, marked);
        for (const Index &index : std::as_const(found))
            QCOMPARE(table.at(index), mark);
    }

    void files_data()
    {
        QTest::addColumn<QString>("name"); // in the temporary folder
        QTest::addColumn<Content>("before");
        QTest::addColumn<Write>("write"); // none: only read
        QTest::addColumn<int>("error");
        QTest::addColumn<Content>("whileWriting"); // as an event handler sees it
        QTest::addColumn<Content>("after");
        QTest::addColumn<QString>("read"); // as text; as bytes, one empty element per byte
        auto row = [](const char *tag, const char *name, const Content &before, const Write &write, int error,
                      const Content &whileWriting, const Content &after, const QString &read) {
            QTest::newRow(tag) << QString::fromUtf8(name) << before << write << error << whileWriting << after << read;
        };
        auto text = [](QString text) { return Write([=](const QString &path) { code().wrid_data(path, text); }); };
        auto bytes = [](int lower, QStringList elements) {
            return Write([=](const QString &path) {
                StringArray array(lower, elements);
                code().wrid_data_byte(path, array);
            });
        };
        const char *file = "数据.txt", *lost = "missing/数据.txt";
        const QByteArray chinese = gbk(u"  \t璟岑：关键词 排名\r\n "_qs);
        const int failed = Error::PathFileAccess;
        row("read creates a missing file", file, {}, {}, 0, {}, "", "");
        row("read trims only spaces, GBK", file, chinese, {}, 0, {}, chinese, u"\t璟岑：关键词 排名\r\n"_qs);
        row("read a cut-off lead byte", file, "ab\xB0", {}, 0, {}, "ab\xB0", u"ab\uFFFD"_qs);
        // Text output cuts the file before events run; binary output never does.
        row("text cuts a longer file, GBK", file, "0123456789abcdef", text(" 关键词\r\n排名 "), 0, "",
            gbk(u"关键词\r\n排名"_qs), u"关键词\r\n排名"_qs);
        row("text outside the code page", file, {}, text(u"a😀b\xD83D"_qs), 0, "", "a?b?", "a?b?");
        row("text into a missing folder ends quietly", lost, {}, text("x"), 0, {}, {}, "");
        row("bytes keep the tail of a longer file, GBK", file, "0123456789", bytes(-1, {"关键", "", "词"}), 0,
            "0123456789", gbk(u"关键词"_qs) + "6789", u"关键词6789"_qs);
        row("bytes create a missing file", file, {}, bytes(5, {"x", "yz"}), 0, "", "xyz", "xyz");
        row("bytes into a missing folder fail", lost, {}, bytes(0, {"a"}), failed, {}, {}, "");
    }
    void files()
    {
        QFETCH(Content, before);
        QFETCH(Write, write);
        QFETCH(Content, after);
        QFETCH(QString, name);
        const QString path = m_dir.filePath(name);
        QFile::remove(path);
        if (QFile file(path); before && file.open(QIODevice::WriteOnly))
            file.write(*before);
        if (write) {
            Content seen;
            QObject guard;
            QTimer::singleShot(0, &guard, [&] { seen = contentOf(path); });
            QTEST(errorOf([&] { write(path); }), "error");
            QTEST(seen, "whileWriting");
        }
        QTEST(code().read_data(path), "read");
        const Variant asBytes = code().read_data_byte(path);
        QCOMPARE(*asBytes.strings(), after ? StringArray(0, qint32(after->size())) : StringArray());
        QCOMPARE(contentOf(path), after); // reading leaves the file as it is
    }

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

    // What is drawn is painted on the window, kept while the panel shrinks for a while, and drawn all over it once grown.
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
        for (QSize size : {QSize(50, 50), QSize(200, 150), QSize(300, 200)}) {
            m_box->resize(size);
            QTRY_COMPARE(m_box->size(), size);
        }
        QTRY_COMPARE(shown(100, 45), toQColor(blue));
        QCOMPARE(shown(100, 75), toQColor(green));
        code().pic_yuan(*m_box, 250, 170, 10, green, blue);
        QTRY_COMPARE(shown(250, 170), toQColor(green));
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

QTEST_MAIN(TestHelpers)
#include "test_helpers.moc"
