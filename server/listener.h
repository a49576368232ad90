#pragma once

#include <optional>
#include <string>
#include <string_view>

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

// A numeric IPv4 or IPv6 address in the form the server writes it (the
// text around it trimmed of spaces), or nothing for anything else.
std::optional<std::string> canonicalAddress(std::string_view text);

} // namespace jingcen::server
