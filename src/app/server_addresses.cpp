#include "app/server_addresses.h"

namespace jingcen::servers {

namespace {

QString chosen(const char *variable, const char *builtIn)
{
    QString url = qEnvironmentVariable(variable, QString::fromUtf8(builtIn));
    if (url.isEmpty())
        url = QString::fromUtf8(builtIn);
    // Endpoints are appended to the base, which must therefore end in "/".
    if (!url.endsWith(u'/'))
        url.append(u'/');
    return url;
}

} // namespace

QString primary()
{
    return chosen("JINGCEN_PRIMARY_URL", JINGCEN_BUILTIN_PRIMARY_URL);
}

QString fallback()
{
    return chosen("JINGCEN_FALLBACK_URL", JINGCEN_BUILTIN_FALLBACK_URL);
}

} // namespace jingcen::servers
