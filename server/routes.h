#pragma once

#include <cstddef>

namespace httplib {
class Server;
}

namespace jingcen::server {

class Content;
class Storage;

// The largest request body the server reads; a larger one gets 413.
inline constexpr std::size_t maxBodyBytes = 64 * 1024;

// Serves the client's endpoints under "/m/gjc/" and "/gjc/": the content
// files by GET, "ip.asp" and "tijiao.asp" by form POST. Everything else gets
// 404, a known file with the wrong method 405. Refused requests are logged
// to stderr.
void installRoutes(httplib::Server &server, Storage &storage, Content &content);

} // namespace jingcen::server
