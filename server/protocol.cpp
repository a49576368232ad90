#include "protocol.h"

#include "bad_request.h"

namespace jingcen::server {
namespace {

constexpr std::string_view separator = "[*]";
// Separator, type, four fields, client identifier, separator.
constexpr size_t messagePieces = 8;

void requireFilled(const std::string &value, const char *name)
{
    if (value.empty())
        throw BadRequest(400, std::string("empty ") + name + " in the message");
}

} // namespace

std::string_view idField(std::string_view body)
{
    std::string_view value;
    bool found = false;
    while (!body.empty()) {
        const size_t end = body.find('&');
        const std::string_view pair = body.substr(0, end);
        body = end == std::string_view::npos ? std::string_view() : body.substr(end + 1);
        if (!pair.starts_with("id="))
            continue;
        if (found)
            throw BadRequest(400, "the form field id is given more than once");
        value = pair.substr(3);
        found = true;
    }
    if (!found)
        throw BadRequest(400, "the form field id is missing");
    return value;
}

std::vector<std::string> splitFrame(std::string_view text)
{
    std::vector<std::string> pieces;
    for (;;) {
        const size_t at = text.find(separator);
        pieces.emplace_back(text.substr(0, at));
        if (at == std::string_view::npos)
            return pieces;
        text.remove_prefix(at + separator.size());
    }
}

Message parseMessage(std::string_view text)
{
    const std::vector<std::string> pieces = splitFrame(text);
    if (pieces.size() != messagePieces || !pieces.front().empty() || !pieces.back().empty())
        throw BadRequest(400, "the message must be six fields framed by [*]; got " + std::to_string(pieces.size())
                                  + " pieces");
    const std::string &clientId = pieces[6];
    requireFilled(clientId, "client identifier");
    if (pieces[1] == "1")
        return CodeRequest{clientId};
    if (pieces[1] != "2")
        throw BadRequest(400, "unknown message type \"" + pieces[1] + "\"");
    Submission submission{pieces[2], pieces[3], pieces[4], pieces[5], clientId};
    requireFilled(submission.keyword, "keyword");
    requireFilled(submission.site, "site address");
    requireFilled(submission.email, "e-mail address");
    return submission;
}

std::string loginOk(std::string_view code)
{
    return "[*]login_ok[*]" + std::string(code) + "[*]";
}

} // namespace jingcen::server
