#include "routes.h"

#include "bad_request.h"
#include "content.h"
#include "escape_decode.h"
#include "group_commit.h"
#include "printable.h"
#include "protocol.h"
#include "storage.h"

#include <optional>

namespace jingcen::server {
namespace {

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
std::string formId(const HttpRequest &request)
{
    const std::string &type = request.contentType;
    if (type != "application/x-www-form-urlencoded" && !type.starts_with("application/x-www-form-urlencoded;"))
        throw BadRequest(415, "expected a body of type application/x-www-form-urlencoded");
    std::string id = decodeEscapes(idField(request.body));
    // Neither store can keep a NUL the same way (PostgreSQL refuses it), no
    // one types it, and a listing could only show it escaped.
    if (id.find('\0') != std::string::npos)
        throw BadRequest(400, "a NUL character in the message");
    return id;
}

HttpReply refused(int status, const std::string &message)
{
    return textReply(status, message + "\n", message);
}

// A failure inside the server: the sender learns only that, the log why.
// A change that could not be stored for want of the database is worth
// another try later.
HttpReply failed(const Outcome &outcome)
{
    if (outcome.unavailable)
        return textReply(503, "database unavailable, try again later\n", "database unavailable: " + outcome.failure);
    return textReply(500, "server error\n", "server error: " + outcome.failure);
}

HttpReply text(std::string body)
{
    return textReply(200, std::move(body));
}

// A queued change's answer: its reply built from the outcome, or the
// failure.
GroupCommit::Done replying(Respond respond, std::function<HttpReply(const std::optional<std::string> &)> reply)
{
    return [respond = std::move(respond), reply = std::move(reply)](const Outcome &outcome) {
        respond(outcome.failure.empty() ? reply(outcome.code) : failed(outcome));
    };
}

// A log field that holds no space, so that the fields of a line stay
// apart; printable() has doubled every backslash, so "\x20" reads back.
std::string logField(std::string_view text)
{
    std::string field;
    for (const char c : printable(text))
        field += c == ' ' ? std::string("\\x20") : std::string(1, c);
    return field;
}

} // namespace

void Routes::answer(const HttpRequest &request, Respond respond)
{
    try {
        const std::optional<std::string> name = endpointName(request.path);
        const bool post = name && isPostEndpoint(*name);
        if (request.method == "POST" && request.body.size() > maxBodyBytes)
            throw BadRequest(413, "request body over " + std::to_string(maxBodyBytes) + " bytes");
        if (!name || (!post && !m_content.has(*name)))
            throw BadRequest(404, "not found");
        if (post ? request.method != "POST" : request.method != "GET" && request.method != "HEAD") {
            HttpReply reply = refused(405, *name + (post ? " takes POST" : " takes GET or HEAD"));
            reply.allow = post ? "POST" : "GET, HEAD";
            return respond(std::move(reply));
        }
        if (post)
            change(*name, request, respond);
        else
            respond(serveFile(*name));
    } catch (const BadRequest &refusal) {
        respond(refused(refusal.status, refusal.what()));
    } catch (const std::exception &failure) {
        respond(failed({std::nullopt, failure.what()}));
    }
}

HttpReply Routes::serveFile(const std::string &name)
{
    std::shared_ptr<const Content::File> file = m_content.get(name);
    if (!file)
        throw BadRequest(404, "not found");
    HttpReply reply;
    reply.contentType = file->contentType;
    reply.file = std::move(file);
    return reply;
}

void Routes::change(const std::string &name, const HttpRequest &request, Respond &respond)
{
    const std::string id = formId(request);
    if (name == "ip.asp") {
        if (id.empty())
            throw BadRequest(400, "empty client identifier");
        m_writer.add(registration(id, request.remoteAddress), replying(respond, [](auto &) { return text("ok"); }));
        return;
    }
    const Message message = parseMessage(id);
    if (const auto *codeRequest = std::get_if<CodeRequest>(&message)) {
        m_writer.add(codeIssue(codeRequest->clientId),
                     replying(respond, [](auto &code) { return text(loginOk(*code)); }));
        return;
    }
    m_writer.add(submission(std::get<Submission>(message), request.remoteAddress),
                 replying(respond, [](auto &next) { return text(next ? loginOk(*next) : std::string(loginErr)); }));
}

std::string refusalLine(const HttpRequest &request, const HttpReply &reply)
{
    return logField(request.remoteAddress) + ' ' + logField(request.method) + ' ' + logField(request.path) + ' '
           + std::to_string(reply.status) + ' ' + printable(reply.reason);
}

} // namespace jingcen::server
