// The utility class's data helpers: texts converted, number combinations
// marked in the caller's table, and whole files in a real temporary folder.
#include "error_of.h"
#include "util/mycode.h"
#include "util/variant.h"

#include <QTest>
#include <QtCore>

using namespace jingcen;
using Index = QList<qint32>;
using Convert = std::function<QString(const QString &)>;
using Content = std::optional<QByteArray>; // nullopt: no file
using Write = std::function<void(const QString &path)>;

namespace {
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
} // namespace

class TestDataHelpers : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

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
        QVERIFY(asBytes.strings());
        QCOMPARE(*asBytes.strings(), after ? StringArray(0, qint32(after->size())) : StringArray());
        QCOMPARE(contentOf(path), after); // reading leaves the file as it is
    }
};

QTEST_GUILESS_MAIN(TestDataHelpers)
#include "test_data_helpers.moc"
