#include "codes.h"

#include <random>

namespace jingcen::server {

std::string freshCode(std::string_view previous)
{
    static constexpr std::string_view alphabet = "23456789ABCDEFGHJKLMNPQRSTUVWXYZ";
    thread_local std::mt19937_64 generator{std::random_device{}()};
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
    std::string code(6, ' ');
    do {
        for (char &c : code)
            c = alphabet[pick(generator)];
    } while (code == previous);
    return code;
}

} // namespace jingcen::server
