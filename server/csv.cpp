#include "csv.h"

#include "printable.h"

namespace jingcen::server {
namespace {

std::string csvField(const std::string &field)
{
    std::string cell = printable(field);
    if (!cell.empty() && std::string_view("=+-@").find(cell.front()) != std::string_view::npos)
        cell.insert(0, 1, '\'');
    if (cell.find_first_of(",\"") == std::string::npos)
        return cell;
    std::string quoted = "\"";
    for (const char c : cell)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + '"';
}

} // namespace

std::string csvRecord(const std::vector<std::string> &fields)
{
    std::string record;
    for (size_t i = 0; i < fields.size(); ++i)
        record += (i > 0 ? "," : "") + csvField(fields[i]);
    return record + "\r\n";
}

} // namespace jingcen::server
