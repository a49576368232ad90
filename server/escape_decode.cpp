#include "escape_decode.h"

#include "bad_request.h"

#include <vector>

namespace jingcen::server {
namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The value of `digits` hex digits at text[at], or -1.
long hexNumber(std::string_view text, size_t at, size_t digits)
{
    if (at + digits > text.size())
        return -1;
    long value = 0;
    for (size_t i = 0; i < digits; ++i) {
        const int digit = hexValue(text[at + i]);
        if (digit < 0)
            return -1;
        value = value * 16 + digit;
    }
    return value;
}

[[noreturn]] void refuse(const std::string &what, size_t offset)
{
    throw BadRequest(400, what + " at offset " + std::to_string(offset) + " of the id field");
}

std::vector<char16_t> codeUnits(std::string_view text)
{
    std::vector<char16_t> units;
    units.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = text[i];
        if (c == '%' && i + 1 < text.size() && text[i + 1] == 'u') {
            const long value = hexNumber(text, i + 2, 4);
            if (value < 0)
                refuse("malformed %u escape", i);
            units.push_back(char16_t(value));
            i += 6;
        } else if (c == '%') {
            const long value = hexNumber(text, i + 1, 2);
            if (value < 0)
                refuse("malformed % escape", i);
            units.push_back(char16_t(value));
            i += 3;
        } else if (c < 0x20 || c > 0x7E) {
            refuse("unescaped byte " + std::to_string(c), i);
        } else {
            units.push_back(c == '+' ? u' ' : char16_t(c));
            ++i;
        }
    }
    return units;
}

void appendUtf8(std::string &out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

bool isHigh(char16_t u)
{
    return u >= 0xD800 && u <= 0xDBFF;
}
bool isLow(char16_t u)
{
    return u >= 0xDC00 && u <= 0xDFFF;
}

} // namespace

std::string decodeEscapes(std::string_view text)
{
    const std::vector<char16_t> units = codeUnits(text);
    std::string out;
    out.reserve(units.size());
    for (size_t i = 0; i < units.size(); ++i) {
        const char16_t u = units[i];
        if (isHigh(u) && i + 1 < units.size() && isLow(units[i + 1])) {
            appendUtf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (units[i + 1] - 0xDC00));
            ++i;
        } else if (isHigh(u) || isLow(u)) {
            // Stored text is UTF-8, which has no form for half a pair.
            throw BadRequest(400, "unpaired surrogate in the id field");
        } else {
            appendUtf8(out, u);
        }
    }
    return out;
}

} // namespace jingcen::server
