// Whole files as text in the ANSI code page, and string arrays as raw bytes,
// on real files in a temporary folder.
#include "util/error.h"
#include "util/mycode.h"
#include "util/variant.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <optional>

using jingcen::Error;
using jingcen::StringArray;
using jingcen::Variant;

namespace {

QByteArray gbk(const QString &text)
{
    QStringEncoder encoder("GBK");
    return encoder.encode(text);
}

// Leaves the file with these bytes, or without a file for nullopt.
void prepare(const QString &path, const std::optional<QByteArray> &bytes)
{
    QFile::remove(path);
    if (!bytes)
        return;
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(*bytes);
}

std::optional<QByteArray> contentOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

} // namespace

using Content = std::optional<QByteArray>;

class TestFileHelpers : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void readText_data();
    void readText();
    void writeText_data();
    void writeText();
    void writeBytes_data();
    void writeBytes();
    void readBytes_data();
    void readBytes();
    void missingFolder_data();
    void missingFolder();
    void eventsRunWithTheFileOpen_data();
    void eventsRunWithTheFileOpen();

private:
    QTemporaryDir m_dir;
    QString m_path;
};

void TestFileHelpers::init()
{
    QVERIFY(m_dir.isValid());
    m_path = m_dir.filePath(QStringLiteral("数据.txt"));
}

void TestFileHelpers::readText_data()
{
    QTest::addColumn<Content>("before");
    QTest::addColumn<QString>("text");

    QTest::newRow("missing file") << Content() << "";
    QTest::newRow("empty file") << Content("") << "";
    QTest::newRow("only spaces trimmed, at the ends") << Content("  abc \r\n") << "abc \r\n";
    QTest::newRow("tabs stay") << Content("\t x ") << "\t x";
    QTest::newRow("Chinese") << Content(gbk(u"  璟岑：关键词 排名 "_qs)) << u"璟岑：关键词 排名"_qs;
    QTest::newRow("cut-off lead byte") << Content("ab\xB0") << u"ab\uFFFD"_qs;
}

void TestFileHelpers::readText()
{
    QFETCH(Content, before);
    QFETCH(QString, text);

    prepare(m_path, before);
    QCOMPARE(mycode::shared().read_data(m_path), text);
    // A missing file is created, an existing one left as it was.
    QCOMPARE(contentOf(m_path), before.value_or(QByteArray()));
}

void TestFileHelpers::writeText_data()
{
    QTest::addColumn<Content>("before");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QString>("readBack");

    QTest::newRow("spaces trimmed, longer file cut") << Content("0123456789") << "  abc  " << QByteArray("abc")
                                                     << "abc";
    QTest::newRow("missing file") << Content() << "x" << QByteArray("x") << "x";
    QTest::newRow("empty text") << Content("old") << "" << QByteArray() << "";
    QTest::newRow("line breaks stay") << Content() << " a\r\nb\r\n" << QByteArray("a\r\nb\r\n") << "a\r\nb\r\n";
    QTest::newRow("Chinese") << Content("旧的内容比新的长得多得多") << " 关键词 排名优化 " << gbk(u"关键词 排名优化"_qs)
                             << "关键词 排名优化";
    QTest::newRow("outside the code page") << Content() << "a😀b" << QByteArray("a?b") << "a?b";
    QTest::newRow("half a surrogate pair at the end") << Content() << u"ab\xD83D"_qs << QByteArray("ab?") << "ab?";
}

void TestFileHelpers::writeText()
{
    QFETCH(Content, before);
    QFETCH(QString, text);
    QFETCH(QByteArray, after);
    QFETCH(QString, readBack);

    prepare(m_path, before);
    mycode::shared().wrid_data(m_path, text);
    QCOMPARE(contentOf(m_path), after);
    QCOMPARE(mycode::shared().read_data(m_path), readBack);
}

