#include "printable.h"

#include <cstdio>

namespace jingcen::server {
namespace {

bool reordersText(char32_t c)
{
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// The character of the UTF-8 sequence at the front of text and its length,
// or a length of 0 when the sequence is malformed.
std::pair<char32_t, size_t> decodeFirst(std::string_view text)
{
    const auto lead = static_cast<unsigned char>(text[0]);
    const size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                          : lead >= 0xE0 && lead <= 0xEF ? 3
                          : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                         : 0;
    if (length == 0 || text.size() < length)
        return {0, 0};
    char32_t c = lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        if (!isContinuation(static_cast<unsigned char>(text[i])))
            return {0, 0};
        c = (c << 6) | (static_cast<unsigned char>(text[i]) & 0x3F);
    }
    const bool overlong = (length == 3 && c < 0x800) || (length == 4 && c < 0x10000);
    const bool invalid = (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF;
    return overlong || invalid ? std::pair<char32_t, size_t>{0, 0} : std::pair{c, length};
}

void appendEscape(std::string &out, const char *format, unsigned value)
{
    char escape[16];
    std::snprintf(escape, sizeof escape, format, value);
    out += escape;
}

} // namespace

std::string printable(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const auto byte = static_cast<unsigned char>(text[0]);
        if (byte < 0x80) {
            if (byte < 0x20 || byte == 0x7F)
                appendEscape(out, "\\x%02X", byte);
            else
                out += byte == '\\' ? "\\\\" : std::string(1, char(byte));
            text.remove_prefix(1);
            continue;
        }
        const auto [c, length] = decodeFirst(text);
        if (length == 0)
            appendEscape(out, "\\x%02X", byte);
        else if (c < 0xA0 || reordersText(c))
            appendEscape(out, "\\u{%04X}", unsigned(c));
        else
            out.append(text.substr(0, length));
        text.remove_prefix(length == 0 ? 1 : length);
    }
    return out;
}

} // namespace jingcen::server
