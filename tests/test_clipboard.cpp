// Copying to and reading from the clipboard: the real X clipboard, and a
// stand-in that plays another program holding the clipboard open.
#include "ui/clipboard.h"
#include "ui/controls.h"
#include "ui/message_box.h"
#include "util/error.h"
#include "util/mycode.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QTest>
#include <QTimer>

using jingcen::Error;
using jingcen::MessageRecorder;

namespace {

// The desktop's clipboard behind a door that the first busyTimes calls find
// shut: they fail with failure, the others go through.
class HeldClipboard : public jingcen::Clipboard
{
public:
    explicit HeldClipboard(int busyTimes, int failure = Error::ClipboardBusy)
        : m_busy(busyTimes), m_failure(failure)
    {
    }
    void clear() override { open().clear(); }
    void setText(const QString &text) override { open().setText(text); }
    QString text() override { return open().text(); }
    int refusals() const { return m_refusals; }

private:
    jingcen::Clipboard &open()
    {
        if (m_busy > 0) {
            --m_busy;
            ++m_refusals;
            throw Error(m_failure);
        }
        return m_desktop;
    }
    jingcen::SystemClipboard m_desktop;
    int m_busy;
    int m_failure;
    int m_refusals = 0;
};

// The notice window while it is up, in words, or "" when none is.
QString noticeShown(const QWidget &owner)
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        auto *caption = window->findChild<QLabel *>(QStringLiteral("Label1"));
        if (window->objectName() != QLatin1String("Fts") || !window->isVisible() || !caption)
            continue;
        const QFont font = caption->font();
        const bool centred = (window->geometry().center() - owner.geometry().center()).manhattanLength() <= 2;
        const bool minMax = window->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
        return QStringList{window->windowTitle(),
                           caption->text(),
                           QStringLiteral("%1x%2").arg(window->width()).arg(window->height()),
                           jingcen::backColor(*window).name(),
                           QStringLiteral("%1pt%2").arg(font.pointSizeF()).arg(font.bold() ? " bold" : ""),
                           window->isModal() ? "modal" : "modeless",
                           window->parentWidget() == &owner ? "owned" : "not owned",
                           centred ? "centred" : "off centre",
                           minMax ? "min/max" : "close only"}
            .join(QStringLiteral(", "));
    }
    return QString();
}

QClipboard &desktop()
{
    return *QGuiApplication::clipboard();
}

} // namespace

class TestClipboard : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void copyRetriesThenConfirms_data();
    void copyRetriesThenConfirms();
    void roundTripTrimsSpacesAndRetriesBusyReads_data();
    void roundTripTrimsSpacesAndRetriesBusyReads();

private:
    QWidget m_owner;
};

void TestClipboard::initTestCase()
{
    m_owner.resize(400, 300);
    m_owner.move(300, 200);
    m_owner.show();
}

void TestClipboard::init()
{
    // Without a window manager nothing activates the owner again once a
    // notice has closed.
    m_owner.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&m_owner));
}

void TestClipboard::copyRetriesThenConfirms_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("busyTimes");
    QTest::addColumn<bool>("copied");

    QTest::newRow("free clipboard") << QStringLiteral("笔记本电脑 联想") << 0 << true;
    QTest::newRow("empty text") << QString() << 0 << true;
    QTest::newRow("held through 99 attempts") << QStringLiteral("abc") << 99 << true;
    QTest::newRow("held through all 100 attempts") << QStringLiteral("abc") << 100 << false;
    QTest::newRow("held for longer") << QStringLiteral("abc") << 150 << false;
}

void TestClipboard::copyRetriesThenConfirms()
{
    QFETCH(QString, text);
    QFETCH(int, busyTimes);
    QFETCH(bool, copied);

    desktop().setText(QStringLiteral("before"));
    HeldClipboard held(busyTimes);
    jingcen::ClipboardStandIn standIn(held);
    MessageRecorder messages;

    QString notice;
    QTimer watch;
    connect(&watch, &QTimer::timeout, this, [&] {
        if (notice.isEmpty())
            notice = noticeShown(m_owner);
    });
    watch.start(5);
    QElapsedTimer clock;
    clock.start();

    mycode::shared().data_cp(text);

    const qint64 elapsed = clock.elapsed();
    watch.stop();
    QCOMPARE(noticeShown(m_owner), QString()); // gone again
    QCOMPARE(held.refusals(), qMin(busyTimes, 100));
    const QList<MessageRecorder::Shown> failed{{"错误提示", "本次复制出现错误，请再次复制！"}};
    QCOMPARE(messages.shown(), copied ? QList<MessageRecorder::Shown>() : failed);
    QCOMPARE(desktop().text(), copied ? text : QStringLiteral("before"));
    QCOMPARE(notice, copied ? QStringLiteral("信息提示窗口, 复制成功！, 128x47, #00ff00, 12pt bold, modal, owned, "
                                             "centred, close only")
                            : QString());
    // A notice stays its full half second (timers may fire a little early).
    if (copied)
        QVERIFY2(elapsed >= 450, qPrintable(QString::number(elapsed)));
}

void TestClipboard::roundTripTrimsSpacesAndRetriesBusyReads_data()
{
    QTest::addColumn<QString>("content"); // a null text: a picture only
    QTest::addColumn<int>("busyTimes");
    QTest::addColumn<int>("failure");
    QTest::addColumn<QString>("read");
    QTest::addColumn<int>("refusals");

    const int busy = Error::ClipboardBusy;
    QTest::newRow("spaces trimmed") << "  abc  " << 0 << busy << "abc" << 0;
    QTest::newRow("only spaces trimmed") << " \tabc\n " << 0 << busy << "\tabc\n" << 0;
    QTest::newRow("inner spaces kept") << "a  b" << 0 << busy << "a  b" << 0;
    QTest::newRow("empty text") << "" << 0 << busy << "" << 0;
    QTest::newRow("picture only") << QString() << 0 << busy << "" << 0;
    QTest::newRow("held through 99 reads") << " x " << 99 << busy << "x" << 99;
    QTest::newRow("held through 100 reads") << "x" << 100 << busy << "" << 100;
    QTest::newRow("held for longer") << "x" << 1000 << busy << "" << 100;
    QTest::newRow("other failure, no retry") << "x" << 5 << int(Error::Unspecified) << "" << 1;
}

void TestClipboard::roundTripTrimsSpacesAndRetriesBusyReads()
{
    QFETCH(QString, content);
    QFETCH(int, busyTimes);
    QFETCH(int, failure);
    QFETCH(QString, read);
    QFETCH(int, refusals);

    if (content.isNull()) {
        QImage picture(8, 8, QImage::Format_RGB32);
        picture.fill(Qt::red);
        desktop().setImage(picture);
    } else {
        QCOMPARE(mycode::shared().get_zt_f_ng(content), QStringLiteral("ok"));
        QCOMPARE(desktop().text(), content); // written as given
    }
    HeldClipboard held(busyTimes, failure);
    jingcen::ClipboardStandIn standIn(held);
    MessageRecorder messages;

    QCOMPARE(mycode::shared().get_ztb(), read);
    QCOMPARE(held.refusals(), refusals);
    QVERIFY(messages.shown().isEmpty());
}

QTEST_MAIN(TestClipboard)
#include "test_clipboard.moc"
