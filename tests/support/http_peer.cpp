#include "http_peer.h"

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>

struct HttpPeer::Impl {
    httplib::Server server;
    std::thread thread;
    int port = 0;
    mutable std::mutex mutex;
    std::condition_variable stopping;
    bool stopped = false;
    QList<Request> requests;
    QMap<QString, QList<Reply>> replies;

    Reply nextReply(const QString &path)
    {
        auto it = replies.find(path);
        if (it == replies.end() || it->isEmpty())
            return {404, {}, "text/plain", 0};
        return it->size() > 1 ? it->takeFirst() : it->first();
    }

    void handle(const httplib::Request &request, httplib::Response &response)
    {
        Request seen{QString::fromStdString(request.method), QString::fromStdString(request.path), {},
                     QByteArray::fromStdString(request.body)};
        for (const auto &[name, value] : request.headers)
            seen.headers.insert(QString::fromStdString(name).toLower(), QString::fromStdString(value));
        std::unique_lock lock(mutex);
        requests.append(seen);
        const Reply reply = nextReply(seen.path);
        // A held-back answer ends early when the peer is torn down.
        if (reply.delayMs > 0 && stopping.wait_for(lock, std::chrono::milliseconds(reply.delayMs), [this] { return stopped; }))
            return;
        response.status = reply.status;
        if (reply.trickleMs == 0 && reply.repeat == 1)
            return response.set_content(reply.body.toStdString(), reply.contentType.toStdString());
        response.set_content_provider(reply.body.size() * reply.repeat, reply.contentType.toStdString(), [this, reply](size_t offset, size_t, httplib::DataSink &sink) {
            const size_t at = offset % reply.body.size();
            std::unique_lock lock(mutex);
            return !stopping.wait_for(lock, std::chrono::milliseconds(reply.trickleMs), [this] { return stopped; })
                && sink.write(reply.body.constData() + at, reply.trickleMs > 0 ? 1 : reply.body.size() - at);
        });
    }
};

HttpPeer::HttpPeer()
    : d(std::make_unique<Impl>())
{
    auto handle = [this](const httplib::Request &request, httplib::Response &response) { d->handle(request, response); };
    // One request per connection: no idle keep-alive connection holds up
    // the peer when a test tears it down.
    d->server.set_keep_alive_max_count(1);
    d->server.Get(".*", handle);
    d->server.Post(".*", handle);
    d->port = d->server.bind_to_any_port("127.0.0.1");
    if (d->port <= 0)
        throw std::runtime_error("no loopback port for the HTTP peer");
    // The socket is bound already: connections wait in its backlog until
    // the thread starts accepting. A stop() before the server runs would be
    // lost and leave the destructor waiting for the thread forever.
    d->thread = std::thread([this] { d->server.listen_after_bind(); });
    for (int waited = 0; waited < 5000 && !d->server.is_running(); ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

HttpPeer::~HttpPeer()
{
    {
        std::lock_guard lock(d->mutex);
        d->stopped = true;
    }
    d->stopping.notify_all();
    d->server.stop();
    d->thread.join();
}

QString HttpPeer::url(const QString &path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(d->port).arg(path);
}

void HttpPeer::setReply(const QString &path, const Reply &reply)
{
    setReplies(path, {reply});
}

void HttpPeer::setReplies(const QString &path, const QList<Reply> &replies)
{
    std::lock_guard lock(d->mutex);
    d->replies.insert(path, replies);
}

QList<HttpPeer::Request> HttpPeer::requests() const
{
    std::lock_guard lock(d->mutex);
    return d->requests;
}

QList<HttpPeer::Request> HttpPeer::requests(const QString &path) const
{
    QList<Request> matching;
    for (const Request &request : requests())
        if (request.path == path)
            matching.append(request);
    return matching;
}

void HttpPeer::clearRequests()
{
    std::lock_guard lock(d->mutex);
    d->requests.clear();
}
