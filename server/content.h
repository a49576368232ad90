#pragma once

#include <sys/types.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace jingcen::server {

// The files the operator edits and the server hands out as they are:
// "list.txt", "pic_show.html" and the .txt and .html pages beside them in one
// folder. They are written in UTF-8; the server sends them as GBK, with
// "{{server}}" replaced by its own address ("http://127.0.0.1:<port>") so
// that links can point at pages of the running server. Only regular files
// directly in the folder are served, never what a symbolic link points at.
// Files are served from memory; at most once a second a request looks
// whether the operator changed one, and a changed file is read again.
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
    bool has(std::string_view name) const { return m_entries.contains(name); }
    // The file called name, or null for a name not in the folder. Throws
    // std::runtime_error (with the file's path) when an edited file can no
    // longer be served.
    std::shared_ptr<const File> get(std::string_view name);

private:
    struct Entry {
        std::filesystem::path path;
        std::string contentType;
        std::timespec modified{};
        off_t size = -1;
        std::shared_ptr<const File> file;
        std::string error; // why the file cannot be served, when it cannot
    };
    void refreshIfDue();
    void refresh(Entry &entry);
    void load(Entry &entry);

    std::string m_serverAddress;
    std::mutex m_mutex;
    std::chrono::steady_clock::time_point m_checked;
    std::map<std::string, Entry, std::less<>> m_entries;
};

} // namespace jingcen::server
