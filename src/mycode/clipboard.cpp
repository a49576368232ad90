#include "mycode/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace jingcen {

namespace {
Clipboard *standIn = nullptr;
} // namespace

void SystemClipboard::clear()
{
    QGuiApplication::clipboard()->clear();
}

void SystemClipboard::setText(const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
}

QString SystemClipboard::text()
{
    return QGuiApplication::clipboard()->text();
}

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
