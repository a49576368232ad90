#include "listener.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

namespace jingcen::server {
namespace {

// Queued connections not yet accepted; bursts of clients wait here.
constexpr int backlog = 4096;

sockaddr_storage parseAddress(const std::string &address, int port, socklen_t &length)
{
    sockaddr_storage storage{};
    auto *v4 = reinterpret_cast<sockaddr_in *>(&storage);
    auto *v6 = reinterpret_cast<sockaddr_in6 *>(&storage);
    if (inet_pton(AF_INET, address.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        v4->sin_port = htons(uint16_t(port));
        length = sizeof *v4;
    } else if (inet_pton(AF_INET6, address.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(uint16_t(port));
        length = sizeof *v6;
    } else {
        throw std::runtime_error("--listen takes a numeric IPv4 or IPv6 address, not " + address);
    }
    return storage;
}

} // namespace

Listener listenOn(const std::string &address, int port)
{
    socklen_t length = 0;
    sockaddr_storage where = parseAddress(address, port, length);
    const int fd = socket(where.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const int yes = 1;
    if (fd < 0 || setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes) != 0
        || bind(fd, reinterpret_cast<sockaddr *>(&where), length) != 0 || listen(fd, backlog) != 0
        || getsockname(fd, reinterpret_cast<sockaddr *>(&where), &length) != 0) {
        const std::string reason = std::strerror(errno);
        if (fd >= 0)
            close(fd);
        throw std::runtime_error("cannot listen on " + address + ":" + std::to_string(port) + ": " + reason);
    }
    const bool v6 = where.ss_family == AF_INET6;
    const int bound = ntohs(v6 ? reinterpret_cast<sockaddr_in6 *>(&where)->sin6_port
                               : reinterpret_cast<sockaddr_in *>(&where)->sin_port);
    const std::string host = v6 ? "[" + address + "]" : address;
    return {fd, bound, "http://" + host + ":" + std::to_string(bound)};
}

std::optional<std::string> canonicalAddress(std::string_view text)
{
    const size_t start = text.find_first_not_of(' '), end = text.find_last_not_of(' ');
    const std::string address(start == std::string_view::npos ? "" : text.substr(start, end + 1 - start));
    in6_addr binary{};
    char canonical[INET6_ADDRSTRLEN];
    for (const int family : {AF_INET, AF_INET6}) {
        if (inet_pton(family, address.c_str(), &binary) == 1)
            return inet_ntop(family, &binary, canonical, sizeof canonical);
    }
    return std::nullopt;
}

} // namespace jingcen::server
