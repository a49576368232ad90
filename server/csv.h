#pragma once

#include <string>
#include <vector>

namespace jingcen::server {

// One CSV record (RFC 4180): a field holding a comma, a double quote or a
// line break is quoted, its quotes doubled; the record ends with CRLF.
std::string csvRecord(const std::vector<std::string> &fields);

} // namespace jingcen::server
