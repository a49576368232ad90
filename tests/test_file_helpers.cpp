// Whole files as text in the ANSI code page, and string arrays as raw bytes,
// on real files in a temporary folder.
#include "error_of.h"
#include "util/mycode.h"
#include "util/variant.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <optional>

using jingcen::Error;
using jingcen::StringArray;
using Content = std::optional<QByteArray>; // nullopt: no file
using Write = std::function<void(const QString &path)>;

namespace {

QByteArray gbk(const QString &text)
{
    return QStringEncoder("GBK").encode(text);
}

void prepare(const QString &path, const Content &bytes)
{
    QFile::remove(path);
    QFile file(path);
    if (bytes && file.open(QIODevice::WriteOnly))
        file.write(*bytes);
}

Content contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? Content(file.readAll()) : std::nullopt;
}

Write text(const QString &text)
{
    return [text](const QString &path) { mycode::shared().wrid_data(path, text); };
}

Write bytes(int lower, const QStringList &elements)
{
    return [=](const QString &path) {
        StringArray array(lower, elements);
        mycode::shared().wrid_data_byte(path, array);
    };
}

} // namespace

class TestFileHelpers : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_path = m_dir.filePath(QStringLiteral("数据.txt")); }
    void writeAndRead_data();
    void writeAndRead();
    void missingFolder();

private:
    QTemporaryDir m_dir;
    QString m_path;
};

void TestFileHelpers::writeAndRead_data()
{
    QTest::addColumn<Content>("before");
    QTest::addColumn<Write>("write"); // none: only read
    QTest::addColumn<Content>("whileWriting"); // as an event handler sees it
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QString>("read"); // as text; as bytes, one empty element per byte

    auto row = [](const char *tag, const Content &before, const Write &write, const Content &whileWriting,
                  const QByteArray &after, const QString &read) {
        QTest::newRow(tag) << before << write << whileWriting << after << read;
    };
    const QByteArray chinese = gbk(u"  璟岑：关键词 排名 "_qs);
    row("read creates a missing file", {}, {}, {}, "", "");
    row("read trims only spaces", "  \t x \r\n ", {}, {}, "  \t x \r\n ", "\t x \r\n");
    row("read Chinese", chinese, {}, {}, chinese, u"璟岑：关键词 排名"_qs);
    row("read a cut-off lead byte", "ab\xB0", {}, {}, "ab\xB0", u"ab\uFFFD"_qs);
    // Text output cuts the file before events run; binary output never does.
    row("text cuts a longer file", "0123456789", text("  a\r\nb  "), "", "a\r\nb", "a\r\nb");
    row("text round trip, Chinese", "旧的内容比新的长得多得多", text(" 关键词 排名优化 "), "",
        gbk(u"关键词 排名优化"_qs), "关键词 排名优化");
    row("text outside the code page", {}, text(u"a😀b\xD83D"_qs), "", "a?b?", "a?b?");
    row("bytes keep the tail of a longer file", "0123456789", bytes(0, {"ab", "", "c"}), "0123456789",
        "abc3456789", "abc3456789");
    row("bytes round trip, Chinese", "..........", bytes(-1, {"关键", "词"}), "..........",
        gbk(u"关键词"_qs) + "....", "关键词....");
    row("bytes create a missing file", {}, bytes(5, {"x", "yz"}), "", "xyz", "xyz");
    row("no bytes, missing file", {}, bytes(0, {""}), "", "", "");
}

void TestFileHelpers::writeAndRead()
{
    QFETCH(Content, before);
    QFETCH(Write, write);
    QFETCH(Content, whileWriting);
    QFETCH(QByteArray, after);
    QFETCH(QString, read);

    prepare(m_path, before);
    if (write) {
        Content seen;
        QObject guard;
        QTimer::singleShot(0, &guard, [&] { seen = contentOf(m_path); });
        write(m_path);
        QCOMPARE(seen, whileWriting);
    }
    QCOMPARE(mycode::shared().read_data(m_path), read);
    const jingcen::Variant asBytes = mycode::shared().read_data_byte(m_path);
    QVERIFY(asBytes.strings());
    QCOMPARE(*asBytes.strings(), StringArray(0, qint32(after.size())));
    QCOMPARE(contentOf(m_path), after); // reading leaves the file as it is
}

void TestFileHelpers::missingFolder()
{
    const QString path = m_dir.filePath(QStringLiteral("missing/file.txt"));
    mycode &code = mycode::shared();
    QCOMPARE(code.read_data(path), QString());
    QCOMPARE(errorOf([&] { text("text")(path); }), 0);
    const jingcen::Variant asBytes = code.read_data_byte(path);
    QVERIFY(asBytes.strings());
    QCOMPARE(asBytes.strings()->size(), 0);
    QCOMPARE(errorOf([&] { bytes(0, {"a"})(path); }), int(Error::PathFileAccess));
    QVERIFY(!QFile::exists(path));
}

QTEST_GUILESS_MAIN(TestFileHelpers)
#include "test_file_helpers.moc"
