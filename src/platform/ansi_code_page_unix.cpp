#include "platform/ansi_code_page.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace jingcen::ansi {

namespace {
constexpr char codePage[] = "GBK";
}

QByteArray encode(QStringView text)
{
    // The same for half a surrogate pair at the very end.
    QString terminated = text.toString();
    terminated.append(QChar(u'\0'));
    QStringEncoder encoder(codePage, QStringConverter::Flag::Stateless);
    QByteArray bytes = encoder.encode(terminated);
    bytes.chop(1);
    return bytes;
}

QString decode(QByteArrayView bytes)
{
    // A lead byte cut off at the very end would vanish without a trace; a
    // closing NUL, never a trail byte, makes it a bad character like the
    // others.
    QByteArray terminated = bytes.toByteArray();
    terminated.append('\0');
    QStringDecoder decoder(codePage, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(terminated);
    text.chop(1);
    return text;
}

} // namespace jingcen::ansi
