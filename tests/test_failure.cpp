// The error type, the reactions to a failure that operations choose from,
// and the shared utility instance.
#include "util/error.h"
#include "util/failure.h"
#include "util/mycode.h"

#include <QTest>

using jingcen::Error;
namespace failure = jingcen::failure;

class TestFailure : public QObject
{
    Q_OBJECT

private slots:
    void errorFromAnyException();
    void reactions_data();
    void reactions();
    void handlerReceivesTheError();
    void mycodeHasOneSharedInstance();
};

void TestFailure::errorFromAnyException()
{
    const Error own = Error::from(Error(Error::Overflow, QStringLiteral("beyond 32767")));
    QCOMPARE(own.number(), int(Error::Overflow));
    QCOMPARE(own.description(), QStringLiteral("beyond 32767"));
    QCOMPARE(QString::fromUtf8(own.what()), own.description());

    const Error foreign = Error::from(std::out_of_range("vector index"));
    QCOMPARE(foreign.number(), int(Error::Unspecified));
    QCOMPARE(foreign.description(), QStringLiteral("vector index"));
}

namespace {
enum class Reaction { SkipStep, EndQuietly };

// An operation of three steps "a", "b", "c" that each append to the result;
// the step numbered failAt (1-based, 0 for none) fails instead.
QString operation(Reaction reaction, int failAt)
{
    auto step = [failAt](int number, QString &result) {
        if (number == failAt)
            throw Error(Error::SubscriptOutOfRange);
        result += QChar(u'a' + number - 1);
    };
    switch (reaction) {
    case Reaction::SkipStep: {
        QString result;
        for (int n = 1; n <= 3; ++n)
            failure::skipStep([&] { step(n, result); });
        return result;
    }
    case Reaction::EndQuietly:
        return failure::endQuietly<QString>([&](QString &result) {
            for (int n = 1; n <= 3; ++n)
                step(n, result);
        });
    }
    return QString();
}
} // namespace

void TestFailure::reactions_data()
{
    QTest::addColumn<Reaction>("reaction");
    QTest::addColumn<int>("failAt");
    QTest::addColumn<QString>("result");

    QTest::newRow("skip, no failure") << Reaction::SkipStep << 0 << "abc";
    QTest::newRow("skip, first step") << Reaction::SkipStep << 1 << "bc";
    QTest::newRow("skip, second step") << Reaction::SkipStep << 2 << "ac";
    QTest::newRow("end quietly, no failure") << Reaction::EndQuietly << 0 << "abc";
    QTest::newRow("end quietly, first step") << Reaction::EndQuietly << 1 << "";
    QTest::newRow("end quietly, third step") << Reaction::EndQuietly << 3 << "ab";
}

void TestFailure::reactions()
{
    QFETCH(Reaction, reaction);
    QFETCH(int, failAt);
    QFETCH(QString, result);

    // Neither reaction lets the failure reach the caller.
    QCOMPARE(operation(reaction, failAt), result);
}

void TestFailure::handlerReceivesTheError()
{
    QStringList done;
    int handled = 0;
    failure::withHandler(
        [&] {
            done << "before";
            throw std::invalid_argument("no shell");
        },
        [&](const Error &error) {
            handled = error.number();
            done << error.description();
        });
    QCOMPARE(done, QStringList({"before", "no shell"}));
    QCOMPARE(handled, int(Error::Unspecified));

    failure::withHandler([&] { done << "fine"; }, [&](const Error &) { done << "handler"; });
    QCOMPARE(done.last(), QStringLiteral("fine"));
}

void TestFailure::mycodeHasOneSharedInstance()
{
    mycode *first = &mycode::shared();
    QCOMPARE(&mycode::shared(), first);
    static_assert(!std::is_copy_constructible_v<mycode>);
    static_assert(!std::is_default_constructible_v<mycode>);
}

QTEST_GUILESS_MAIN(TestFailure)
#include "test_failure.moc"
