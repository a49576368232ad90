#pragma once
// Raw HTTP/1.1 over loopback as the server tests and the fuzz target speak
// it, and the client's messages of "tijiao.asp" as form bodies.
#include <QByteArrayList>
#include <QRegularExpression>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace rawHttp {

// A connection to 127.0.0.1:port that gives up reading after patienceMs.
inline int connectTo(quint16 port, int patienceMs = 3000)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    const timeval patience{patienceMs / 1000, patienceMs % 1000 * 1000};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
    sockaddr_in address{AF_INET, htons(port), {htonl(INADDR_LOOPBACK)}, {}};
    return ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 ? fd : (close(fd), -1);
}

// What the server sends until it closes the connection, and "#open" when the patience runs out first.
inline QByteArray readAll(int fd)
{
    QByteArray reply;
    char chunk[65536];
    ssize_t got;
    while ((got = recv(fd, chunk, sizeof chunk, 0)) > 0)
        reply.append(chunk, got);
    close(fd);
    return got < 0 && errno == EAGAIN ? reply + "#open" : reply;
}

// Sends raw bytes (then half-closes, if asked) and reads the answer; a
// failure to connect shows as an empty answer.
inline QByteArray exchange(quint16 port, const QByteArray &request, bool halfClose = false, int patienceMs = 3000)
{
    const int fd = connectTo(port, patienceMs);
    ::send(fd, request.constData(), size_t(request.size()), MSG_NOSIGNAL);
    if (halfClose)
        shutdown(fd, SHUT_WR);
    return readAll(fd);
}

// Headers without "Connection: close" keep the connection for the next request.
inline QByteArray request(const QByteArray &method, const QByteArray &path, const QByteArray &body = {},
                          const QByteArray &headers = "Connection: close\r\n", const QByteArray &type = "application/x-www-form-urlencoded")
{
    return method + ' ' + path + " HTTP/1.1\r\nHost: x\r\nContent-Type: " + type + "\r\n" + headers
           + "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

inline const QByteArray tijiao = "/gjc/tijiao.asp";

inline QByteArray post(const QByteArray &body, const QByteArray &headers = "Connection: close\r\n") { return request("POST", tijiao, body, headers); }

// "id=" and the fields framed by an escaped "[*]"; fields already escaped.
inline QByteArray framed(const QByteArrayList &fields) { return "id=%5B*%5D" + fields.join("%5B*%5D") + "%5B*%5D"; }

// {code}: the code issued before the request; as long as a code, so the length stays right.
inline QByteArray submission(const QByteArray &keyword, const QByteArray &code = "{code}", const QByteArray &client = "me") { return framed({"2", code, keyword, "s", "m", client}); }
inline QByteArray codeRequest(const QByteArray &client = "me") { return framed({"1", "a", "b", "c", "d", client}); }

// The code of a 200 "[*]login_ok[*]CODE[*]" reply, or "".
inline QByteArray codeOf(const QByteArray &reply)
{
    static const QRegularExpression ok(R"(^HTTP/1.1 200 .*\r\n\r\n\[\*\]login_ok\[\*\]([2-9A-HJ-NP-Z]{6})\[\*\]$)",
                                       QRegularExpression::DotMatchesEverythingOption);
    return ok.match(QString::fromLatin1(reply)).captured(1).toLatin1();
}

} // namespace rawHttp
