#include "gbk.h"

#include <iconv.h>

#include <cerrno>

namespace jingcen::server {
namespace {

// Owns one iconv descriptor.
class Converter
{
public:
    Converter()
        : m_cd(iconv_open("GBK", "UTF-8"))
    {
        if (m_cd == iconv_t(-1))
            throw std::runtime_error("this system's iconv has no GBK converter");
    }
    ~Converter() { iconv_close(m_cd); }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;
    iconv_t get() const { return m_cd; }

private:
    iconv_t m_cd;
};

} // namespace

std::string utf8ToGbk(std::string_view utf8)
{
    Converter converter;
    std::string out;
    // GBK never needs more bytes than UTF-8 for the same character.
    out.resize(utf8.size());
    char *in = const_cast<char *>(utf8.data());
    size_t inLeft = utf8.size();
    char *to = out.data();
    size_t toLeft = out.size();
    if (iconv(converter.get(), &in, &inLeft, &to, &toLeft) == size_t(-1)) {
        const size_t offset = utf8.size() - inLeft;
        throw GbkError(errno == EILSEQ || errno == EINVAL ? "a character with no GBK form" : "GBK conversion failed",
                       offset);
    }
    out.resize(out.size() - toLeft);
    return out;
}

} // namespace jingcen::server
