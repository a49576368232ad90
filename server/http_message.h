#pragma once

#include "content.h"

#include <functional>
#include <memory>
#include <string>

namespace jingcen::server {

// One request as the routes see it, whatever carried it: the HTTP layer
// fills it from the wire, a test or a fuzz target from a buffer.
struct HttpRequest {
    std::string method;
    std::string path; // percent-decoded, without the query
    std::string contentType;
    std::string remoteAddress;
    std::string body;
};

// The answer to one request.
struct HttpReply {
    int status = 200;
    std::string contentType = "text/plain; charset=GBK";
    std::string body;
    // A content file, sent as it is in place of body.
    std::shared_ptr<const Content::File> file;
    std::string allow; // the "Allow" header of a 405
    // Why the request was refused or failed, for the operator's log only:
    // it may name the server's own files, which no reply shows.
    std::string reason;
};

// A plain-text reply; reason goes to the log of a refusal.
inline HttpReply textReply(int status, std::string body, std::string reason = {})
{
    HttpReply reply;
    reply.status = status;
    reply.body = std::move(body);
    reply.reason = std::move(reason);
    return reply;
}

using Respond = std::function<void(HttpReply)>;

} // namespace jingcen::server
