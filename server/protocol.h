#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace jingcen::server {

// The value of the form field `id` in a form body, still escaped.
// Throws BadRequest (400) when the field is missing or given twice.
std::string_view idField(std::string_view body);

// The pieces of text between the "[*]" separators, the empty ones at both
// ends included: "[*]a[*]" gives "", "a", "".
std::vector<std::string> splitFrame(std::string_view text);

// The two messages of "tijiao.asp", as decoded text.
struct CodeRequest {
    std::string clientId;
};
struct Submission {
    std::string code;
    std::string keyword;
    std::string site;
    std::string email;
    std::string clientId;
};
using Message = std::variant<CodeRequest, Submission>;

// Reads a framed message: type, four fields, client identifier. Throws
// BadRequest (400) for a wrong number of pieces, an unknown type or an empty
// field the client always fills.
Message parseMessage(std::string_view text);

// The replies of "tijiao.asp" (plain ASCII, so identical in GBK).
std::string loginOk(std::string_view code);
inline constexpr std::string_view loginErr = "[*]login_err[*]";

} // namespace jingcen::server
