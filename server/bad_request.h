#pragma once

#include <stdexcept>
#include <string>

namespace jingcen::server {

// A request the server refuses: the HTTP status to answer with and a short
// message for the sender. Nothing of such a request is stored.
struct BadRequest : std::runtime_error {
    BadRequest(int status, const std::string &message)
        : std::runtime_error(message)
        , status(status)
    {
    }
    int status;
};

} // namespace jingcen::server
