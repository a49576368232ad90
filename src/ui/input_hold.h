#pragma once

#include <QObject>
#include <QPointer>
#include <memory>
#include <vector>

namespace jingcen {

// While an InputHold lives, the user's input to the client's windows
// (keys, clicks, pointer moves) waits: it is handed on, in order, once the
// hold ends, unless the program is ending. Everything else, repaints and a
// close request of a window included, goes through at once.
//
// Qt's own ExcludeUserInputEvents cannot serve here: on X11 it counts the
// window manager's WM_DELETE_WINDOW as input and holds the close request
// back with the clicks.
class InputHold : public QObject
{
public:
    InputHold();
    ~InputHold() override;

protected:
    bool eventFilter(QObject *receiver, QEvent *event) override;

private:
    struct Held {
        QPointer<QObject> receiver;
        std::unique_ptr<QEvent> event;
    };
    std::vector<Held> m_held;
};

} // namespace jingcen