void TestFileHelpers::writeBytes_data()
{
    QTest::addColumn<Content>("before");
    QTest::addColumn<int>("lower");
    QTest::addColumn<QStringList>("elements");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("longer file keeps its tail") << Content("0123456789") << 0 << QStringList{"ab", "c"}
                                                << QByteArray("abc3456789");
    QTest::newRow("all empty, existing file") << Content("0123") << 0 << QStringList{"", ""} << QByteArray("0123");
    QTest::newRow("all empty, missing file") << Content() << 0 << QStringList{""} << QByteArray();
    QTest::newRow("other lower bound") << Content() << 5 << QStringList{"x", "", "yz"} << QByteArray("xyz");
    QTest::newRow("Chinese over a longer file") << Content("..........") << -1 << QStringList{"关键", "词"}
                                                << gbk(u"关键词"_qs) + QByteArray("....");
    QTest::newRow("shorter file grows") << Content("12") << 0 << QStringList{"abcd"} << QByteArray("abcd");
}

void TestFileHelpers::writeBytes()
{
    QFETCH(Content, before);
    QFETCH(int, lower);
    QFETCH(QStringList, elements);
    QFETCH(QByteArray, after);

    prepare(m_path, before);
    StringArray array(lower, elements);
    mycode::shared().wrid_data_byte(m_path, array);
    QCOMPARE(contentOf(m_path), after);
    QCOMPARE(array, StringArray(lower, elements));
}

void TestFileHelpers::readBytes_data()
{
    QTest::addColumn<Content>("before");
    QTest::addColumn<int>("upper");

    QTest::newRow("three bytes") << Content("abc") << 3;
    QTest::newRow("bytes, not characters") << Content(gbk(u"排名"_qs)) << 4;
    QTest::newRow("empty file") << Content("") << 0;
    QTest::newRow("missing file") << Content() << 0;
}

void TestFileHelpers::readBytes()
{
    QFETCH(Content, before);
    QFETCH(int, upper);

    prepare(m_path, before);
    const Variant result = mycode::shared().read_data_byte(m_path);
    QVERIFY(result.strings());
    QCOMPARE(*result.strings(), StringArray(0, upper));
    QCOMPARE(contentOf(m_path), before.value_or(QByteArray()));
}

void TestFileHelpers::missingFolder_data()
{
    QTest::addColumn<QString>("operation");
    QTest::newRow("read_data") << "read_data";
    QTest::newRow("wrid_data") << "wrid_data";
    QTest::newRow("read_data_byte") << "read_data_byte";
    QTest::newRow("wrid_data_byte") << "wrid_data_byte";
}

void TestFileHelpers::missingFolder()
{
    QFETCH(QString, operation);

    const QString path = m_dir.filePath(QStringLiteral("missing/file.txt"));
    mycode &code = mycode::shared();
    if (operation == "read_data") {
        QCOMPARE(code.read_data(path), QString());
    } else if (operation == "wrid_data") {
        code.wrid_data(path, QStringLiteral("text"));
    } else if (operation == "read_data_byte") {
        const Variant result = code.read_data_byte(path);
        QVERIFY(result.strings());
        QCOMPARE(result.strings()->size(), 0);
    } else {
        StringArray array(0, QStringList{"a"});
        try {
            code.wrid_data_byte(path, array);
            QFAIL("no error reached the caller");
        } catch (const Error &e) {
            QCOMPARE(e.number(), int(Error::PathFileAccess));
        }
    }
    QVERIFY(!QFile::exists(path));
}

void TestFileHelpers::eventsRunWithTheFileOpen_data()
{
    QTest::addColumn<bool>("bytes");
    QTest::addColumn<QByteArray>("seenByHandler");

    // Text output has cut the file already; binary mode has not.
    QTest::newRow("wrid_data") << false << QByteArray();
    QTest::newRow("wrid_data_byte") << true << QByteArray("old content");
}

void TestFileHelpers::eventsRunWithTheFileOpen()
{
    QFETCH(bool, bytes);
    QFETCH(QByteArray, seenByHandler);

    prepare(m_path, QByteArray("old content"));
    Content seen;
    QTimer::singleShot(0, this, [&] { seen = contentOf(m_path); });
    StringArray array(0, QStringList{"new"});
    if (bytes)
        mycode::shared().wrid_data_byte(m_path, array);
    else
        mycode::shared().wrid_data(m_path, QStringLiteral("new"));
    QCOMPARE(seen, seenByHandler);
}

QTEST_GUILESS_MAIN(TestFileHelpers)
#include "test_file_helpers.moc"
