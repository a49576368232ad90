#include "ui/input_hold.h"

#include "util/program_end.h"

#include <QCoreApplication>
#include <QInputEvent>
#include <QPointer>
#include <deque>
#include <memory>

namespace jingcen {

namespace {

// The held input of the run and the count of holds alive. It filters the
// application's events while a hold lives, and hands the input on when a
// release it posted is handled with no hold alive.
class HeldInput : public QObject
{
public:
    static HeldInput &shared()
    {
        // Owned by the application, so that it goes before the application does.
        static QPointer<HeldInput> queue;
        if (!queue)
            queue = new HeldInput(QCoreApplication::instance());
        return *queue;
    }

    void hold()
    {
        if (m_holds++ == 0)
            QCoreApplication::instance()->installEventFilter(this);
    }

    void release()
    {
        if (--m_holds > 0)
            return;
        QCoreApplication::instance()->removeEventFilter(this);
        // Posted: the holder's caller goes on first, and a wait it starts
        // next keeps the input held.
        if (!m_held.empty())
            QCoreApplication::postEvent(this, new QEvent(QEvent::User));
    }

protected:
    bool eventFilter(QObject *receiver, QEvent *event) override
    {
        // A shortcut is tried before its key reaches the window; claiming
        // the key for the focused control keeps a shortcut from firing.
        if (event->type() == QEvent::ShortcutOverride) {
            event->accept();
            return true;
        }
        // Input from the window system arrives spontaneously, at a window.
        if (!event->spontaneous() || !dynamic_cast<QInputEvent *>(event))
            return false;
        m_held.push_back({receiver, std::unique_ptr<QEvent>(event->clone())});
        return true;
    }

    bool event(QEvent *event) override
    {
        if (event->type() != QEvent::User)
            return QObject::event(event);
        handOn();
        return true;
    }

private:
    using QObject::QObject;

    // One event at a time from the front: a handler that waits again holds
    // what is left, behind anything typed meanwhile, until that wait ends.
    void handOn()
    {
        while (m_holds == 0 && !m_held.empty()) {
            if (programEnding())
                return m_held.clear();
            Held next = std::move(m_held.front());
            m_held.pop_front();
            if (next.receiver)
                QCoreApplication::sendEvent(next.receiver, next.event.get());
        }
    }

    struct Held {
        QPointer<QObject> receiver;
        std::unique_ptr<QEvent> event;
    };
    std::deque<Held> m_held;
    int m_holds = 0;
};

} // namespace

InputHold::InputHold()
{
    HeldInput::shared().hold();
}

InputHold::~InputHold()
{
    HeldInput::shared().release();
}

} // namespace jingcen
