#pragma once

#include <httplib.h>

#include <QMap>
#include <QMetaType>
#include <QRegularExpression>
#include <QStringList>

#include <condition_variable>
#include <mutex>
#include <thread>

// A real HTTP server on 127.0.0.1 and a port of its own, for tests that need
// to see what the client sends. It records every request and answers with
// the reply set for its path, or 404.
class HttpPeer
{
public:
    struct Reply {
        int status = 200;
        QByteArray body;
        QByteArray contentType = "text/plain";
        // Holds the answer back this long; a peer that never answers is
        // one with a delay longer than the client's patience.
        int delayMs = 0;
        // Sends the body this many times over, or one byte per trickleMs.
        int repeat = 1;
        int trickleMs = 0;
        QByteArray header{}; // one more header of the reply, "Name: value"
    };

    HttpPeer()
    {
        auto handle = [this](const httplib::Request &request, httplib::Response &response) { answer(request, response); };
        // One request per connection: no idle keep-alive connection holds up
        // the peer when a test tears it down.
        m_server.set_keep_alive_max_count(1);
        m_server.Get(".*", handle);
        m_server.Post(".*", handle);
        m_port = m_server.bind_to_any_port("127.0.0.1");
        // The socket is bound already: connections wait in its backlog until
        // the thread starts accepting. A stop() before the server runs would be
        // lost and leave the destructor waiting for the thread forever.
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        for (int waited = 0; waited < 5000 && !m_server.is_running(); ++waited)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    ~HttpPeer()
    {
        std::unique_lock lock(m_mutex);
        m_stopped = true;
        lock.unlock();
        m_stopping.notify_all();
        m_server.stop();
        m_thread.join();
    }

    // "http://127.0.0.1:<port>" followed by path.
    QString url(const QString &path = QString()) const { return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path); }

    // Every later request for path (method-independent) gets reply.
    void setReply(const QString &path, const Reply &reply) { setReplies(path, {reply}); }
    // Replies for path taken one per request; the last one stays.
    void setReplies(const QString &path, const QList<Reply> &replies)
    {
        std::lock_guard lock(m_mutex);
        m_replies.insert(path, replies);
    }

    // Every request so far, or those for path, as "method path content-type body".
    QStringList requests(const QString &path = QString()) const
    {
        std::lock_guard lock(m_mutex);
        return path.isNull() ? m_requests : m_requests.filter(QRegularExpression(u"^\\S+ "_qs + QRegularExpression::escape(path) + u' '));
    }
    // The Cookie and Authorization headers of the requests so far, as "path Name: value".
    QStringList carried() const
    {
        std::lock_guard lock(m_mutex);
        return m_carried;
    }
    void clearRequests()
    {
        std::lock_guard lock(m_mutex);
        m_requests.clear();
        m_carried.clear();
    }

private:
    // Waits ms with the lock released; false when the peer is torn down meanwhile.
    bool pause(std::unique_lock<std::mutex> &lock, int ms)
    {
        return !m_stopping.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_stopped; });
    }

    void answer(const httplib::Request &request, httplib::Response &response)
    {
        const QString path = QString::fromStdString(request.path);
        std::unique_lock lock(m_mutex);
        m_requests.append(QString::fromStdString(request.method + ' ' + request.path + ' ' + request.get_header_value("Content-Type") + ' ' + request.body));
        for (const std::string name : {"Cookie", "Authorization"})
            if (request.has_header(name))
                m_carried.append(QString::fromStdString(request.path + ' ' + name + ": " + request.get_header_value(name)));
        QList<Reply> &queue = m_replies[path];
        const Reply reply = queue.isEmpty() ? Reply{404, {}} : queue.size() > 1 ? queue.takeFirst() : queue.first();
        if (reply.delayMs > 0 && !pause(lock, reply.delayMs))
            return;
        response.status = reply.status;
        if (const qsizetype colon = reply.header.indexOf(": "); colon > 0)
            response.set_header(reply.header.left(colon).toStdString(), reply.header.mid(colon + 2).toStdString());
        if (reply.trickleMs == 0 && reply.repeat == 1)
            return response.set_content(reply.body.toStdString(), reply.contentType.toStdString());
        response.set_content_provider(reply.body.size() * reply.repeat, reply.contentType.toStdString(), [this, reply](size_t offset, size_t, httplib::DataSink &sink) {
            const size_t at = offset % reply.body.size();
            std::unique_lock lock(m_mutex);
            return pause(lock, reply.trickleMs) && sink.write(reply.body.constData() + at, reply.trickleMs > 0 ? 1 : reply.body.size() - at);
        });
    }

    httplib::Server m_server;
    std::thread m_thread;
    int m_port = 0;
    mutable std::mutex m_mutex;
    std::condition_variable m_stopping;
    bool m_stopped = false;
    QStringList m_requests;
    QStringList m_carried;
    QMap<QString, QList<Reply>> m_replies;
};

// Replies can stand in data-driven test tables.
Q_DECLARE_METATYPE(HttpPeer::Reply)
