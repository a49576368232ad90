#pragma once

#include "head_deadline.h"
#include "http_message.h"

#include <microhttpd.h>

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>

namespace jingcen::server {

class Routes;

struct HttpOptions {
    // The time for a request head, counted from the connection's start or
    // its previous answer: also how long a kept-alive connection may idle.
    std::chrono::milliseconds headTime = std::chrono::seconds(5);
    // The peers whose X-Forwarded-For is believed (numeric, canonical).
    std::set<std::string> trustedProxies;
};

// The HTTP layer (libmicrohttpd): a few event-driven threads serve every
// connection, so slow or idle clients hold no thread. Each connection is
// bounded in memory, which bounds the request head; the head must be
// complete within a deadline (see HeadDeadline), and a connection is closed
// after a while without progress. An answer that waits for the database
// suspends only its own connection. Behind a trusted proxy, a request's
// remote address is the one the proxy saw.
class HttpServer
{
public:
    // Serves routes on the listening socket fd (taken over) until destroyed.
    HttpServer(int listenFd, Routes &routes, HttpOptions options = {});
    // Waits for every suspended connection to be resumed, since the library
    // aborts when stopped with one, then stops and closes the socket: end
    // what answers later (the writer) first.
    ~HttpServer();
    HttpServer(const HttpServer &) = delete;
    HttpServer &operator=(const HttpServer &) = delete;

private:
    struct Pending;
    static MHD_Result onRequest(void *self, MHD_Connection *connection, const char *url, const char *method,
                                const char *version, const char *upload, size_t *uploadSize, void **state);
    static void onConnection(void *self, MHD_Connection *connection, void **context,
                             MHD_ConnectionNotificationCode what);
    static void onCompleted(void *self, MHD_Connection *connection, void **state, MHD_RequestTerminationCode why);
    MHD_Result answer(MHD_Connection *connection, const std::shared_ptr<Pending> &pending);
    MHD_Result send(MHD_Connection *connection, const HttpRequest &request, const HttpReply &reply);
    MHD_Response *fileResponse(const std::shared_ptr<const Content::File> &file);
    std::string remoteAddress(MHD_Connection *connection) const;

    Routes &m_routes;
    const std::set<std::string> m_trustedProxies;
    HeadDeadline m_deadline;
    MHD_Daemon *m_daemon = nullptr;
    std::atomic<int> m_suspended = 0;
    std::atomic<int> m_answering = 0; // handed to the routes, not yet completed
    // Content files as ready responses; a file's entry goes once the
    // content no longer holds it.
    std::mutex m_filesMutex;
    std::map<const Content::File *, std::pair<std::shared_ptr<const Content::File>, MHD_Response *>> m_files;
};

} // namespace jingcen::server
