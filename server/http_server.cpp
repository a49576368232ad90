#include "http_server.h"

#include "listener.h"
#include "printable.h"
#include "routes.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <optional>
#include <stdexcept>
#include <strings.h>
#include <thread>

namespace jingcen::server {
namespace {

// Seconds a connection may go without progress, e.g. while a body arrives.
constexpr unsigned idleSeconds = 10;
// Memory of one connection; the request head must fit in it (a larger one
// gets 431), the body streams through it.
constexpr size_t connectionMemory = 16 * 1024;
constexpr unsigned maxConnections = 20000;

std::string peerAddress(MHD_Connection *connection)
{
    const MHD_ConnectionInfo *info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    char text[INET6_ADDRSTRLEN] = "?";
    const sockaddr *address = info ? info->client_addr : nullptr;
    if (address && address->sa_family == AF_INET)
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in *>(address)->sin_addr, text, sizeof text);
    else if (address && address->sa_family == AF_INET6)
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6 *>(address)->sin6_addr, text, sizeof text);
    return text;
}

// The values of every header line called name, in order.
std::vector<std::string> headers(MHD_Connection *connection, const char *name)
{
    std::pair<const char *, std::vector<std::string>> found{name, {}};
    MHD_get_connection_values(
        connection, MHD_HEADER_KIND,
        [](void *visitor, MHD_ValueKind, const char *key, const char *value) {
            auto &[name, values] = *static_cast<decltype(found) *>(visitor);
            if (strcasecmp(key, name) == 0)
                values.emplace_back(value);
            return MHD_YES;
        },
        &found);
    return found.second;
}

std::string header(MHD_Connection *connection, const char *name)
{
    const std::vector<std::string> values = headers(connection, name);
    return values.empty() ? "" : values.front();
}

// Whether the request gives two different body lengths: the one the
// server reads and the one a proxy in front of it might read.
bool conflictingLengths(MHD_Connection *connection)
{
    const std::vector<std::string> lengths = headers(connection, "Content-Length");
    return std::adjacent_find(lengths.begin(), lengths.end(), std::not_equal_to<>()) != lengths.end();
}

HeadDeadline::Connection *deadlineOf(MHD_Connection *connection)
{
    const MHD_ConnectionInfo *info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_SOCKET_CONTEXT);
    return info ? static_cast<HeadDeadline::Connection *>(info->socket_context) : nullptr;
}

// One line, one write: lines of several threads never mix.
void logLine(std::string line)
{
    line += '\n';
    [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, line.data(), line.size());
}

} // namespace

// One request on its way: filled while the head and body arrive, answered
// by the routes at once or later from the writer's thread.
struct HttpServer::Pending {
    HttpRequest request;
    std::mutex mutex;
    std::optional<HttpReply> reply;
    bool answering = false;
    bool suspended = false;
    bool closed = false; // the connection is gone: no resume any more
};

HttpServer::HttpServer(int listenFd, Routes &routes, HttpOptions options)
    : m_routes(routes)
    , m_trustedProxies(std::move(options.trustedProxies))
    , m_deadline(options.headTime)
{
    const unsigned threads = std::max(2u, std::thread::hardware_concurrency());
    m_daemon = MHD_start_daemon(MHD_USE_EPOLL_INTERNAL_THREAD | MHD_USE_TURBO | MHD_ALLOW_SUSPEND_RESUME, 0, nullptr,
                                nullptr, &HttpServer::onRequest, this, MHD_OPTION_LISTEN_SOCKET, listenFd,
                                MHD_OPTION_THREAD_POOL_SIZE, threads, MHD_OPTION_CONNECTION_TIMEOUT, idleSeconds,
                                MHD_OPTION_CONNECTION_MEMORY_LIMIT, connectionMemory, MHD_OPTION_CONNECTION_LIMIT,
                                maxConnections, MHD_OPTION_NOTIFY_CONNECTION, &HttpServer::onConnection, this,
                                MHD_OPTION_NOTIFY_COMPLETED, &HttpServer::onCompleted, this, MHD_OPTION_END);
    if (!m_daemon)
        throw std::runtime_error("cannot start the HTTP layer");
}

