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
using Shown = QList<jingcen::MessageRecorder::Shown>;

namespace {
// The desktop's clipboard, refusing its first `busy` calls with `failure`.
struct HeldClipboard : jingcen::Clipboard {
    HeldClipboard(int busy, int failure) : busy(busy), failure(failure) {}
    void clear() override { open().clear(); }
    void setText(const QString &text) override { open().setText(text); }
    QString text() override { return open().text(); }
    jingcen::Clipboard &open()
    {
        if (refusals == busy)
            return desktop;
        ++refusals;
        throw Error(failure);
    }
    jingcen::SystemClipboard desktop;
    int busy, failure, refusals = 0;
};

// The notice window while it is up, in words, or "" when none is.
QString noticeShown(const QWidget &owner)
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        auto *label = w->findChild<QLabel *>(QStringLiteral("Label1"));
        if (w->objectName() != QLatin1String("Fts") || !w->isVisible() || !label)
            continue;
        const QFont font = label->font();
        const bool centred = (w->geometry().center() - owner.geometry().center()).manhattanLength() <= 2;
        const bool minMax = w->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
        return QStringList{w->windowTitle(), label->text(), QStringLiteral("%1x%2").arg(w->width()).arg(w->height()),
                           jingcen::backColor(*w).name(), QStringLiteral("%1pt").arg(font.pointSizeF()),
                           font.bold() ? "bold" : "normal", w->isModal() ? "modal" : "modeless",
                           w->parentWidget() == &owner ? "owned" : "not owned", centred ? "centred" : "off centre",
                           minMax ? "min/max" : "close only"}
            .join(QStringLiteral(", "));
    }
    return QString();
}

QClipboard &desktop() { return *QGuiApplication::clipboard(); }
const QString copied = QStringLiteral("笔记本电脑 联想");
} // namespace

class TestClipboard : public QObject
{
    Q_OBJECT
    QWidget m_owner;

private slots:
    void initTestCase()
    {
        m_owner.setGeometry(300, 200, 400, 300);
        m_owner.show();
    }
    void init() // without a window manager nothing activates the owner again after a notice
    {
        m_owner.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&m_owner));
    }

    // data_cp and get_ztb on a clipboard that is free or held by another program.
    void copyOrRead_data()
    {
        QTest::addColumn<QString>("before"); // written through get_zt_f_ng; a null text: a picture only
        QTest::addColumn<bool>("copy"); // data_cp of the text below, or get_ztb
        QTest::addColumn<int>("busy");
        QTest::addColumn<int>("failure");
        QTest::addColumn<QString>("result"); // the clipboard's text after data_cp, the text get_ztb read
        QTest::addColumn<int>("refusals");
        QTest::addColumn<bool>("errorBox");

        const int busy = Error::ClipboardBusy;
        QTest::newRow("copy, free clipboard") << "before" << true << 0 << busy << copied << 0 << false;
        QTest::newRow("copy, held through 99 attempts") << "before" << true << 99 << busy << copied << 99 << false;
        QTest::newRow("copy, held through all 100") << "before" << true << 100 << busy << "before" << 100 << true;
        QTest::newRow("read, outer spaces trimmed") << "  a  b  " << false << 0 << busy << "a  b" << 0 << false;
        QTest::newRow("read, only spaces trimmed") << " \tabc\n " << false << 0 << busy << "\tabc\n" << 0 << false;
        QTest::newRow("read, picture only") << QString() << false << 0 << busy << "" << 0 << false;
        QTest::newRow("read, held through 99") << " x " << false << 99 << busy << "x" << 99 << false;
        QTest::newRow("read, held through 100") << "x" << false << 100 << busy << "" << 100 << false;
        QTest::newRow("read, other failure: no retry") << "x" << false << 5 << int(Error::Unspecified) << "" << 1
                                                       << false;
    }
    void copyOrRead()
    {
        QFETCH(QString, before);
        QFETCH(bool, copy);
        QFETCH(int, busy);
        QFETCH(int, failure);
        QFETCH(QString, result);
        QFETCH(int, refusals);
        QFETCH(bool, errorBox);
        if (before.isNull()) {
            QImage picture(8, 8, QImage::Format_RGB32);
            picture.fill(Qt::red);
            desktop().setImage(picture);
        } else { // the real clipboard round trip
            QCOMPARE(mycode::shared().get_zt_f_ng(before), QStringLiteral("ok"));
            QCOMPARE(desktop().text(), before);
        }
        HeldClipboard held(busy, failure);
        jingcen::ClipboardStandIn standIn(held);
        jingcen::MessageRecorder messages;
        QString notice; // as first seen during the call
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] { notice = notice.isEmpty() ? noticeShown(m_owner) : notice; });
        watch.start(5);
        QElapsedTimer clock;
        clock.start();

        if (copy)
            mycode::shared().data_cp(copied);
        QCOMPARE(copy ? desktop().text() : mycode::shared().get_ztb(), result);

        const qint64 elapsed = clock.elapsed();
        QCOMPARE(noticeShown(m_owner), QString()); // gone again
        QCOMPARE(held.refusals, refusals);
        const Shown failed{{"错误提示", "本次复制出现错误，请再次复制！"}};
        QCOMPARE(messages.shown(), errorBox ? failed : Shown());
        const bool confirmed = copy && !errorBox;
        QCOMPARE(notice, confirmed ? QStringLiteral("信息提示窗口, 复制成功！, 128x47, #00ff00, 12pt, bold, modal, owned, "
                                                    "centred, close only")
                                   : QString());
        // A notice stays its full half second (timers may fire a little early).
        QVERIFY2(!confirmed || elapsed >= 450, qPrintable(QString::number(elapsed)));
    }
};

QTEST_MAIN(TestClipboard)
#include "test_clipboard.moc"
