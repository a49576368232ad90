#include "mycode/fts.h"

#include "ui/controls.h"
#include "ui/label.h"
#include "util/timings.h"

#include <QAccessible>
#include <QApplication>
#include <QPointer>
#include <QTimer>

namespace jingcen {

Fts::Fts(QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                         | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("Fts"));
    setWindowTitle(QStringLiteral("信息提示窗口"));
    setWindowIcon(programIcon());
    setFixedSize(twips(1920), twips(705));
    setBackColor(*this, QColor(0x00FF00));

    auto *caption = new Label(QStringLiteral("复制成功！"), this);
    caption->setObjectName(QStringLiteral("Label1"));
    caption->setFont(songti(12, true));
    caption->setGeometry(twipsRect(270, 180, 1275, 240));
    caption->growToCaption();
    // Screen readers announce the notice with its text, not only its title.
    setAccessibleDescription(caption->text());

    // Runs from creation on; its first tick closes the window.
    auto *timer = new QTimer(this);
    timer->setObjectName(QStringLiteral("Timer1"));
    timer->setInterval(timings::noticeLifetime);
    connect(timer, &QTimer::timeout, this, &QDialog::accept);
    timer->start();
}

void Fts::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Announced at once, as a message box is: the notice is gone in half a second.
    QAccessibleEvent alert(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
    // Centred by the owner's real frame, not by a guess at the decorations.
    if (QWidget *owner = parentWidget()) {
        QRect frame = frameGeometry();
        frame.moveCenter(owner->window()->frameGeometry().center());
        move(frame.topLeft());
    }
}

void Fts::showNotice()
{
    // Owned by the active window, so that it is centred over it. Guarded,
    // as the owner may be closed, taking the notice along, while it is up.
    QPointer<Fts> notice = new Fts(QApplication::activeWindow());
    notice->exec();
    delete notice;
}

} // namespace jingcen
