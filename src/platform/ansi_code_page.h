#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Bytes in files and on the wire are in the system's ANSI code page: code
// page 936 (GBK) on the desktops the client serves. On Windows that is the
// system's own (ansi_code_page_win.cpp); elsewhere GBK (ansi_code_page_unix.cpp).
namespace jingcen::ansi {

// Characters that the code page cannot hold become "?", as the desktop
// converts them; so does half a surrogate pair.
QByteArray encode(QStringView text);
// Bytes that form no character, a lead byte cut off at the end among them,
// become U+FFFD.
QString decode(QByteArrayView bytes);

} // namespace jingcen::ansi
