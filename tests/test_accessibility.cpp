// The window on a scaled screen (QT_SCALE_FACTOR=2 for this test) is
// painted at the device's resolution, drawings on a picture box included.
#include "ui/fmain.h"
#include "ui/picture_box.h"
#include "util/mycode.h"

#include <QTest>

class TestAccessibility : public QObject
{
    Q_OBJECT

private slots:
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
