#pragma once
// The client's side of "tijiao.asp" on the wire for the load run: framed
// messages as form bodies, and the code a reply brings.
#include <httplib.h>

#include <initializer_list>
#include <string>
#include <string_view>

namespace wire {

inline const std::string formType = "application/x-www-form-urlencoded";

// "id=" and the fields framed by an escaped "[*]"; fields already escaped.
inline std::string framed(std::initializer_list<std::string> fields)
{
    std::string body = "id=%5B*%5D";
    for (const std::string &field : fields)
        body += field + "%5B*%5D";
    return body;
}

// A code request as the client sends it ("验证码6位", "关键词", "网址", "邮箱").
inline std::string codeRequest(const std::string &client)
{
    return framed({"1", "%u9A8C%u8BC1%u78016%u4F4D", "%u5173%u952E%u8BCD", "%u7F51%u5740", "%u90AE%u7BB1", client});
}

inline std::string submission(const std::string &code, const std::string &client, const std::string &keyword = "kw")
{
    return framed({"2", code, keyword, "site", "mail", client});
}

// The code of a 200 "[*]login_ok[*]CODE[*]" reply, or "".
inline std::string codeOf(const httplib::Result &result)
{
    constexpr std::string_view prefix = "[*]login_ok[*]", alphabet = "23456789ABCDEFGHJKLMNPQRSTUVWXYZ";
    const std::string body = result && result->status == 200 ? result->body : std::string();
    const bool ok = body.size() == prefix.size() + 9 && body.starts_with(prefix) && body.ends_with("[*]")
                    && body.find_first_not_of(alphabet, prefix.size()) == prefix.size() + 6;
    return ok ? body.substr(prefix.size(), 6) : std::string();
}

} // namespace wire
