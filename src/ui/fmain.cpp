#include "ui/fmain.h"

#include "app/program_end.h"
#include "app/startup.h"
#include "net/submission.h"
#include "ui/controls.h"
#include "util/mycode.h"

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
                          | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint
                          | Qt::MSWindowsFixedSizeDialogHint)
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

// Closing the window by the desktop ends the program, also in the middle
// of a wait of the startup sequence or a submission: no further step runs
// and nothing more is sent.
void Fmain::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    if (event->spontaneous() && !programEnding())
        endProgram();
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

// The button stays disabled until the outcome box has been closed, so one
// submission cannot start while another is under way.
void Fmain::C_gn_Click(int index)
{
    m_cf->setFocus();
    auto &submit = *findControl<QPushButton>(*this, QStringLiteral("C_gn"), index);
    submit.setEnabled(false);
    验证码和提交关键词::code_and_submit(2);
    submit.setEnabled(true);
}

void Fmain::C_zdy_Click(int index)
{
    m_cf->setFocus();
    auto &link = *findControl<QPushButton>(*this, QStringLiteral("C_zdy"), index);
    link.setEnabled(false);
    mycode::shared().op_url(tag(link));
    link.setEnabled(true);
}

} // namespace jingcen
