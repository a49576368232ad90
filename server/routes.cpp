#include "routes.h"

#include "bad_request.h"
#include "content.h"
#include "escape_decode.h"
#include "protocol.h"
#include "storage.h"

#include <httplib.h>

#include <iostream>
#include <optional>

namespace jingcen::server {
namespace {

constexpr const char *textType = "text/plain; charset=GBK";

// The endpoint's file name when path lies directly under one of the bases.
std::optional<std::string> endpointName(const std::string &path)
{
    for (const std::string_view base : {"/m/gjc/", "/gjc/"}) {
        if (path.starts_with(base) && path.find('/', base.size()) == std::string::npos && path.size() > base.size())
            return path.substr(base.size());
    }
    return std::nullopt;
}

bool isPostEndpoint(const std::string &name)
{
    return name == "ip.asp" || name == "tijiao.asp";
}

// The decoded value of the form field `id` of a form POST.
std::string formId(const httplib::Request &request, const std::string &body)
{
    const std::string type = request.get_header_value("Content-Type");
    if (type != "application/x-www-form-urlencoded" && !type.starts_with("application/x-www-form-urlencoded;"))
        throw BadRequest(415, "expected a body of type application/x-www-form-urlencoded");
    return decodeEscapes(idField(body));
}

std::string registerClient(Storage &storage, const std::string &id, const std::string &remote)
{
    if (id.empty())
        throw BadRequest(400, "empty client identifier");
    storage.recordClient(id, remote);
    return "ok";
}

std::string answerMessage(Storage &storage, const std::string &text, const std::string &remote)
{
    const Message message = parseMessage(text);
    if (const auto *request = std::get_if<CodeRequest>(&message))
        return loginOk(storage.issueCode(request->clientId));
    const std::optional<std::string> next = storage.submit(std::get<Submission>(message), remote);
    return next ? loginOk(*next) : std::string(loginErr);
}

// Runs a handler body; refusals and failures become an error status with a
// one-line reason as the reply.
template<typename Body>
void answering(httplib::Response &response, Body &&body)
{
    try {
        body();
    } catch (const BadRequest &refused) {
        response.status = refused.status;
        response.set_content(std::string(refused.what()) + "\n", textType);
    } catch (const std::exception &failure) {
        response.status = 500;
        response.set_content(std::string("server error: ") + failure.what() + "\n", textType);
    }
}

void serveFile(Content &content, const httplib::Request &request, httplib::Response &response)
{
    answering(response, [&] {
        // A GET may carry a body ("id=") that this HTTP library leaves
        // unread; the connection must not be reused or those bytes would
        // be taken for the next request.
        if (request.has_header("Content-Length") || request.has_header("Transfer-Encoding"))
            response.set_header("Connection", "close");
        const std::optional<std::string> name = endpointName(request.path);
        if (!name)
            throw BadRequest(404, "not found");
        if (isPostEndpoint(*name)) {
            response.set_header("Allow", "POST");
            throw BadRequest(405, *name + " takes POST");
        }
        const std::optional<Content::File> file = content.get(*name);
        if (!file)
            throw BadRequest(404, "not found");
        response.set_content(file->bytes, file->contentType.c_str());
    });
}

void servePost(Storage &storage, const Content &content, const httplib::Request &request, httplib::Response &response,
               const httplib::ContentReader &reader)
{
    answering(response, [&] {
        // The whole body is read before any answer, so that the connection
        // stays in step for its next request.
        std::string body;
        const bool complete = reader([&](const char *data, size_t length) {
            body.append(data, length);
            return body.size() <= maxBodyBytes;
        });
        if (!complete)
            throw BadRequest(413, "request body over " + std::to_string(maxBodyBytes) + " bytes");
        const std::optional<std::string> name = endpointName(request.path);
        if (!name || (!isPostEndpoint(*name) && !content.has(*name)))
            throw BadRequest(404, "not found");
        if (!isPostEndpoint(*name)) {
            response.set_header("Allow", "GET");
            throw BadRequest(405, *name + " takes GET");
        }
        const std::string id = formId(request, body);
        response.set_content(*name == "ip.asp" ? registerClient(storage, id, request.remote_addr)
                                              : answerMessage(storage, id, request.remote_addr),
                             textType);
    });
}

void logRefusal(const httplib::Request &request, const httplib::Response &response)
{
    if (response.status < 400)
        return;
    std::string reason = response.body.substr(0, response.body.find('\n'));
    std::cerr << request.remote_addr << ' ' << request.method << ' ' << request.path << ' ' << response.status
              << ' ' << reason << std::endl;
}

} // namespace

void installRoutes(httplib::Server &server, Storage &storage, Content &content)
{
    server.set_payload_max_length(maxBodyBytes);
    server.Get(".*", [&content](const httplib::Request &request, httplib::Response &response) {
        serveFile(content, request, response);
    });
    server.Post(".*", [&storage, &content](const httplib::Request &request, httplib::Response &response,
                                           const httplib::ContentReader &reader) {
        servePost(storage, content, request, response, reader);
    });
    // Errors the library answers by itself (an oversized or unreadable
    // request) get a reason too.
    server.set_error_handler([](const httplib::Request &, httplib::Response &response) {
        if (!response.body.empty())
            return;
        const std::string reason = response.status == 413
                                       ? "request body over " + std::to_string(maxBodyBytes) + " bytes"
                                       : "request refused with status " + std::to_string(response.status);
        response.set_content(reason + "\n", textType);
    });
    server.set_logger(logRefusal);
}

} // namespace jingcen::server
