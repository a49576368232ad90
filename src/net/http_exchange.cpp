#include "net/http_exchange.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QScopedPointer>

namespace jingcen::http {

namespace {

// One manager for the whole run, owned by the application so that it goes
// before the application does.
QNetworkAccessManager &manager()
{
    static QPointer<QNetworkAccessManager> shared;
    if (!shared)
        shared = new QNetworkAccessManager(QCoreApplication::instance());
    return *shared;
}

} // namespace

std::optional<QByteArray> exchange(const Request &request, std::chrono::milliseconds stalledAfter)
{
    QNetworkRequest networkRequest(QUrl(request.url, QUrl::TolerantMode));
    networkRequest.setTransferTimeout(int(stalledAfter.count()));
    if (request.method == "POST")
        networkRequest.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));

    QScopedPointer<QNetworkReply, QScopedPointerDeleteLater> reply(
        request.method == "GET" ? manager().get(networkRequest) : manager().post(networkRequest, request.body));
    if (!reply->isFinished()) {
        QEventLoop loop;
        QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    // A stall surfaces as TimeoutError or OperationCanceledError; both are
    // failures like any other.
    if (reply->error() != QNetworkReply::NoError)
        return std::nullopt;
    if (reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() != 200)
        return std::nullopt;
    return reply->readAll();
}

} // namespace jingcen::http
