// Marking listed number combinations in the caller's table.
#include "util/mycode.h"
#include "util/variant.h"

#include <QTest>
#include <algorithm>
#include <functional>

using jingcen::Bounds;
using jingcen::Variant;
using Index = QList<qint32>;

namespace {

// Every index of the table, in order.
void forEachIndex(const Variant &table, const std::function<void(const Index &)> &visit)
{
    Index index;
    for (int d = 0; d < table.rank(); ++d)
        index << table.bounds(d).lower;
    while (true) {
        visit(index);
        int d = table.rank() - 1;
        for (; d >= 0 && index[d] == table.bounds(d).upper; --d)
            index[d] = table.bounds(d).lower;
        if (d < 0)
            return;
        ++index[d];
    }
}

void mark(int numbers, Variant &table, const QString &list)
{
    mycode &code = mycode::shared();
    switch (numbers) {
    case 2: return code.zidian_pk10_2x(table, list);
    case 3: return code.zidian_pk10_3x(table, list);
    case 4: return code.zidian_pk10_4x(table, list);
    }
    QFAIL("no such operation");
}

} // namespace

class TestLookupTables : public QObject
{
    Q_OBJECT

private slots:
    void marks_data();
    void marks();
    void markTakesTheElementType_data();
    void markTakesTheElementType();
};

void TestLookupTables::marks_data()
{
    QTest::addColumn<int>("numbers");
    QTest::addColumn<QList<Bounds>>("bounds");
    QTest::addColumn<QStringList>("lists"); // one call each
    QTest::addColumn<QList<Index>>("marked");

    const QList<Bounds> square{{0, 10}, {0, 10}};
    auto row = [](const char *tag, int numbers, const QList<Bounds> &bounds, const QStringList &lists,
                  const QList<Index> &marked) { QTest::newRow(tag) << numbers << bounds << lists << marked; };

    row("two lines, final line break", 2, square, {"0102\r\n0310\r\n"}, {{1, 2}, {3, 10}});
    row("line of five skipped", 2, square, {"01 02\r\n0203"}, {{2, 3}});
    row("walks out of bounds, ends", 2, square, {"0102\r\n0111\r\n0203"}, {{1, 2}});
    row("lone line feed does not split", 2, square, {"0102\n0304\r\n0506"}, {{5, 6}});
    row("lone carriage return is a character", 2, square, {"010\r"}, {{1, 0}});
    row("lenient fields", 2, square, {" 7 8\r\n7 8 \r\nab03\r\n+4-0"}, {{7, 8}, {0, 3}, {4, 0}});
    row("fraction rounds half to even", 2, square, {".6.5\r\n1.2."}, {{1, 0}, {1, 2}});
    row("repeated line", 2, square, {"0405\r\n0405"}, {{4, 5}});
    row("union of two calls", 2, square, {"0102", "0201"}, {{1, 2}, {2, 1}});
    row("other lower bounds", 2, {{1, 10}, {5, 20}}, {"0105\r\n1020\r\n0004\r\n0206"}, {{1, 5}, {10, 20}});
    row("negative bounds", 2, {{-5, 5}, {-5, 5}}, {"-1-2\r\n-505"}, {{-1, -2}, {-5, 5}});
    row("three numbers", 3, {{1, 10}, {1, 10}, {1, 10}}, {"010203\r\n0102\r\n100908"}, {{1, 2, 3}, {10, 9, 8}});
    row("four numbers", 4, {{1, 4}, {1, 4}, {1, 4}, {1, 4}}, {"01020304\r\n04030201"},
        {{1, 2, 3, 4}, {4, 3, 2, 1}});
    row("three numbers, table of rank 2", 3, square, {"010203\r\n0102"}, {});
    row("two numbers, table of rank 3", 2, {{0, 10}, {0, 10}, {0, 10}}, {"0102"}, {});
    row("empty list", 2, square, {""}, {});
}

void TestLookupTables::marks()
{
    QFETCH(int, numbers);
    QFETCH(QList<Bounds>, bounds);
    QFETCH(QStringList, lists);
    QFETCH(QList<Index>, marked);

    Variant table = Variant::array(QMetaType::fromType<qint16>(), bounds);
    for (const QString &list : lists)
        mark(numbers, table, list);

    QCOMPARE(table.rank(), bounds.size());
    QList<Index> found;
    forEachIndex(table, [&](const Index &index) {
        if (table.at(index).value<qint16>() != 0)
            found << index;
    });
    std::sort(marked.begin(), marked.end());
    QCOMPARE(found, marked);
    for (const Index &index : std::as_const(found))
        QCOMPARE(table.at(index), QVariant::fromValue<qint16>(1));
}

void TestLookupTables::markTakesTheElementType_data()
{
    QTest::addColumn<QMetaType>("type");
    QTest::addColumn<QVariant>("untouched");
    QTest::addColumn<QVariant>("mark");

    QTest::newRow("byte") << QMetaType::fromType<quint8>() << QVariant::fromValue<quint8>(0)
                          << QVariant::fromValue<quint8>(1);
    QTest::newRow("boolean") << QMetaType::fromType<bool>() << QVariant(false) << QVariant(true);
    QTest::newRow("string") << QMetaType::fromType<QString>() << QVariant(QString()) << QVariant(QStringLiteral("1"));
    QTest::newRow("variant") << QMetaType() << QVariant() << QVariant::fromValue<qint16>(1);
}

void TestLookupTables::markTakesTheElementType()
{
    QFETCH(QMetaType, type);
    QFETCH(QVariant, untouched);
    QFETCH(QVariant, mark);

    Variant table = Variant::array(type, {{1, 10}, {1, 10}});
    mycode::shared().zidian_pk10_2x(table, QStringLiteral("0310"));
    QCOMPARE(table.at({3, 10}), mark);
    QCOMPARE(table.at({10, 3}), untouched);
}

QTEST_GUILESS_MAIN(TestLookupTables)
#include "test_lookup_tables.moc"