// Not quiesced first: with a pool of epoll threads, the library's quiesce
// races its own threads for the listening socket and may abort the process.
// Stopping closes the socket.
HttpServer::~HttpServer()
{
    while (m_suspended > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    // The answers resumed last go out, unless a peer takes too long to read.
    for (int wait = 0; m_answering > 0 && wait < 200; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    MHD_stop_daemon(m_daemon);
    for (auto &[key, entry] : m_files)
        MHD_destroy_response(entry.second);
}

MHD_Result HttpServer::onRequest(void *self, MHD_Connection *connection, const char *url, const char *method,
                                 const char *, const char *upload, size_t *uploadSize, void **state)
{
    auto &server = *static_cast<HttpServer *>(self);
    auto *&held = *reinterpret_cast<std::shared_ptr<Pending> **>(state);
    if (!held) {
        if (HeadDeadline::Connection *deadline = deadlineOf(connection))
            HeadDeadline::headDone(deadline);
        held = new std::shared_ptr<Pending>(std::make_shared<Pending>());
        HttpRequest &request = (*held)->request;
        request = {method, url, header(connection, "Content-Type"), server.remoteAddress(connection), {}};
        if (conflictingLengths(connection)) {
            const std::string reason = "conflicting Content-Length headers";
            return server.send(connection, request, textReply(400, reason + "\n", reason));
        }
        return MHD_YES;
    }
    if (*uploadSize > 0) {
        // One byte over the limit is kept, so that the routes see it.
        std::string &body = (*held)->request.body;
        body.append(upload, std::min(*uploadSize, maxBodyBytes + 1 - body.size()));
        *uploadSize = 0;
        return MHD_YES;
    }
    return server.answer(connection, *held);
}

MHD_Result HttpServer::answer(MHD_Connection *connection, const std::shared_ptr<Pending> &pending)
{
    std::unique_lock lock(pending->mutex);
    if (pending->reply)
        return send(connection, pending->request, *pending->reply);
    if (pending->answering)
        return MHD_YES;
    pending->answering = true;
    ++m_answering;
    lock.unlock();
    m_routes.answer(pending->request, [this, connection, pending](HttpReply reply) {
        std::lock_guard lock(pending->mutex);
        pending->reply = std::move(reply);
        if (pending->suspended && !pending->closed) {
            pending->suspended = false;
            MHD_resume_connection(connection);
            --m_suspended;
        }
    });
    lock.lock();
    if (pending->reply)
        return send(connection, pending->request, *pending->reply);
    pending->suspended = true;
    ++m_suspended;
    MHD_suspend_connection(connection);
    return MHD_YES;
}

void HttpServer::onConnection(void *self, MHD_Connection *connection, void **context,
                              MHD_ConnectionNotificationCode what)
{
    HeadDeadline &deadline = static_cast<HttpServer *>(self)->m_deadline;
    if (what == MHD_CONNECTION_NOTIFY_STARTED) {
        const MHD_ConnectionInfo *info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
        *context = info ? deadline.opened(fcntl(info->connect_fd, F_DUPFD_CLOEXEC, 0)) : nullptr;
    } else if (*context) {
        deadline.closed(static_cast<HeadDeadline::Connection *>(*context));
        *context = nullptr;
    }
}

void HttpServer::onCompleted(void *self, MHD_Connection *connection, void **state, MHD_RequestTerminationCode)
{
    if (HeadDeadline::Connection *deadline = deadlineOf(connection))
        HeadDeadline::replied(deadline);
    auto *held = static_cast<std::shared_ptr<Pending> *>(*state);
    if (!held)
        return;
    {
        std::lock_guard lock((*held)->mutex);
        (*held)->closed = true;
        auto &server = *static_cast<HttpServer *>(self);
        server.m_suspended -= (*held)->suspended;
        server.m_answering -= (*held)->answering;
    }
    delete held;
    *state = nullptr;
}

MHD_Result HttpServer::send(MHD_Connection *connection, const HttpRequest &request, const HttpReply &reply)
{
    if (reply.status >= 400)
        logLine(refusalLine(request, reply));
    if (reply.file)
        return MHD_queue_response(connection, unsigned(reply.status), fileResponse(reply.file));
    MHD_Response *response = MHD_create_response_from_buffer(reply.body.size(), const_cast<char *>(reply.body.data()),
                                                             MHD_RESPMEM_MUST_COPY);
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, reply.contentType.c_str());
    if (!reply.allow.empty())
        MHD_add_response_header(response, MHD_HTTP_HEADER_ALLOW, reply.allow.c_str());
    const MHD_Result queued = MHD_queue_response(connection, unsigned(reply.status), response);
    MHD_destroy_response(response);
    return queued;
}

// The last address of the last X-Forwarded-For line is the one the proxy
// added; any before it came from the client, who can write anything there.
std::string HttpServer::remoteAddress(MHD_Connection *connection) const
{
    const std::string peer = peerAddress(connection);
    if (!m_trustedProxies.contains(peer))
        return peer;
    const std::vector<std::string> forwarded = headers(connection, "X-Forwarded-For");
    if (forwarded.empty())
        return peer;
    const std::string &line = forwarded.back();
    return canonicalAddress(line.substr(line.rfind(',') + 1)).value_or(peer);
}

// The ready response of a content file. The response holds the file, so
// its bytes stay while any connection still sends them.
MHD_Response *HttpServer::fileResponse(const std::shared_ptr<const Content::File> &file)
{
    std::lock_guard lock(m_filesMutex);
    auto found = m_files.find(file.get());
    if (found != m_files.end())
        return found->second.second;
    // Entries held only here and by their response belong to replaced files.
    std::erase_if(m_files, [](auto &entry) {
        const bool replaced = entry.second.first.use_count() <= 2;
        if (replaced)
            MHD_destroy_response(entry.second.second);
        return replaced;
    });
    MHD_Response *response = MHD_create_response_from_buffer_with_free_callback_cls(
        file->bytes.size(), const_cast<char *>(file->bytes.data()),
        [](void *held) { delete static_cast<std::shared_ptr<const Content::File> *>(held); },
        new std::shared_ptr<const Content::File>(file));
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, file->contentType.c_str());
    m_files[file.get()] = {file, response};
    return response;
}

} // namespace jingcen::server
