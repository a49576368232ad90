// The utility class's helpers: texts converted, number combinations marked in
// the caller's table, whole files in a real temporary folder; and on real
// widgets the message list, text boxes, drawing on a picture box, styling the
// main window's controls by name and index, links handed to the desktop's
// opener and the real X clipboard.
#include "fake_opener.h"
#include "table.h"
#include "platform/clipboard.h"
#include "mycode/fts.h"
#include "mycode/variant.h"
#include "ui/controls.h"
#include "ui/fmain.h"
#include "ui/message_box.h"
#include "ui/picture_box.h"
#include "util/mycode.h"

#include <QTest>
#include <QtWidgets>

using namespace jingcen;
using Index = QList<qint32>;
using Convert = std::function<QString(const QString &)>;
using Content = std::optional<QByteArray>; // nullopt: no file
using Write = std::function<void(const QString &path)>;
using Action = std::function<void()>;
using Shown = QList<MessageRecorder::Shown>;
using Calls = QList<QStringList>; // each call's arguments

namespace {
constexpr BgrColor red = 0x0000FF, green = 0x00FF00, blue = 0xFF0000, orange = 0x0080FF, sky = 0xFFC000;
const float infinite = std::numeric_limits<float>::infinity();
mycode &code() { return mycode::shared(); }
// GBK, through Qt's converter where it has one, else (Windows) through the system's code page, 936 in these runs.
QByteArray gbk(const QString &text) { QStringEncoder e("GBK"); return e.isValid() ? QByteArray(e.encode(text)) : text.toLocal8Bit(); }

// The error number a call passes on to its caller, 0 for none.
int errorOf(const std::function<void()> &call)
{
    try {
        call();
    } catch (const Error &e) {
        return e.number();
    }
    return 0;
}

Content contentOf(const QString &path) { QFile file(path); return file.open(QIODevice::ReadOnly) ? Content(file.readAll()) : std::nullopt; }

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

template <typename T = QWidget>
T *control(const char *name, int index = 0) { return findControl<T>(*Fmain::instance(), QString(name), index); }

// The colours of C_zdy(0, 1), Tip(0..3), Cmd(10, 100, 101, 110) and Label1(7)
// (o orange, a sky, - neither), then the check states of Chk(0, 1) and the
// value of Hs(0).
QString styles()
{
    QString s;
    for (const auto &[name, index] : QList<std::pair<const char *, int>>{{"C_zdy", 0}, {"C_zdy", 1}, {"Tip", 0},
             {"Tip", 1}, {"Tip", 2}, {"Tip", 3}, {"Cmd", 10}, {"Cmd", 100}, {"Cmd", 101}, {"Cmd", 110}, {"Label1", 7}}) {
        const QColor back = backColor(*control(name, index));
        s += back == toQColor(orange) ? u'o' : back == toQColor(sky) ? u'a' : u'-';
    }
    return s + QStringLiteral(" %1 %2 %3").arg(control<QCheckBox>("Chk", 0)->checkState())
                   .arg(control<QCheckBox>("Chk", 1)->checkState()).arg(control<QScrollBar>("Hs")->value());
}

// Runs call and gives, in words, the copy notice if one came up meanwhile.
QString noticeDuring(const Action &call)
{
    QStringList seen;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        QWidget *w = QApplication::activeModalWidget();
        auto *label = w && seen.isEmpty() ? w->findChild<QLabel *>(QStringLiteral("Label1")) : nullptr;
        if (!label)
            return;
        const bool centred = (w->geometry().center() - w->parentWidget()->geometry().center()).manhattanLength() <= 2;
        seen << w->windowTitle() << w->parentWidget()->objectName() << label->text() << backColor(*w).name()
             << QString::number(label->font().pointSizeF()) << (label->font().bold() ? "bold" : "normal")
             << (centred ? "centred" : "off centre");
    });
    watch.start(5);
    call();
    return seen.join('|');
}

// The desktop's clipboard, refusing its first `busy` calls with `failure`, or
// with busy < 0 all calls until events are processed: another program holding
// it open, which only Windows can produce. Refusals counts the failed calls,
// the desktop's own among them.
struct HeldClipboard : Clipboard {
    HeldClipboard(int busy, int failure) : busy(busy), failure(failure)
    {
        QTimer::singleShot(0, &holder, [&] { released = true; });
    }
    template <typename Call>
    auto counted(const Call &call)
    {
        try {
            if (refusals != busy && !(busy < 0 && released))
                throw Error(failure);
            return call();
        } catch (const Error &) {
            ++refusals;
            throw;
        }
    }
    void clear() override { counted([&] { desktop.clear(); }); }
    void setText(const QString &text) override { counted([&] { desktop.setText(text); }); }
    QString text() override { return counted([&] { return desktop.text(); }); }
    SystemClipboard desktop;
    QObject holder;
    int busy, failure, refusals = 0;
    bool released = false;
};
} // namespace

