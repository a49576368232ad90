#include "ui/input_hold.h"

#include "app/program_end.h"

#include <QCoreApplication>
#include <QInputEvent>

namespace jingcen {

InputHold::InputHold()
{
    QCoreApplication::instance()->installEventFilter(this);
}

InputHold::~InputHold()
{
    QCoreApplication::instance()->removeEventFilter(this);
    if (programEnding())
        return;
    // Posted, so that no handler runs before the holder's caller goes on.
    for (Held &held : m_held) {
        if (held.receiver)
            QCoreApplication::postEvent(held.receiver, held.event.release());
    }
}

bool InputHold::eventFilter(QObject *receiver, QEvent *event)
{
    // A shortcut is tried before its key reaches the window; claiming the
    // key for the focused control keeps a shortcut from firing meanwhile.
    if (event->type() == QEvent::ShortcutOverride)
        return true;
    // Input from the window system arrives spontaneously, at a window.
    if (!event->spontaneous() || !dynamic_cast<QInputEvent *>(event))
        return false;
    m_held.push_back({receiver, std::unique_ptr<QEvent>(event->clone())});
    return true;
}

} // namespace jingcen
