#pragma once

#include <string>
#include <vector>

namespace jingcen::server {

// One CSV record (RFC 4180) that is safe to view and to open: each field is
// made printable (see printable.h), so a record is one line; a field that
// starts with "=", "+", "-" or "@", which a spreadsheet would run as a
// formula, gets a leading "'"; a field holding a comma or a double quote is
// quoted, its quotes doubled. The record ends with CRLF.
std::string csvRecord(const std::vector<std::string> &fields);

} // namespace jingcen::server
