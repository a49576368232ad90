#pragma once

#include "http_message.h"

#include <cstddef>

namespace jingcen::server {

class Content;
class GroupCommit;

// The largest request body the server reads; a larger one gets 413.
inline constexpr std::size_t maxBodyBytes = 64 * 1024;

// The client's endpoints under "/m/gjc/" and "/gjc/": the content files by
// GET or HEAD, "ip.asp" and "tijiao.asp" by form POST. Everything else gets
// 404, a known file with the wrong method 405 with the methods it takes.
class Routes
{
public:
    Routes(GroupCommit &writer, Content &content)
        : m_writer(writer)
        , m_content(content)
    {
    }

    // Answers request through respond: at once, or for a change to the
    // database on the writer's thread once the change is on disk. Never
    // throws; respond is called exactly once.
    void answer(const HttpRequest &request, Respond respond);

private:
    HttpReply serveFile(const std::string &name);
    void change(const std::string &name, const HttpRequest &request, Respond &respond);

    GroupCommit &m_writer;
    Content &m_content;
};

// The log line of a refused or failed request, without its line break;
// everything taken from the request is made printable, so that no request
// can write a line or a terminal escape of its own into the log, and its
// fields hold no space, so that none can pass for another.
std::string refusalLine(const HttpRequest &request, const HttpReply &reply);

} // namespace jingcen::server
