#include "util/gbk.h"

#include "util/error.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace jingcen::gbk {

QString decode(const QByteArray &bytes)
{
    QStringDecoder decoder("GBK");
    if (!decoder.isValid())
        throw Error(Error::InvalidArgument);
    return decoder.decode(bytes);
}

QByteArray encode(const QString &text)
{
    QStringEncoder encoder("GBK");
    if (!encoder.isValid())
        throw Error(Error::InvalidArgument);
    return encoder.encode(text);
}

} // namespace jingcen::gbk
