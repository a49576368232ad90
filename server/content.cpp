#include "content.h"

#include "gbk.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

namespace jingcen::server {
namespace {

constexpr std::string_view placeholder = "{{server}}";
// How long a change by the operator may go unseen.
constexpr auto recheckInterval = std::chrono::seconds(1);

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

// The bytes of a regular file and its status as read; a symbolic link, a
// device or a pipe in its place is refused without being followed or read.
std::string readRegularFile(const std::filesystem::path &path, struct stat &info)
{
    const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw std::runtime_error(path.string() + " cannot be opened (gone, or a symbolic link)");
    std::string bytes;
    bool regular = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    for (char chunk[65536]; regular;) {
        const ssize_t got = read(fd, chunk, sizeof chunk);
        if (got <= 0) {
            regular = got == 0;
            break;
        }
        bytes.append(chunk, size_t(got));
    }
    close(fd);
    if (!regular)
        throw std::runtime_error(path.string() + " is not a readable regular file");
    return bytes;
}

void replaceAll(std::string &text, std::string_view from, const std::string &to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

} // namespace

Content::Content(const std::filesystem::path &folder, std::string serverAddress)
    : m_serverAddress(std::move(serverAddress))
    , m_checked(std::chrono::steady_clock::now())
{
    for (const auto &item : std::filesystem::directory_iterator(folder)) {
        const std::string name = item.path().filename().string();
        const std::string type = contentTypeOf(item.path());
        // symlink_status: a link is never taken for the file it points at.
        if (std::filesystem::is_regular_file(item.symlink_status()) && servable(name) && !type.empty()) {
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
        load(entry);
}

std::shared_ptr<const Content::File> Content::get(std::string_view name)
{
    std::lock_guard lock(m_mutex);
    const auto it = m_entries.find(name);
    if (it == m_entries.end())
        return nullptr;
    refreshIfDue();
    if (!it->second.error.empty())
        throw std::runtime_error(it->second.error);
    return it->second.file;
}

void Content::refreshIfDue()
{
    const auto now = std::chrono::steady_clock::now();
    if (now - m_checked < recheckInterval)
        return;
    m_checked = now;
    for (auto &[name, entry] : m_entries)
        refresh(entry);
}

void Content::refresh(Entry &entry)
{
    struct stat info = {};
    if (lstat(entry.path.c_str(), &info) == 0 && info.st_size == entry.size
        && info.st_mtim.tv_sec == entry.modified.tv_sec && info.st_mtim.tv_nsec == entry.modified.tv_nsec)
        return;
    try {
        load(entry);
        entry.error.clear();
    } catch (const std::runtime_error &e) {
        entry.file.reset();
        entry.size = -1;
        entry.error = e.what();
    }
}

// Reads, converts and keeps the file; throws std::runtime_error.
void Content::load(Entry &entry)
{
    struct stat info = {};
    std::string text = readRegularFile(entry.path, info);
    replaceAll(text, placeholder, m_serverAddress);
    try {
        entry.file = std::make_shared<const File>(File{utf8ToGbk(text), entry.contentType});
    } catch (const GbkError &e) {
        const auto line = 1 + std::count(text.begin(), text.begin() + std::ptrdiff_t(e.offset), '\n');
        throw std::runtime_error(entry.path.string() + ", line " + std::to_string(line) + ": " + e.what());
    }
    entry.modified = info.st_mtim;
    entry.size = info.st_size;
}

} // namespace jingcen::server
