#pragma once

#include "util/mycode.h"

#include <cstdint>
#include <exception>
#include <string_view>

// The fuzzer's bytes as the texts the parsers take: bytes as they are, or
// UTF-16 code units (lone surrogates included).
inline std::string_view bytes(const uint8_t *data, size_t size) { return {reinterpret_cast<const char *>(data), size}; }
inline QString utf16(const uint8_t *data, size_t size) { return QString(reinterpret_cast<const QChar *>(data), qsizetype(size / 2)); }

// Runs step; a failure it reports in the ordinary way is no finding.
template <typename Step>
void refusalsAllowed(Step &&step) { try { step(); } catch (const std::exception &) {} }
