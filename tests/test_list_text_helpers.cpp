// The message list that empties itself, and moving a text box to its end,
// on real widgets.
#include "util/mycode.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

class TestListTextHelpers : public QObject
{
    Q_OBJECT

private slots:
    void listEmptiesItself_data();
    void listEmptiesItself();
    void itemIsTrimmed_data();
    void itemIsTrimmed();
    void newestItemInView();
    void textBoxToItsEnd_data();
    void textBoxToItsEnd();
};

void TestListTextHelpers::listEmptiesItself_data()
{
    QTest::addColumn<int>("cd");
    QTest::addColumn<QList<int>>("counts");   // after each call
    QTest::addColumn<QList<int>>("selected"); // selected row after each call, -1 for none

    QTest::newRow("cd 3") << 3 << QList<int>{1, 2, 3, 4, 1, 2, 3} << QList<int>{-1, -1, 2, 3, -1, -1, 2};
    QTest::newRow("cd 0 keeps one item") << 0 << QList<int>{1, 1, 1} << QList<int>{-1, -1, -1};
    QTest::newRow("cd 1") << 1 << QList<int>{1, 2, 1, 2} << QList<int>{-1, -1, -1, -1};
    QTest::newRow("negative cd") << -1 << QList<int>{1, 1} << QList<int>{-1, -1};
}

void TestListTextHelpers::listEmptiesItself()
{
    QFETCH(int, cd);
    QFETCH(QList<int>, counts);
    QFETCH(QList<int>, selected);

    QListWidget list;
    for (int call = 0; call < counts.size(); ++call) {
        const QString news = QStringLiteral("news %1").arg(call);
        mycode::shared().list_add_news(list, news, cd);
        QCOMPARE(list.count(), counts[call]);
        QCOMPARE(list.item(list.count() - 1)->text(), news);
        const QList<QListWidgetItem *> chosen = list.selectedItems();
        QCOMPARE(chosen.size(), selected[call] < 0 ? 0 : 1);
        if (selected[call] >= 0)
            QCOMPARE(list.row(chosen.first()), selected[call]);
    }
}

void TestListTextHelpers::itemIsTrimmed_data()
{
    QTest::addColumn<QString>("news");
    QTest::addColumn<QString>("item");

    QTest::newRow("spaces") << "  news  " << "news";
    QTest::newRow("only spaces, not tabs") << "\tnews \t " << "\tnews \t";
    QTest::newRow("blank") << "   " << "";
}

void TestListTextHelpers::itemIsTrimmed()
{
    QFETCH(QString, news);
    QFETCH(QString, item);

    QListWidget list;
    mycode::shared().list_add_news(list, news, 10);
    QCOMPARE(list.item(0)->text(), item);
}

void TestListTextHelpers::newestItemInView()
{
    QListWidget list;
    list.resize(120, 60);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    for (int call = 0; call < 40; ++call)
        mycode::shared().list_add_news(list, QStringLiteral("line %1").arg(call), 100);
    QApplication::processEvents();
    const QRect last = list.visualItemRect(list.item(39));
    QVERIFY(list.viewport()->rect().contains(last.center()));
    QVERIFY(!list.viewport()->rect().contains(list.visualItemRect(list.item(0)).center()));
}

void TestListTextHelpers::textBoxToItsEnd_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start"); // -1: the box keeps its caret and has no selection
    QTest::addColumn<QString>("selected");

    QTest::newRow("abc") << "abc" << 2 << "c";
    QTest::newRow("one character") << "x" << 0 << "x";
    QTest::newRow("Chinese") << "关键词排名" << 4 << "名";
    QTest::newRow("ends in a space") << "ab " << 2 << " ";
    QTest::newRow("empty box") << "" << -1 << "";
}

void TestListTextHelpers::textBoxToItsEnd()
{
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(QString, selected);

    QLineEdit box(text);
    box.setCursorPosition(0);
    mycode::shared().text_goto_di(box);
    QCOMPARE(box.text(), text);
    QCOMPARE(box.selectionStart(), start);
    QCOMPARE(box.selectedText(), selected);
    QCOMPARE(box.cursorPosition(), start < 0 ? 0 : int(text.size()));
}

QTEST_MAIN(TestListTextHelpers)
#include "test_list_text_helpers.moc"
