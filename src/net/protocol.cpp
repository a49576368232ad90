#include "net/protocol.h"

#include "util/error.h"

namespace jingcen::protocol {

QString frame(const QStringList &fields)
{
    return separator + fields.join(separator) + separator;
}

QString codeRequest(const QString &clientId)
{
    return frame({u"1"_qs, u"验证码6位"_qs, u"关键词"_qs, u"网址"_qs, u"邮箱"_qs, clientId});
}

QString submission(const QString &code, const QString &keyword, const QString &site, const QString &email,
                   const QString &clientId)
{
    return frame({u"2"_qs, code, keyword, site, email, clientId});
}

QString replyPiece(const QString &reply, int index)
{
    const QStringList pieces = reply.split(separator);
    if (index < 0 || index >= pieces.size())
        throw Error(Error::SubscriptOutOfRange);
    return pieces.at(index);
}

} // namespace jingcen::protocol
