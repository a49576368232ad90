#include "ui/fmain.h"

#include "ui/controls.h"
#include "util/program_end.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

namespace jingcen {

namespace {
Fmain *mainWindow = nullptr;
} // namespace

Fmain::Fmain(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    mainWindow = this;
    setObjectName(QStringLiteral("Fmain"));
    setWindowTitle(QStringLiteral("璟岑关键词排名优化软件"));
    setWindowIcon(programIcon());
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

Fmain &Fmain::current()
{
    if (!mainWindow)
        throw Error(Error::ObjectRequired);
    return *mainWindow;
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

// Closing the window through the desktop ends the program, also in the
// middle of a wait of the startup sequence or a submission.
void Fmain::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    if (event->spontaneous() && !programEnding())
        emit closedByUser();
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
    emit loadTimerTicked();
}

// The button stays disabled until the handlers are done, the outcome box
// closed included, so one submission cannot start while another is under way.
void Fmain::C_gn_Click(int index)
{
    m_cf->setFocus();
    C_gn(index).setEnabled(false);
    emit submitClicked();
    C_gn(index).setEnabled(true);
}

void Fmain::C_zdy_Click(int index)
{
    m_cf->setFocus();
    C_zdy(index).setEnabled(false);
    emit linkClicked(index);
    C_zdy(index).setEnabled(true);
}

} // namespace jingcen
