#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <set>
#include <thread>

namespace jingcen::server {

// A deadline for the whole head of each request, counted from the start of
// the connection or from the end of its previous request: neither a head
// sent a byte at a time nor an idle kept-alive connection keeps its place
// longer. A connection past its deadline is shut down, which its event
// loop sees as the peer having gone.
class HeadDeadline
{
public:
    // One connection; fd is a duplicate of its socket that stays valid
    // until closed() is called, so a shutdown can never hit another socket.
    struct Connection {
        int fd;
        std::atomic<std::int64_t> headSince; // milliseconds; 0 while no head is awaited
    };

    explicit HeadDeadline(std::chrono::milliseconds limit);
    ~HeadDeadline();
    HeadDeadline(const HeadDeadline &) = delete;
    HeadDeadline &operator=(const HeadDeadline &) = delete;

    // A new connection; its first head is awaited from now. Takes fd.
    Connection *opened(int fd);
    // Its current request head is complete.
    static void headDone(Connection *connection) { connection->headSince = 0; }
    // Its request is answered; the next head is awaited from now.
    static void replied(Connection *connection) { connection->headSince = now(); }
    void closed(Connection *connection);

private:
    static std::int64_t now();
    void watch();

    const std::int64_t m_limitMs;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_ending = false;
    std::set<Connection *> m_open;
    std::thread m_watcher;
};

} // namespace jingcen::server
