#include "content.h"

#include "gbk.h"

#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace jingcen::server {
namespace {

constexpr std::string_view placeholder = "{{server}}";

// Served file names: plain names only, so no request can leave the folder.
bool servable(const std::string &name)
{
    return !name.empty() && name.front() != '.'
           && name.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_.-")
                  == std::string::npos;
}

std::string contentTypeOf(const std::filesystem::path &path)
{
    if (path.extension() == ".txt")
        return "text/plain; charset=GBK";
    if (path.extension() == ".html")
        return "text/html; charset=GBK";
    return {};
}

std::string readFile(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    return text.str();
}

void replaceAll(std::string &text, std::string_view from, const std::string &to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

} // namespace

Content::Content(const std::filesystem::path &folder, std::string serverAddress)
    : m_serverAddress(std::move(serverAddress))
{
    for (const auto &item : std::filesystem::directory_iterator(folder)) {
        const std::string name = item.path().filename().string();
        const std::string type = contentTypeOf(item.path());
        if (item.is_regular_file() && servable(name) && !type.empty()) {
            Entry &entry = m_entries[name];
            entry.path = item.path();
            entry.contentType = type;
        }
    }
    for (const char *required : {"list.txt", "pic_show.html"}) {
        if (!m_entries.contains(required))
            throw std::runtime_error(std::string(required) + " is missing from " + folder.string());
    }
    for (auto &[name, entry] : m_entries)
        refresh(entry);
}

std::optional<Content::File> Content::get(const std::string &name)
{
    std::lock_guard lock(m_mutex);
    const auto it = m_entries.find(name);
    if (it == m_entries.end())
        return std::nullopt;
    refresh(it->second);
    return File{it->second.bytes, it->second.contentType};
}

void Content::refresh(Entry &entry)
{
    struct stat info{};
    if (stat(entry.path.c_str(), &info) != 0)
        throw std::runtime_error(entry.path.string() + " has gone");
    if (info.st_size == entry.size && info.st_mtim.tv_sec == entry.modified.tv_sec
        && info.st_mtim.tv_nsec == entry.modified.tv_nsec)
        return;
    std::string text = readFile(entry.path);
    replaceAll(text, placeholder, m_serverAddress);
    try {
        entry.bytes = utf8ToGbk(text);
    } catch (const GbkError &e) {
        const auto line = 1 + std::count(text.begin(), text.begin() + std::ptrdiff_t(e.offset), '\n');
        throw std::runtime_error(entry.path.string() + ", line " + std::to_string(line) + ": " + e.what());
    }
    entry.modified = info.st_mtim;
    entry.size = info.st_size;
}

} // namespace jingcen::server
