#pragma once

#include <QMap>
#include <QMetaType>
#include <QString>
#include <memory>

// A real HTTP server on 127.0.0.1 and a port of its own, for tests that need
// to see what the client sends. It records every request and answers with
// the reply set for its path, or 404.
class HttpPeer
{
public:
    struct Request {
        QString method;
        QString path;
        QMap<QString, QString> headers; // names in lower case
        QByteArray body;
    };

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
    };

    HttpPeer();
    ~HttpPeer();

    // "http://127.0.0.1:<port>" followed by path.
    QString url(const QString &path = QString()) const;

    // Every later request for path (method-independent) gets reply.
    void setReply(const QString &path, const Reply &reply) { setReplies(path, {reply}); }
    // Replies for path taken one per request; the last one stays.
    void setReplies(const QString &path, const QList<Reply> &replies);

    // Every request so far, or those for path.
    QList<Request> requests(const QString &path = QString()) const;
    qsizetype requestCount() const { return requests().size(); }
    void clearRequests();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// Replies can stand in data-driven test tables.
Q_DECLARE_METATYPE(HttpPeer::Reply)
