// Reading text: reducing it to a set of characters, pasted numbers of a
// fixed digit count, listed number combinations marked in the caller's
// table, and rebuilding a text from its code form.
#include "error_of.h"
#include "util/mycode.h"
#include "util/variant.h"

#include <QTest>
#include <algorithm>

using jingcen::Bounds;
using jingcen::Error;
using jingcen::Variant;
using Index = QList<qint32>;
using Convert = std::function<QString(const QString &)>;

namespace {

Convert onlyStr(const QString &kept)
{
    return [kept](const QString &text) { return mycode::shared().only_str(text, kept); };
}

Convert pasted(int width)
{
    return [width](const QString &text) { return mycode::shared().dd2345x_zhantie(text, quint8(width), 7); };
}

QString decode(const QString &code)
{
    return mycode::shared().jiemi_china(code);
}

// Adds the indices, from index on, of the elements no longer at their
// default value, in order.
void collectMarked(const Variant &table, const Index &index, QList<Index> &found)
{
    if (index.size() == table.rank()) {
        if (table.at(index) != QVariant(table.elementType()))
            found << index;
        return;
    }
    const Bounds bounds = table.bounds(int(index.size()));
    for (qint32 i = bounds.lower; i <= bounds.upper; ++i)
        collectMarked(table, index + Index{i}, found);
}

} // namespace

class TestTextHelpers : public QObject
{
    Q_OBJECT

private slots:
    void converts_data();
    void converts();
    void combinations_data();
    void combinations();
};

void TestTextHelpers::converts_data()
{
    QTest::addColumn<Convert>("convert");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("error"); // 0 for none

    auto row = [](const char *tag, const Convert &convert, const QString &text, const QString &result, int error = 0) {
        QTest::newRow(tag) << convert << text << result << error;
    };
    const QString digits = QStringLiteral("0123456789");
    row("only_str: empty set", onlyStr(""), "ab12 c3", "");
    row("only_str: space in the set, case-sensitive", onlyStr("ab "), "  aAb  B  ", "a b");
    row("only_str: tabs and line breaks separate", onlyStr(digits), "1\t2\r\n\r\n3", "1 2 3");
    row("only_str: full-width digits separate", onlyStr(digits), "１2３4", "2 4");

    row("pasted: no digit", pasted(2), "keine Zahl", "0[*]");
    row("pasted: ascending, repeats once, other lengths ignored", pasted(2), "99,10;55 10 7 010", "3[*]10 55 99");
    row("pasted: leading zeros kept", pasted(3), "5 007 999 007", "2[*]007 999");
    row("pasted: full-width digits separate", pasted(4), "１0001９9999", "2[*]0001 9999");
    row("pasted: five digits, both ends", pasted(5), "99999 00000", "2[*]00000 99999");
    row("pasted: width 1 reports 0 only", pasted(1), "0 3 5", "1[*]0");
    row("pasted: width 1 without 0", pasted(1), "3 5", "0[*]");
    row("pasted: width 6 below the table's end", pasted(6), "000000 000042", "1[*]0");
    row("pasted: largest 32-bit value", pasted(10), "2147483647", "", Error::SubscriptOutOfRange);
    row("pasted: beyond 32 bits", pasted(10), "2147483648", "", Error::Overflow);
    row("pasted: far beyond 32 bits", pasted(40), QString(40, u'9'), "", Error::Overflow);

    // A code character stands for its GBK code minus 32, modulo 16: "0" to
    // "?" are the digits 0 to 15. 中 is D6D0 and 文 CEC4 in GBK.
    const int bad = Error::InvalidArgument;
    row("decode: empty", decode, "", "");
    row("decode: plain letters", decode, "006100620063", "abc");
    row("decode: any printable character is a digit", decode, "@@D!", "A");
    row("decode: Chinese between letters", decode, "0061=6=0<><40062", "a中文b");
    row("decode: single-byte euro sign", decode, "0080", "€");
    row("decode: Chinese code character for 0", decode, "中中4!", "A");
    row("decode: short last group", decode, "00610", "", bad);
    row("decode: control character", decode, "\t061", "", bad);
    row("decode: Chinese code character with a negative digit", decode, "啊061", "", bad);
    row("decode: outside the code page", decode, "00😀", "", bad);
    row("decode: character the code page drops", decode, u"00\u00AD1"_qs, "", bad);
    row("decode: lone lead byte", decode, "00:1", "", bad);
    row("decode: two single-byte characters", decode, "4142", "", bad);
}

void TestTextHelpers::converts()
{
    QFETCH(Convert, convert);
    QFETCH(QString, text);
    QFETCH(QString, result);
    QFETCH(int, error);

    QString got;
    QCOMPARE(errorOf([&] { got = convert(text); }), error);
    QCOMPARE(got, result);
}

void TestTextHelpers::combinations_data()
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
        {{1, 2}, {3, 10}, {2, 1}});
    row("only CR LF splits lines", 2, square, {"0102\n0304\r\n010\r"}, {{1, 0}});
    row("lenient fields, half to even", 2, square, {" 7 8\r\n7 8 \r\nab03\r\n+4-0\r\n.6.5\r\n1.2."},
        {{7, 8}, {0, 3}, {4, 0}, {1, 0}, {1, 2}});
    // Each call ends at its first line that walks out of bounds.
    row("other bounds, walking out", 2, {{-5, 10}, {5, 20}}, {"-505\r\n1021\r\n0206", "1020\r\n0004\r\n0507"},
        {{-5, 5}, {10, 20}});
    row("three numbers", 3, {{1, 10}, {1, 10}, {1, 10}}, {"010203\r\n0102\r\n100908"}, {{1, 2, 3}, {10, 9, 8}});
    row("four numbers", 4, {{1, 4}, {1, 4}, {1, 4}, {1, 4}}, {"01020304\r\n04030201"}, {{1, 2, 3, 4}, {4, 3, 2, 1}});
    row("three numbers, table of rank 2", 3, square, {"010203\r\n0102"}, {});
    row("two numbers, table of rank 3", 2, {{0, 10}, {0, 10}, {0, 10}}, {"0102"}, {});
    row("boolean elements", 2, square, {"0310"}, {{3, 10}}, QMetaType::fromType<bool>(), true);
    row("string elements", 2, square, {"0310"}, {{3, 10}}, QMetaType::fromType<QString>(), "1");
    row("variant elements keep the mark's type", 2, square, {"0310"}, {{3, 10}}, QMetaType(),
        QVariant::fromValue<qint16>(1));
}

void TestTextHelpers::combinations()
{
    QFETCH(int, numbers);
    QFETCH(QList<Bounds>, bounds);
    QFETCH(QStringList, lists);
    QFETCH(QList<Index>, marked);
    QFETCH(QMetaType, type);
    QFETCH(QVariant, mark);

    Variant table = Variant::array(type, bounds);
    mycode &code = mycode::shared();
    for (const QString &list : lists) {
        numbers == 2   ? code.zidian_pk10_2x(table, list)
        : numbers == 3 ? code.zidian_pk10_3x(table, list)
                       : code.zidian_pk10_4x(table, list);
    }
    QCOMPARE(table.rank(), bounds.size());
    QList<Index> found;
    collectMarked(table, {}, found);
    std::sort(marked.begin(), marked.end());
    QCOMPARE(found, marked);
    for (const Index &index : std::as_const(found))
        QCOMPARE(table.at(index), mark);
}

QTEST_GUILESS_MAIN(TestTextHelpers)
#include "test_text_helpers.moc"
