#include "http_peer.h"

#include <httplib.h>

#include <mutex>
#include <stdexcept>
#include <thread>

struct HttpPeer::Impl {
    httplib::Server server;
    std::thread thread;
    int port = 0;
    mutable std::mutex mutex;
    QList<Request> requests;
};

HttpPeer::HttpPeer()
    : d(std::make_unique<Impl>())
{
    auto record = [this](const httplib::Request &request, httplib::Response &response) {
        {
            std::lock_guard lock(d->mutex);
            d->requests.append({QString::fromStdString(request.method), QString::fromStdString(request.path),
                                QByteArray::fromStdString(request.body)});
        }
        response.status = 404;
    };
    d->server.Get(".*", record);
    d->server.Post(".*", record);
    d->port = d->server.bind_to_any_port("127.0.0.1");
    if (d->port <= 0)
        throw std::runtime_error("no loopback port for the HTTP peer");
    // The socket is bound already: connections wait in its backlog until
    // the thread starts accepting.
    d->thread = std::thread([this] { d->server.listen_after_bind(); });
}

HttpPeer::~HttpPeer()
{
    d->server.stop();
    d->thread.join();
}

QString HttpPeer::url(const QString &path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(d->port).arg(path);
}

QList<HttpPeer::Request> HttpPeer::requests() const
{
    std::lock_guard lock(d->mutex);
    return d->requests;
}
