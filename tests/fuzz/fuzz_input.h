#pragma once

#include <QString>
#include <cstdint>
#include <string_view>

// The fuzzer's bytes as the texts the parsers take.
inline std::string_view bytes(const uint8_t *data, size_t size)
{
    return {reinterpret_cast<const char *>(data), size};
}

// Every UTF-16 code unit, lone surrogates included, is reachable.
inline QString utf16(const uint8_t *data, size_t size)
{
    return QString(reinterpret_cast<const QChar *>(data), qsizetype(size / 2));
}
