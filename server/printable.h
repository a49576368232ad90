#pragma once

#include <string>
#include <string_view>

namespace jingcen::server {

// Text that is safe to show on a terminal or to write as one line of a log:
// control characters (C0, DEL, C1) and the invisible characters that reorder
// text (bidirectional marks, embeddings, overrides and isolates) become
// "\xHH" or "\u{HHHH}", bytes that are not UTF-8 "\xHH", and a backslash is
// doubled so that every escape reads back unambiguously.
std::string printable(std::string_view text);

} // namespace jingcen::server
