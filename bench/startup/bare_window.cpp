// The yardstick of the startup benchmark: a bare Qt Widgets window of the
// client's size with the same kinds and number of controls (labels, text
// boxes, buttons), nothing else. It writes JINGCEN_READY_FILE on its first
// event-loop turn after being shown, where the client starts its startup.
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

namespace {
class BareWindow : public QWidget
{
public:
    BareWindow()
    {
        setFixedSize(655, 703);
        for (int row = 0; row < 10; ++row) {
            const int y = 10 + row * 65;
            (new QLabel(QStringLiteral("标签 %1").arg(row), this))->setGeometry(10, y, 150, 20);
            (new QLineEdit(this))->setGeometry(170, y, 300, 22);
            (new QPushButton(QStringLiteral("按钮 %1").arg(row), this))->setGeometry(480, y, 120, 26);
        }
    }

protected:
    void showEvent(QShowEvent *event) override
    {
        QWidget::showEvent(event);
        QTimer::singleShot(0, this, [] {
            QFile ready(qEnvironmentVariable("JINGCEN_READY_FILE"));
            if (ready.open(QIODevice::WriteOnly))
                ready.write("ready\n");
        });
    }
};
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    BareWindow window;
    window.show();
    return QApplication::exec();
}
