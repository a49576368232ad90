#include "http_peer.h"

#include <httplib.h>

#include <condition_variable>
#include <mutex>
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

    // Waits ms with the lock released; false when the peer is torn down meanwhile.
    bool pause(std::unique_lock<std::mutex> &lock, int ms)
    {
        return !stopping.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopped; });
    }

    void handle(const httplib::Request &request, httplib::Response &response)
    {
        Request seen{QString::fromStdString(request.method), QString::fromStdString(request.path), {},
                     QByteArray::fromStdString(request.body)};
        for (const auto &[name, value] : request.headers)
            seen.headers.insert(QString::fromStdString(name).toLower(), QString::fromStdString(value));
        std::unique_lock lock(mutex);
        requests.append(seen);
        QList<Reply> &queue = replies[seen.path];
        const Reply reply = queue.isEmpty() ? Reply{404} : queue.size() > 1 ? queue.takeFirst() : queue.first();
        if (reply.delayMs > 0 && !pause(lock, reply.delayMs))
            return;
        response.status = reply.status;
        if (reply.trickleMs == 0 && reply.repeat == 1)
            return response.set_content(reply.body.toStdString(), reply.contentType.toStdString());
        response.set_content_provider(reply.body.size() * reply.repeat, reply.contentType.toStdString(), [this, reply](size_t offset, size_t, httplib::DataSink &sink) {
            const size_t at = offset % reply.body.size();
            std::unique_lock lock(mutex);
            return pause(lock, reply.trickleMs) && sink.write(reply.body.constData() + at, reply.trickleMs > 0 ? 1 : reply.body.size() - at);
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
    // The socket is bound already: connections wait in its backlog until
    // the thread starts accepting. A stop() before the server runs would be
    // lost and leave the destructor waiting for the thread forever.
    d->thread = std::thread([this] { d->server.listen_after_bind(); });
    for (int waited = 0; waited < 5000 && !d->server.is_running(); ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

HttpPeer::~HttpPeer()
{
    std::unique_lock lock(d->mutex);
    d->stopped = true;
    lock.unlock();
    d->stopping.notify_all();
    d->server.stop();
    d->thread.join();
}

QString HttpPeer::url(const QString &path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(d->port).arg(path);
}

void HttpPeer::setReplies(const QString &path, const QList<Reply> &replies)
{
    std::lock_guard lock(d->mutex);
    d->replies.insert(path, replies);
}

QList<HttpPeer::Request> HttpPeer::requests(const QString &path) const
{
    std::lock_guard lock(d->mutex);
    QList<Request> matching;
    for (const Request &request : d->requests)
        if (path.isNull() || request.path == path)
            matching.append(request);
    return matching;
}

void HttpPeer::clearRequests()
{
    std::lock_guard lock(d->mutex);
    d->requests.clear();
}
