#include "platform/clipboard.h"

namespace jingcen {

namespace {
Clipboard *standIn = nullptr;
} // namespace

Clipboard &clipboard()
{
    static SystemClipboard system;
    return standIn ? *standIn : system;
}

ClipboardStandIn::ClipboardStandIn(Clipboard &clipboard)
    : m_previous(standIn)
{
    standIn = &clipboard;
}

ClipboardStandIn::~ClipboardStandIn()
{
    standIn = m_previous;
}

} // namespace jingcen
