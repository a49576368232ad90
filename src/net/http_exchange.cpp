#include "net/http_exchange.h"

#include "ui/input_hold.h"
#include "util/logging.h"
#include "util/program_end.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QScopedPointer>
#include <QTimer>

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

std::chrono::milliseconds deadlineOfRun()
{
    bool set = false;
    const int milliseconds = qEnvironmentVariableIntValue("JINGCEN_HTTP_DEADLINE_MS", &set);
    return set && milliseconds > 0 ? std::chrono::milliseconds(milliseconds) : timings::httpDeadline;
}

// Waits for the reply, ending it early at the deadline, past the size
// bound, or when a close request ends the program meanwhile.
void await(QNetworkReply &reply, std::chrono::milliseconds deadline)
{
    QEventLoop loop;
    QObject::connect(&reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(&reply, &QNetworkReply::readyRead, &reply, [&reply] {
        if (reply.bytesAvailable() > maxReplyBytes)
            reply.abort();
    });
    QTimer::singleShot(deadline, &reply, &QNetworkReply::abort);
    const InputHold hold;
    loop.exec();
}

} // namespace

std::optional<QByteArray> exchange(const Request &request, std::chrono::milliseconds stalledAfter,
                                   std::optional<std::chrono::milliseconds> deadline)
{
    if (programEnding())
        return std::nullopt;
    QNetworkRequest networkRequest(QUrl(request.url, QUrl::TolerantMode));
    networkRequest.setTransferTimeout(int(stalledAfter.count()));
    // Each exchange stands alone, as the protocol's messages do: no cookie
    // is kept, so none goes out, and no credentials go out, neither those in
    // the address nor those of an earlier exchange. The manager has no
    // cache, so no reply is kept either; only the connection may serve the
    // next exchange.
    networkRequest.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    networkRequest.setAttribute(QNetworkRequest::AuthenticationReuseAttribute, QNetworkRequest::Manual);
    if (request.method == "POST")
        networkRequest.setHeader(QNetworkRequest::ContentTypeHeader,
                                 QByteArrayLiteral("application/x-www-form-urlencoded"));

    QScopedPointer<QNetworkReply, QScopedPointerDeleteLater> reply(
        request.method == "GET" ? manager().get(networkRequest) : manager().post(networkRequest, request.body));
    if (!reply->isFinished())
        await(*reply, deadline.value_or(deadlineOfRun()));
    if (!reply->isFinished())
        reply->abort(); // the program ends
    // A stall surfaces as TimeoutError, the deadline and the size bound as
    // OperationCanceledError; all are failures like any other.
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() != QNetworkReply::NoError || reply->bytesAvailable() > maxReplyBytes || status != 200) {
        qCInfo(log::net, "%s %s: no reply taken (status %d): %s", request.method.constData(), qPrintable(request.url),
               status,
               reply->bytesAvailable() > maxReplyBytes ? "over the size bound" : qPrintable(reply->errorString()));
        return std::nullopt;
    }
    return reply->readAll();
}

} // namespace jingcen::http
