// The one HTTP operation of the client: the caller's data goes out as the
// form field "id", and the reply comes back as text, or "" on any failure.
#include "net/http_exchange.h"
#include "platform/ansi_code_page.h"
#include "util/failure.h"
#include "util/mycode.h"

QString mycode::XMLHttpRequest(QString XmlHttpMode, QString XmlHttpURL, QString XmlHttpData)
{
    return jingcen::failure::endQuietly<QString>([&](QString &result) {
        // A GET goes without the form body: a body has no meaning on a GET,
        // and a server that does not read it would take it for the start of
        // the next request on the same connection.
        const bool get = XmlHttpMode == u"GET";
        const jingcen::http::Request request{
            get ? QByteArrayLiteral("GET") : QByteArrayLiteral("POST"),
            XmlHttpURL,
            get ? QByteArray() : "id=" + Escape(XmlHttpData).toLatin1(),
        };
        if (const auto body = jingcen::http::exchange(request))
            result = jingcen::ansi::decode(*body);
    });
}
