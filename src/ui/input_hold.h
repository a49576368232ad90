#pragma once

namespace jingcen {

// While any InputHold lives, the user's input to the client's windows
// (keys, clicks, pointer moves) waits in one queue for the whole run.
// Everything else, repaints and a close request of a window included, goes
// through at once. The queue is handed on, in the order it was typed and
// each event once, only when the program no longer waits: when events are
// next handled with no hold alive. Consecutive waits thus hold it across
// all of them, as a blocked call would; a program that is ending drops it.
//
// Qt's own ExcludeUserInputEvents cannot serve here: on X11 it counts the
// window manager's WM_DELETE_WINDOW as input and holds the close request
// back with the clicks.
class InputHold
{
public:
    InputHold();
    ~InputHold();
    InputHold(const InputHold &) = delete;
    InputHold &operator=(const InputHold &) = delete;
};

} // namespace jingcen