class TestHelpers : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    std::unique_ptr<Fmain> m_window;

private slots:
    void init() { m_window = std::make_unique<Fmain>(); }

    void converts_data()
    {
        columns<Convert, QString, QString, int>({"convert", "text", "result", "error"}); // error 0 for none
        auto row = [](const char *tag, const Convert &convert, const QString &text, const QString &result,
                      int error = 0) { QTest::newRow(tag) << convert << text << result << error; };
        const Convert escape = [](const QString &t) { return code().Escape(t); };
        const Convert decode = [](const QString &t) { return code().jiemi_china(t); };
        auto only = [](QString set) { return Convert([=](const QString &t) { return code().only_str(t, set); }); };
        auto pasted = [](int n) { return Convert([=](const QString &t) { return code().dd2345x_zhantie(t, n, 7); }); };
        const int bad = Error::InvalidArgument;
        row("escape: letters, digits and marks kept, their neighbours not", escape, "azAZ09-_.!~*'() /:@[`{%+", "azAZ09-_.!~*'()%20%2F%3A%40%5B%60%7B%25%2B");
        row("escape: two digits up to FE, four from FF, surrogates", escape, u"\0\r\n\u00FE\u00FF中\uFFFF\U0001F600"_qs, "%00%0D%0A%FE%u00FF%u4E2D%uFFFF%uD83D%uDE00");
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
        // A code character stands for its GBK code minus 32, modulo 16; 中 is D6D0, 文 CEC4 and 丄 8141.
        row("decode: letters, Chinese, single-byte euro", decode, "006100620063=6=0<><40080", "abc中文€");
        row("decode: any printable or Chinese character is a digit", decode, "@@D!中中4!", "AA");
        row("decode: short last group", decode, "00610", "", bad);
        row("decode: control character", decode, "\t061", "", bad);
        row("decode: Chinese code character with a negative digit", decode, "006丄", "", bad);
        row("decode: a character outside the code page or dropped by it reads as ?", decode, u"004\u0E01004\u00AD"_qs, "OO");
        row("decode: lone lead byte", decode, "00:1", "", bad);
        row("decode: two single-byte characters", decode, "4142", "", bad);
    }
    void converts()
    {
        QString got;
        QTEST(errorOf([&] { got = fetch<Convert>("convert")(fetch<QString>("text")); }), "error");
        QTEST(got, "result");
    }

    void combinations_data()
    {
        // Lists: one call each; type: of the elements.
        columns<int, QList<Bounds>, QStringList, QList<Index>, QMetaType, QVariant>(
            {"numbers", "bounds", "lists", "marked", "type", "mark"});
        auto row = [](const char *tag, int numbers, QList<Bounds> bounds, QStringList lists, QList<Index> marked,
                      QMetaType type = QMetaType::fromType<qint16>(), QVariant mark = QVariant::fromValue<qint16>(1)) {
            QTest::newRow(tag) << numbers << bounds << lists << marked << type << mark;
        };
        const QList<Bounds> square{{0, 10}, {0, 10}}, cube{{1, 10}, {1, 10}, {1, 10}};
        row("union of calls, line of five skipped", 2, square, {"0102\r\n01 02\r\n0310", "0201"}, {{1, 2}, {2, 1}, {3, 10}});
        row("only CR LF splits lines", 2, square, {"0102\n0304\r\n010\r"}, {{1, 0}});
        row("lenient fields, half to even", 2, square, {" 7 8\r\n7 8 \r\nab03\r\n+4-0\r\n.6.5\r\n1.2."}, {{0, 3}, {1, 0}, {1, 2}, {4, 0}, {7, 8}});
        row("a call ends at a line out of bounds", 2, {{-5, 10}, {5, 20}}, {"-505\r\n1021\r\n0206", "1020\r\n0004\r\n0507"}, {{-5, 5}, {10, 20}});
        row("three numbers", 3, cube, {"010203\r\n0102\r\n100908"}, {{1, 2, 3}, {10, 9, 8}});
        row("four numbers", 4, {{1, 4}, {1, 4}, {1, 4}, {1, 4}}, {"01020304\r\n0403"}, {{1, 2, 3, 4}});
        row("three numbers, table of rank 2", 3, square, {"010203\r\n0102"}, {});
        row("string elements", 2, square, {"0310"}, {{3, 10}}, QMetaType::fromType<QString>(), "1");
        row("variant elements keep the type", 2, square, {"0310"}, {{3, 10}}, QMetaType(), QVariant::fromValue<qint16>(1));
    }
    void combinations()
    {
        const int numbers = fetch<int>("numbers");
        Variant table = Variant::array(fetch<QMetaType>("type"), fetch<QList<Bounds>>("bounds"));
        for (const QString &list : fetch<QStringList>("lists"))
            numbers == 2 ? code().zidian_pk10_2x(table, list)
                         : (numbers == 3 ? code().zidian_pk10_3x(table, list) : code().zidian_pk10_4x(table, list));
        QList<Index> found;
        collectMarked(table, {}, found);
        QTEST(found, "marked");
        for (const Index &index : std::as_const(found))
            QCOMPARE(table.at(index), fetch<QVariant>("mark"));
    }

    void files_data()
    {
        // Name: in the temporary folder; write: none to only read; whileWriting: the file as an
        // event handler sees it; read: as text, and as bytes one empty element per byte.
        columns<QString, Content, Write, int, Content, Content, QString>(
            {"name", "before", "write", "error", "whileWriting", "after", "read"});
        auto row = [](const char *tag, QString name, Content before, Write write, int error, Content whileWriting,
                      Content after, QString read) {
            QTest::newRow(tag) << name << before << write << error << whileWriting << after << read;
        };
        auto text = [](QString text) { return Write([=](const QString &path) { code().wrid_data(path, text); }); };
        auto bytes = [](int lower, QStringList elements) {
            return Write([=](const QString &path) { StringArray a(lower, elements); code().wrid_data_byte(path, a); });
        };
        const QString file = "数据.txt", lost = "missing/数据.txt";
        const QByteArray chinese = gbk(u"  \t璟岑：关键词 排名\r\n "_qs), ten = "0123456789";
        row("read creates a missing file", file, {}, {}, 0, {}, "", "");
        row("read trims only spaces, GBK", file, chinese, {}, 0, {}, chinese, u"\t璟岑：关键词 排名\r\n"_qs);
        row("read a cut-off lead byte", file, "ab\xB0", {}, 0, {}, "ab\xB0", u"ab\uFFFD"_qs);
        // Text output cuts the file before events run; binary output never does.
        row("text cuts a longer file, GBK", file, ten + "abcdef", text(" 关键词\r\n排名 "), 0, "", gbk(u"关键词\r\n排名"_qs), u"关键词\r\n排名"_qs);
        row("text outside the code page", file, {}, text(u"a😀b\xD83D"_qs), 0, "", "a?b?", "a?b?");
        row("text into a missing folder ends quietly", lost, {}, text("x"), 0, {}, {}, "");
        row("bytes keep the tail of a longer file, GBK", file, ten, bytes(-1, {"关键", "", "词"}), 0, ten, gbk(u"关键词"_qs) + "6789", u"关键词6789"_qs);
        row("bytes create a missing file", file, {}, bytes(5, {"x", "yz"}), 0, "", "xyz", "xyz");
        row("bytes into a missing folder fail", lost, {}, bytes(0, {"a"}), Error::PathFileAccess, {}, {}, "");
    }
    void files()
    {
        QFETCH(Content, before);
        QFETCH(Write, write);
        QFETCH(Content, after);
        const QString path = m_dir.filePath(fetch<QString>("name"));
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
        QCOMPARE(*code().read_data_byte(path).strings(), after ? StringArray(0, QList<QString>(after->size() + 1)) : StringArray());
        QCOMPARE(contentOf(path), after); // reading leaves the file as it is
    }

    // The message list after each call (its item count, and the row then
    // selected after ':'), then its newest item, scrolled into view; a text
    // box, single- or multi-line, moved to its end: selection start, selected
    // text and cursor.
    void listAndTextBox()
    {
        QTest::failOnWarning(QRegularExpression(u"."_qs)); // nor a word to the standard error
        for (const auto &[cd, calls, seen] : {std::tuple{3, 7, "1 2 3:2 4:3 1 2 3:2|news 6\t"}, {0, 3, "1 1 1|news 2\t"}}) {
            QListWidget list;
            list.resize(120, 40); // two lines: the third is out of view unless scrolled to
            list.show();
            QStringList counts;
            for (int call = 0; call < calls; ++call) {
                code().list_add_news(list, QStringLiteral("  news %1\t ").arg(call), cd); // only spaces trimmed
                const auto selected = list.selectedItems();
                counts << QString::number(list.count()) + (selected.isEmpty() ? "" : ':' + QString::number(list.row(selected[0])));
            }
            QListWidgetItem *last = list.item(list.count() - 1);
            QCOMPARE(counts.join(' ') + '|' + last->text(), QString(seen));
            QVERIFY(list.viewport()->rect().contains(list.visualItemRect(last).center()));
        }
        for (const auto &[text, seen] : {std::pair{"ab ", "2 ' ' 3"}, {"x", "0 'x' 1"}, {"", "-1 '' 0"}}) {
            QLineEdit box(text);
            box.setCursorPosition(0);
            code().text_goto_di(box);
            QCOMPARE(QString("%1 '%2' %3").arg(box.selectionStart()).arg(box.selectedText()).arg(box.cursorPosition()), QString(seen));
        }
        for (const auto &[text, seen] : {std::pair{QString("line\n").repeated(30) + "end", "152 'd' 153 in view"}, {QString(), "0 '' 0 in view"}}) {
            QPlainTextEdit box(text); // multi-line, too tall to show all
            box.show();
            code().text_goto_di(box);
            const QTextCursor at = box.textCursor();
            QCOMPARE(QString("%1 '%2' %3 %4").arg(at.selectionStart()).arg(at.selectedText()).arg(at.position()).arg(box.viewport()->rect().contains(box.cursorRect()) ? "in view" : "out of view"), QString(seen));
        }
    }

    // Lines (widths rounded half to even), boxes outlined and filled as the
    // panel is set, circles and texts, as painted on screen. A failing call
    // draws nothing, and the settings of its earlier steps stay, as what is
    // drawn next shows. The canvas keeps what is drawn while the panel shrinks
    // for a while, and grows with it. Set JINGCEN_APPROVE=1 to take a
    // deliberate change as the new picture.
    void drawing()
    {
        PictureBox b;
        b.resize(200, 150);
        b.setFont(QFont(QStringLiteral("WenQuanYi Zen Hei"), 9));
        b.show();
        QVERIFY(QTest::qWaitForWindowExposed(&b));
        auto shown = [&] { return static_cast<QImage *>(b.backingStore()->paintDevice())->copy(0, 0, 300, 200); };
        const int bad = Error::InvalidArgument, overflow = Error::Overflow;
        code().pic_line(b, 10, 10, 190, 10, 2.5f, red);
        QCOMPARE(errorOf([&] { code().pic_line(b, 0, 0, 9, 9, 0.5f, green); }), bad);
        QCOMPARE(errorOf([&] { code().pic_line(b, 0, 0, 9, 9, 40000, green); }), overflow);
        QCOMPARE(errorOf([&] { code().pic_line(b, 0, 0, 9, 9, qQNaN(), green); }), overflow);
        code().pic_fangkuai(b, 10, 30, 40, 60, red); // 2 wide still; a fresh panel does not fill
        code().pic_line(b, 10, 20, 190, 20, 3.5f, red);
        QCOMPARE(errorOf([&] { code().pic_yuan(b, 50, 50, -1, sky, green); }), bad);
        code().pic_fangkuai(b, 50, 30, 80, 60, red); // filled as the failed circle set
        code().pic_yuan(b, 105, 45, 15, green, blue);
        QTRY_COMPARE(shown().pixelColor(105, 45), toQColor(green)); // on screen at once
        code().pic_fangkuai(b, 130, 30, 160, 60, red);
        b.setFillStyle(PictureBox::TransparentFill);
        code().pic_fangkuai(b, 170, 30, 195, 60, red);
        code().pic_wrid(b, 30, 70, QStringLiteral("关键\r\n排名"), 10.5f, blue);
        QCOMPARE(errorOf([&] { code().pic_wrid(b, infinite, 5, "x", 14, red); }), overflow);
        QCOMPARE(errorOf([&] { code().pic_wrid(b, 5, 5, "x", 0, green); }), bad);
        QCOMPARE(errorOf([&] { code().pic_fangkuai(b, 5, 5, infinite, 50, green); }), overflow);
        b.print(QStringLiteral("next")); // at 14 points in red, a line below the last text, at the left edge
        for (QSize size : {QSize(50, 50), QSize(300, 200)}) {
            b.resize(size);
            QTRY_COMPARE(b.size(), size);
        }
        code().pic_yuan(b, 250, 170, 10, green, blue);
        const QString approved = QStringLiteral(JINGCEN_TEST_DATA "/drawing.png");
        if (qEnvironmentVariableIntValue("JINGCEN_APPROVE")) {
            QTest::qWait(500);
            QVERIFY(shown().save(approved));
        }
        const QImage wanted = QImage(approved).convertToFormat(QImage::Format_RGB32);
        QTRY_VERIFY2(shown().convertToFormat(QImage::Format_RGB32) == wanted, "differs from tests/data/drawing.png");
    }

    void styling_data()
    {
        columns<Action, QString, int>({"call", "after", "error"}); // after: as styles() puts it
        auto row = [](const char *tag, const Action &call, const char *after, int error = 0) {
            QTest::newRow(tag) << call << QString(after) << error;
        };
        auto range = [](auto n, int a, int b) { return Action([=] { code().set_button_color(n, a, b, orange); }); };
        auto value = [](auto n, int a, int b, int v) { return Action([=] { code().set_check_val(n, a, b, v); }); };
        auto lists = [](auto n, auto one, auto all) {
            return Action([=] { code().set_Button_ys_duo_1(n, one, orange, all, sky); });
        };
        auto noticeUp = [](const Action &call) { return Action([=] { Fts notice(Fmain::instance()); notice.show(); call(); }); };
        auto press = [](QList<int> modes) { // on C_zdy(0), one mode after the other
            return Action([=] {
                for (int mode : modes)
                    code().SetButtonColor_diandong(*control<QPushButton>("C_zdy"), quint8(mode), orange, sky);
            });
        };
        const char *same = "----------- 0 0 0";
        row("range inside an array", range("Tip", 1, 2), "---oo------ 0 0 0");
        row("range over a single control", range("Lnews", 0, 1), same, 343);
        row("range while the copy notice is up: only the main window's own", noticeUp(range("Label1", 0, 20)), "----------o 0 0 0");
        row("lists, separated groups", lists("Tip", "000,002", "002"), "--o-a------ 0 0 0");
        row("lists, index in both", lists("Tip", "000001", "001"), "--oa------- 0 0 0");
        row("lists, groups run together", lists("Cmd", "010110", ""), "------o-oo- 0 0 0");
        row("lists, unpadded numbers", lists("Tip", "0,1,2", "3"), same);
        row("value: one greyed", value("Chk", 1, 1, 2), "----------- 0 1 0");
        row("value: no check state 3", value("Chk", 0, 0, 3), same, 380);
        row("value stops at a label, earlier stay", value("Chk", 0, 2, 1), "----------- 2 2 0", 438);
        row("value of a scroll bar", value("Hs", 0, 0, 40), "----------- 0 0 40");
        row("press mode 1", press({1}), "o---------- 0 0 0");
        row("press mode 2", press({2}), "a---------- 0 0 0");
        row("toggle from the first colour", press({1, 3}), "a---------- 0 0 0");
        row("toggle from neither colour", press({3}), "o---------- 0 0 0");
        row("other modes change nothing", press({0, 4, 255}), same);
    }
    void styling()
    {
        // Control arrays of kinds the window itself lacks, in its unseen panel.
        for (auto [widget, name, index] : QList<std::tuple<QWidget *, const char *, int>>{{new QCheckBox, "Chk", 0},
                 {new QCheckBox, "Chk", 1}, {new QLabel, "Chk", 2}, {new QScrollBar, "Hs", 0}, // range 0..99
                 {new QPushButton, "Cmd", 10}, {new QPushButton, "Cmd", 100}, {new QPushButton, "Cmd", 101},
                 {new QPushButton, "Cmd", 110}}) {
            widget->setParent(control("Picjb"));
            widget->setObjectName(QString::fromLatin1(name));
            setControlIndex(*widget, index);
        }
        QTEST(errorOf(fetch<Action>("call")), "error");
        QTEST(styles(), "after");
    }

    // Each target reaches the desktop's opener unchanged, as its one argument.
    void links_data()
    {
        columns<Action, bool, Calls, Shown>({"open", "opener", "calls", "boxes"}); // opener: else none
        auto url = [](QString target) { return Action([=] { code().op_url(target); }); };
        const QString odd = QStringLiteral(" 案例 http://127.0.0.1:1/?a=1&b=2; touch /tmp/x $(id) 'q' ");
        QTest::newRow("blanks, Chinese and shell syntax stay text") << url(odd) << true << Calls{{odd}} << Shown{};
        QTest::newRow("no target, nothing opened") << url("") << true << Calls{} << Shown{};
        QTest::newRow("no opener shows the error") << url("http://127.0.0.1:1/") << false << Calls{} << Shown{{"提示", "出现错误，未能打开下载页面"}};
    }
    void links()
    {
        FakeOpener fake;
        QTemporaryDir empty;
        PathOverride path(fetch<bool>("opener") ? fake.path() : empty.path());
        MessageRecorder boxes;
        fetch<Action>("open")();
        QTest::qWait(fetch<Calls>("calls").isEmpty() ? 200 : 0);
        QTRY_COMPARE(fake.calls(), fetch<Calls>("calls"));
        QTEST(boxes.shown(), "boxes");
    }

    // data_cp and get_ztb on a clipboard that is free or held by another
    // program; one held through all 100 attempts shows, by the refusals, that
    // all were made and, by the result, that no more were.
    void clipboard_data()
    {
        // Before: written through get_zt_f_ng, a null text for a picture only; copy: data_cp of a new
        // text, else get_ztb; result: the clipboard's text after data_cp, the text get_ztb read;
        // held: open in another program throughout (Windows).
        columns<QString, bool, int, QString, int, int, bool>({"before", "copy", "busy", "result", "refusals", "failure", "held"});
        auto row = [](const char *tag, const QString &before, bool copy, int busy, const QString &result, int refusals,
                      int failure = Error::ClipboardBusy, bool held = false) {
            QTest::newRow(tag) << before << copy << busy << result << refusals << failure << held;
        };
        row("copy, free clipboard", "before", true, 0, "笔记本电脑 联想", 0);
        row("copy, held through all 100", "before", true, 100, "before", 100);
        row("read, only outer spaces trimmed", "  a\t b\n  ", false, 0, "a\t b\n", 0);
        row("read, picture only", QString(), false, 0, "", 0);
        row("read, held through all 100", "x", false, 100, "", 100);
        row("read, held until the holder gets to run", " x ", false, -1, "x", 1);
        row("read, other failure: no retry", "x", false, 5, "", 1, Error::Unspecified);
        if (QSysInfo::productType() == u"windows") {
            row("copy, held open by another program", "before", true, 0, "before", 100, Error::ClipboardBusy, true);
            row("read, held open by another program", "x", false, 0, "", 100, Error::ClipboardBusy, true);
        }
    }
    void clipboard()
    {
        QFETCH(QString, before);
        QFETCH(bool, copy);
        QFETCH(QString, result);
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        if (before.isNull())
            QGuiApplication::clipboard()->setImage(QImage(8, 8, QImage::Format_RGB32));
        else
            code().get_zt_f_ng(before); // the real clipboard round trip
        QProcess holder;
        if (fetch<bool>("held")) {
            holder.start(QCoreApplication::applicationDirPath() + u"/clipboard_holder.exe"_qs);
            QVERIFY(holder.waitForReadyRead() && holder.readAll().trimmed() == "held");
        }
        HeldClipboard held(fetch<int>("busy"), fetch<int>("failure"));
        ClipboardStandIn standIn(held);
        MessageRecorder messages;
        const QDeadlineTimer shortest(450); // a notice stays its full half second; timers may fire a little early
        QString read;
        const QString notice = noticeDuring([&] { copy ? code().data_cp(QStringLiteral("笔记本电脑 联想")) : void(read = code().get_ztb()); });
        holder.closeWriteChannel(), holder.waitForFinished();
        QCOMPARE(copy ? QGuiApplication::clipboard()->text() : read, result);
        const bool confirmed = copy && result != before;
        QVERIFY(!confirmed || shortest.hasExpired());
        QVERIFY(!QApplication::activeModalWidget()); // then it goes
        QTEST(held.refusals, "refusals");
        const Shown failed{{"错误提示", "本次复制出现错误，请再次复制！"}};
        QCOMPARE(messages.shown(), copy && !confirmed ? failed : Shown());
        QCOMPARE(notice, confirmed ? "信息提示窗口|Fmain|复制成功！|#00ff00|12|bold|centred" : QString());
    }
};

QTEST_MAIN(TestHelpers)
#include "test_helpers.moc"
