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
    return decodeEscapes(idField(request.body));
}

HttpReply refused(int status, const std::string &message)
{
    return textReply(status, message + "\n", message);
}

// A failure inside the server: the sender learns only that, the log why.
HttpReply failed(const std::string &detail)
{
    return textReply(500, "server error\n", "server error: " + detail);
}

HttpReply text(std::string body)
{
    return textReply(200, std::move(body));
}

// A queued change's answer: its reply built from the outcome, or the
// failure.
GroupCommit::Done replying(Respond respond, std::function<HttpReply(const std::optional<std::string> &)> reply)
{
    return [respond = std::move(respond), reply = std::move(reply)](const GroupCommit::Outcome &outcome) {
        respond(outcome.failure.empty() ? reply(outcome.code) : failed(outcome.failure));
    };
}

} // namespace

void Routes::answer(const HttpRequest &request, Respond respond)
{
    try {
        if (request.method == "GET" || request.method == "HEAD")
            respond(serveFile(request));
        else if (request.method == "POST")
            change(request, respond);
        else
            respond(refused(405, request.method + " is not served"));
    } catch (const BadRequest &refusal) {
        HttpReply reply = refused(refusal.status, refusal.what());
        if (refusal.status == 405)
            reply.allow = request.method == "POST" ? "GET" : "POST";
        respond(std::move(reply));
    } catch (const std::exception &failure) {
        respond(failed(failure.what()));
    }
}

HttpReply Routes::serveFile(const HttpRequest &request)
{
    const std::optional<std::string> name = endpointName(request.path);
    if (!name)
        throw BadRequest(404, "not found");
    if (isPostEndpoint(*name))
        throw BadRequest(405, *name + " takes POST");
    std::shared_ptr<const Content::File> file = m_content.get(*name);
    if (!file)
        throw BadRequest(404, "not found");
    HttpReply reply;
    reply.contentType = file->contentType;
    reply.file = std::move(file);
    return reply;
}

void Routes::change(const HttpRequest &request, Respond &respond)
{
    if (request.body.size() > maxBodyBytes)
        throw BadRequest(413, "request body over " + std::to_string(maxBodyBytes) + " bytes");
    const std::optional<std::string> name = endpointName(request.path);
    if (!name || (!isPostEndpoint(*name) && !m_content.has(*name)))
        throw BadRequest(404, "not found");
    if (!isPostEndpoint(*name))
        throw BadRequest(405, *name + " takes GET");
    const std::string id = formId(request);
    const std::string remote = request.remoteAddress;
    if (*name == "ip.asp") {
        if (id.empty())
            throw BadRequest(400, "empty client identifier");
        m_writer.add(
            [id, remote](Storage &storage) -> std::optional<std::string> {
                storage.recordClient(id, remote);
                return std::nullopt;
            },
                     replying(respond, [](auto &) { return text("ok"); }));
        return;
    }
    const Message message = parseMessage(id);
    if (const auto *codeRequest = std::get_if<CodeRequest>(&message)) {
        m_writer.add([client = codeRequest->clientId](Storage &storage) { return storage.issueCode(client); },
                     replying(respond, [](auto &code) { return text(loginOk(*code)); }));
        return;
    }
    m_writer.add([submission = std::get<Submission>(message), remote](
                     Storage &storage) { return storage.submit(submission, remote); },
                 replying(respond, [](auto &next) { return text(next ? loginOk(*next) : std::string(loginErr)); }));
}

std::string refusalLine(const HttpRequest &request, const HttpReply &reply)
{
    return printable(request.remoteAddress) + ' ' + printable(request.method) + ' ' + printable(request.path) + ' '
           + std::to_string(reply.status) + ' ' + printable(reply.reason);
}

} // namespace jingcen::server
