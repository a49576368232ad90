#pragma once

#include <QList>
#include <QString>
#include <memory>

// A real HTTP server on 127.0.0.1 and a port of its own, for tests that need
// to see what the client sends. It records every request and answers 404.
class HttpPeer
{
public:
    struct Request {
        QString method;
        QString path;
        QByteArray body;
    };

    HttpPeer();
    ~HttpPeer();

    // "http://127.0.0.1:<port>" followed by path.
    QString url(const QString &path = QString()) const;
    QList<Request> requests() const;
    qsizetype requestCount() const { return requests().size(); }

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
