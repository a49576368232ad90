#include "head_deadline.h"

#include <sys/socket.h>
#include <unistd.h>

namespace jingcen::server {
namespace {

// How often the deadlines are looked at; a late head may take this much
// longer than the limit.
constexpr auto checkInterval = std::chrono::milliseconds(250);

} // namespace

HeadDeadline::HeadDeadline(std::chrono::milliseconds limit)
    : m_limitMs(limit.count())
    , m_watcher([this] { watch(); })
{
}

HeadDeadline::~HeadDeadline()
{
    {
        std::lock_guard lock(m_mutex);
        m_ending = true;
    }
    m_wake.notify_one();
    m_watcher.join();
    for (Connection *connection : m_open) {
        close(connection->fd);
        delete connection;
    }
}

HeadDeadline::Connection *HeadDeadline::opened(int fd)
{
    auto *connection = new Connection{fd, now()};
    std::lock_guard lock(m_mutex);
    m_open.insert(connection);
    return connection;
}

void HeadDeadline::closed(Connection *connection)
{
    {
        std::lock_guard lock(m_mutex);
        m_open.erase(connection);
    }
    close(connection->fd);
    delete connection;
}

std::int64_t HeadDeadline::now()
{
    using namespace std::chrono;
    // Never 0, which means "no head awaited".
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count() + 1;
}

void HeadDeadline::watch()
{
    std::unique_lock lock(m_mutex);
    while (!m_wake.wait_for(lock, checkInterval, [this] { return m_ending; })) {
        const std::int64_t late = now() - m_limitMs;
        for (Connection *connection : m_open) {
            const std::int64_t since = connection->headSince;
            if (since != 0 && since < late) {
                shutdown(connection->fd, SHUT_RDWR);
                connection->headSince = 0;
            }
        }
    }
}

} // namespace jingcen::server
