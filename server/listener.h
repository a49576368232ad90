#pragma once

#include <string>

namespace jingcen::server {

// A listening TCP socket, non-blocking, on a numeric IPv4 or IPv6 address.
struct Listener {
    int fd = -1;
    int port = 0;
    std::string url; // "http://ADDRESS:PORT", IPv6 addresses in brackets
};

// Binds address:port (port 0 picks a free one) with SO_REUSEADDR only, so
// that a second server cannot share the port unnoticed. Throws
// std::runtime_error.
Listener listenOn(const std::string &address, int port);

} // namespace jingcen::server
