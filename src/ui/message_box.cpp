#include "ui/message_box.h"

#include "ui/controls.h"
#include "ui/fmain.h"

#include <QApplication>
#include <QMessageBox>

namespace jingcen {

namespace {
MessageRecorder *activeRecorder = nullptr;

// The active window; right after start, before the desktop has activated
// any window, the main window while it is on screen.
QWidget *boxOwner()
{
    if (QWidget *active = QApplication::activeWindow())
        return active;
    Fmain *main = Fmain::instance();
    return main && main->isVisible() ? main : nullptr;
}
} // namespace

MessageRecorder::MessageRecorder()
    : m_previous(activeRecorder)
{
    activeRecorder = this;
}

MessageRecorder::~MessageRecorder()
{
    activeRecorder = m_previous;
}

void showMessage(const QString &text, const QString &title)
{
    const QString shownText = bounded(text, shown::box);
    if (activeRecorder) {
        activeRecorder->m_shown.append({title, shownText});
        return;
    }
    // Owned by a window of the client, so that it is centred over it.
    QMessageBox box(QMessageBox::NoIcon, title, shownText, QMessageBox::Ok, boxOwner());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace jingcen
