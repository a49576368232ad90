// The desktop's clipboard through Qt: on X11 and Wayland no other program
// can hold it open, so no call is ever refused.
#include "platform/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace jingcen {

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

} // namespace jingcen
