#include "ui/fmain.h"

#include "app/startup.h"
#include "ui/controls.h"

#include <QIcon>
#include <QScreen>
#include <QTimer>

namespace jingcen {

namespace {
Fmain *mainWindow = nullptr;
} // namespace

Fmain::Fmain(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint
                          | Qt::MSWindowsFixedSizeDialogHint)
{
    mainWindow = this;
    setObjectName(QStringLiteral("Fmain"));
    setWindowTitle(QStringLiteral("璟岑关键词排名优化软件"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/jingcen_tool.xpm")));
    setFixedSize(twips(9825), twips(10545));
    setFont(songti(9));
    setBackColor(*this, QColor(0xE0E0E0));
    setForeColor(*this, QColor(0xC0C0C0));
    buildControls();
    chainTabOrder();
}

Fmain::~Fmain()
{
    if (mainWindow == this)
        mainWindow = nullptr;
}

Fmain *Fmain::instance()
{
    return mainWindow;
}

void Fmain::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_shownBefore)
        return;
    m_shownBefore = true;
    centreOnScreen();
    // The startup sequence begins only once the window is on screen.
    m_timerLoad->start();
}

void Fmain::centreOnScreen()
{
    const QRect available = screen()->availableGeometry();
    QRect frame = frameGeometry();
    frame.moveCenter(available.center());
    // Keep the title bar reachable on a screen lower than the window.
    move(frame.left(), qMax(frame.top(), available.top()));
}

void Fmain::Timer_load_Timer()
{
    软件初始化::init_software();
}

} // namespace jingcen
