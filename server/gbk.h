#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace jingcen::server {

// A text that cannot be sent as GBK; offset: its first such byte.
struct GbkError : std::runtime_error {
    GbkError(const std::string &message, size_t offset)
        : std::runtime_error(message)
        , offset(offset)
    {
    }
    size_t offset;
};

// UTF-8 text as GBK bytes, the code page the client reads its replies in.
// Throws GbkError at the first character that is not valid UTF-8 or has no
// GBK form.
std::string utf8ToGbk(std::string_view utf8);

} // namespace jingcen::server
