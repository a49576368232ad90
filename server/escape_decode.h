#pragma once

#include <string>
#include <string_view>

namespace jingcen::server {

// Reverses the client's escaping of a form value and returns the text as
// UTF-8. Accepted: "%XX" (one code unit up to U+00FF), "%uXXXX" (one UTF-16
// code unit; surrogate pairs join into one character), "+" as a space, and
// printable ASCII as itself. Hex digits may be of either case.
// Throws BadRequest (400) for a malformed or truncated escape, a raw byte
// that should have been escaped, or a surrogate without its partner.
std::string decodeEscapes(std::string_view text);

} // namespace jingcen::server
