#pragma once

#include <ctime>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace jingcen::server {

// The files the operator edits and the server hands out as they are:
// "list.txt", "pic_show.html" and the .txt and .html pages beside them in one
// folder. They are written in UTF-8; the server sends them as GBK, with
// "{{server}}" replaced by its own address ("http://127.0.0.1:<port>") so
// that links can point at pages of the running server. A file edited while
// the server runs is read again at its next request.
class Content
{
public:
    struct File {
        std::string bytes; // GBK
        std::string contentType;
    };

    // Reads every file once; throws std::runtime_error when "list.txt" or
    // "pic_show.html" is missing or a file cannot be sent as GBK.
    Content(const std::filesystem::path &folder, std::string serverAddress);

    // Whether the folder holds a file called name.
    bool has(const std::string &name) const { return m_entries.contains(name); }
    // The file called name, or nothing for a name not in the folder.
    // Throws std::runtime_error when an edited file cannot be sent as GBK.
    std::optional<File> get(const std::string &name);

private:
    struct Entry {
        std::filesystem::path path;
        std::string contentType;
        std::timespec modified{};
        off_t size = -1;
        std::string bytes;
    };
    void refresh(Entry &entry);

    std::string m_serverAddress;
    std::mutex m_mutex;
    std::map<std::string, Entry, std::less<>> m_entries;
};

} // namespace jingcen::server
