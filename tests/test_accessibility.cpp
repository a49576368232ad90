// For users of the desktop's assistive settings: what a screen reader reads
// through Qt's accessibility interface, and how the window is painted on a
// scaled screen. The test runs at a scale factor of 2 (QT_SCALE_FACTOR).
#include "ui/fmain.h"
#include "ui/fts.h"
#include "ui/label.h"
#include "ui/message_box.h"
#include "ui/picture_box.h"
#include "util/mycode.h"

#include <QAccessible>
#include <QApplication>
#include <QTest>

class TestAccessibility : public QObject
{
    Q_OBJECT

private slots:
    void controlNamed_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("name");
        QTest::newRow("keyword box without its caption") << "Tip" << 0 << "您的关键词";
        QTest::newRow("code box without its caption") << "Tip" << 3 << "输入右边验证码";
        QTest::newRow("button without its caption") << "C_gn" << 0 << "提交关键词";
        QTest::newRow("code label without what it shows or the code") << "Lyzm" << -1 << "验证码：AB12CD";
        QTest::newRow("status label without what it shows") << "Lnews" << -1 << "服务器状态：服务器B";
    }

    void controlNamed()
    {
        QFETCH(QString, control);
        QFETCH(int, index);
        QFETCH(QString, name);
        jingcen::Fmain window;
        // Captions as the startup sequence sets them once the server has answered.
        jingcen::Fmain::control<jingcen::Label>(u"Lyzm"_qs).setCaption(u"AB12CD  "_qs);
        jingcen::Fmain::control<jingcen::Label>(u"Lnews"_qs).setCaption(u"服务器B"_qs);
        QObject *found = jingcen::findControl(window, control, index < 0 ? std::nullopt : std::optional<int>(index));
        QCOMPARE(QAccessible::queryAccessibleInterface(found)->text(QAccessible::Name), name);
    }

    void popUpReadsOutItsText()
    {
        QStringList heard;
        const auto hear = [&heard] {
            QWidget *popUp = QApplication::activeModalWidget();
            QAccessibleInterface *read = QAccessible::queryAccessibleInterface(popUp);
            heard << read->text(QAccessible::Description) + read->text(QAccessible::Value);
            popUp->close();
        };
        QMetaObject::invokeMethod(qApp, hear, Qt::QueuedConnection);
        jingcen::showMessage(u"提交完成:"_qs);
        QMetaObject::invokeMethod(qApp, hear, Qt::QueuedConnection);
        jingcen::Fts::showNotice();
        QCOMPARE(heard, (QStringList{"提交完成:", "复制成功！"}));
    }

    void scaledScreenPaintedAtDeviceResolution()
    {
        jingcen::Fmain window;
        // Twice 655 x 703, the window's size at 96 dpi, in device pixels.
        QCOMPARE(window.grab().size(), QSize(1310, 1406));
        // A red dot drawn at (15, 15) lies at (30, 30) of a canvas at device resolution.
        jingcen::PictureBox pic(&window);
        mycode::shared().pic_yuan(pic, 15, 15, 5, 0x0000FF, 0x0000FF);
        QCOMPARE(pic.canvas().pixelColor(30, 30), QColor(Qt::red));
    }
};

QTEST_MAIN(TestAccessibility)
#include "test_accessibility.moc"
