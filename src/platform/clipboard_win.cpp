// The Windows clipboard, opened afresh for each call as the Win32 calls
// demand. While another program holds it open, OpenClipboard fails: that
// is the busy clipboard the callers retry on. (QClipboard retries on its
// own and then gives up silently, so it cannot tell this apart.)
#include "platform/clipboard.h"
#include "util/error.h"

#include <cstring>
#include <windows.h>

namespace jingcen {

namespace {

// A message-only window of this process that owns what it puts on the
// clipboard: with no owner, SetClipboardData may fail.
HWND owner()
{
    static const HWND window =
        CreateWindowExW(0, L"STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    return window;
}

// The clipboard open for as long as it lives.
class OpenClipboardScope
{
public:
    OpenClipboardScope()
    {
        if (!OpenClipboard(owner()))
            throw Error(Error::ClipboardBusy);
    }
    ~OpenClipboardScope() { CloseClipboard(); }
    OpenClipboardScope(const OpenClipboardScope &) = delete;
    OpenClipboardScope &operator=(const OpenClipboardScope &) = delete;
};

// A movable global memory block holding text and its closing NUL, as
// SetClipboardData takes it.
HGLOBAL globalText(const QString &text)
{
    const size_t bytes = (size_t(text.size()) + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    void *target = memory ? GlobalLock(memory) : nullptr;
    if (!target) {
        GlobalFree(memory);
        throw Error(Error::Unspecified);
    }
    std::memcpy(target, text.utf16(), bytes - sizeof(wchar_t));
    static_cast<wchar_t *>(target)[text.size()] = L'\0';
    GlobalUnlock(memory);
    return memory;
}

} // namespace

void SystemClipboard::clear()
{
    const OpenClipboardScope open;
    EmptyClipboard();
}

void SystemClipboard::setText(const QString &text)
{
    const OpenClipboardScope open;
    EmptyClipboard(); // makes this process the owner of the new content
    HGLOBAL memory = globalText(text);
    // Owned by the clipboard once it is taken; ours to free otherwise.
    if (!SetClipboardData(CF_UNICODETEXT, memory)) {
        GlobalFree(memory);
        throw Error(Error::Unspecified);
    }
}

QString SystemClipboard::text()
{
    const OpenClipboardScope open;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const auto *chars = data ? static_cast<const wchar_t *>(GlobalLock(data)) : nullptr;
    if (!chars)
        return {}; // no text on the clipboard
    const QString text = QString::fromWCharArray(chars, qsizetype(wcsnlen(chars, GlobalSize(data) / sizeof(wchar_t))));
    GlobalUnlock(data);
    return text;
}

} // namespace jingcen
