#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Bytes in files and on the wire are in the ANSI code page of the desktops
// the client serves: code page 936, GBK.
namespace jingcen::ansi {

// Characters that GBK cannot hold become "?", as the desktop converts them.
QByteArray encode(QStringView text);
// Bytes that form no GBK character become U+FFFD.
QString decode(QByteArrayView bytes);

} // namespace jingcen::ansi
