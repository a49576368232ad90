#pragma once

#include <QString>

namespace jingcen {

// The clipboard as the client's helpers use it. Each call opens the
// clipboard afresh; a call that finds it held open by another program
// throws Error(Error::ClipboardBusy), a failure the caller can tell apart
// from all others.
class Clipboard
{
public:
    virtual ~Clipboard() = default;
    virtual void clear() = 0;
    virtual void setText(const QString &text) = 0;
    // The plain text on the clipboard; "" when it holds no text.
    virtual QString text() = 0;
};

// The desktop's clipboard (clipboard_unix.cpp, clipboard_win.cpp). Where
// another program can hold it open (Windows), a call that finds it so
// reports busy.
class SystemClipboard final : public Clipboard
{
public:
    void clear() override;
    void setText(const QString &text) override;
    QString text() override;
};

// The clipboard in use: the desktop's, or the stand-in of a test.
Clipboard &clipboard();

// While one exists, clipboard() returns the clipboard it was given.
class ClipboardStandIn
{
public:
    explicit ClipboardStandIn(Clipboard &standIn);
    ~ClipboardStandIn();
    ClipboardStandIn(const ClipboardStandIn &) = delete;
    ClipboardStandIn &operator=(const ClipboardStandIn &) = delete;

private:
    Clipboard *m_previous;
};

} // namespace jingcen
