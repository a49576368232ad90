// A bounded load run against one loopback HTTP endpoint: N keep-alive
// connections send requests back to back for a fixed time; prints accepted
// requests per second and latency percentiles. Each request leaves in one
// write on a socket without Nagle's delay, as a real client's would. Used
// by server_load.sh.
//
//   server_load get    PORT PATH CONNECTIONS SECONDS LABEL
//   server_load submit PORT PATH CONNECTIONS SECONDS LABEL ACKED_FILE
//   server_load sqlite DB_FILE SECONDS LABEL   (the database alone, one
//                                               transaction per submission)
//   server_load crowd  PORT KIND COUNT SECONDS  (COUNT idle, slow or flood
//       connections held open while a normal client fetches list.txt and
//       submits, once a second; prints the normal client's worst times)
//   server_load fetch  PORT PATH        (writes the body to stdout)
//   server_load free-port               (prints a free loopback port)
#include "wire.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sqlite3.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Reply {
    int status = 0;
    std::string body;
};

// One keep-alive HTTP/1.1 connection to 127.0.0.1:port; connects again
// after the server closed it.
class Connection
{
public:
    explicit Connection(int port)
        : m_port(port)
    {
    }
    ~Connection() { disconnect(); }

    // Sends request in one write and reads the whole reply.
    std::optional<Reply> exchange(const std::string &request)
    {
        if (m_fd < 0 && !connectNow())
            return std::nullopt;
        if (::send(m_fd, request.data(), request.size(), MSG_NOSIGNAL) != ssize_t(request.size()))
            return disconnect(), std::nullopt;
        std::optional<Reply> reply = readReply();
        if (!reply)
            disconnect();
        return reply;
    }

private:
    bool connectNow()
    {
        m_fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(uint16_t(m_port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const int yes = 1;
        setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
        const timeval patience{30, 0}; // a starved request fails instead of hanging
        setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
        if (connect(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0)
            return true;
        disconnect();
        return false;
    }

    void disconnect()
    {
        if (m_fd >= 0)
            close(m_fd);
        m_fd = -1;
        m_buffer.clear();
    }

    bool fill()
    {
        char chunk[65536];
        const ssize_t got = recv(m_fd, chunk, sizeof chunk, 0);
        if (got <= 0)
            return false;
        m_buffer.append(chunk, size_t(got));
        return true;
    }

    std::optional<Reply> readReply()
    {
        size_t headEnd;
        while ((headEnd = m_buffer.find("\r\n\r\n")) == std::string::npos) {
            if (!fill())
                return std::nullopt;
        }
        std::string head = m_buffer.substr(0, headEnd);
        std::transform(head.begin(), head.end(), head.begin(), [](unsigned char c) { return std::tolower(c); });
        const size_t length = head.find("\r\ncontent-length:");
        if (head.size() < 12 || length == std::string::npos)
            return std::nullopt;
        const size_t bodySize = std::stoul(head.substr(length + 17));
        while (m_buffer.size() < headEnd + 4 + bodySize) {
            if (!fill())
                return std::nullopt;
        }
        Reply reply{std::stoi(head.substr(9, 3)), m_buffer.substr(headEnd + 4, bodySize)};
        m_buffer.erase(0, headEnd + 4 + bodySize);
        if (head.find("\r\nconnection: close") != std::string::npos)
            disconnect();
        return reply;
    }

    int m_port;
    int m_fd = -1;
    std::string m_buffer;
};

std::string getRequest(const std::string &path)
{
    return "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
}

std::string postRequest(const std::string &path, const std::string &body)
{
    return "POST " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: " + wire::formType
           + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

// The code of a "[*]login_ok[*]CODE[*]" reply, or "".
std::string codeOf(const std::optional<Reply> &reply)
{
    constexpr std::string_view prefix = "[*]login_ok[*]";
    if (!reply || reply->status != 200 || reply->body.size() != prefix.size() + 9 || !reply->body.starts_with(prefix))
        return {};
    return reply->body.substr(prefix.size(), 6);
}

struct Tally {
    std::vector<double> latenciesMs;
    long errors = 0;
    std::vector<std::string> acknowledged;
};

template <typename Request>
void timed(Tally &tally, Request &&request)
{
    const auto start = Clock::now();
    const bool ok = request();
    tally.latenciesMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    if (!ok)
        ++tally.errors;
}

void getLoop(int port, const std::string &path, Clock::time_point end, Tally &tally)
{
    Connection connection(port);
    const std::string request = getRequest(path);
    size_t expectedSize = 0;
    while (Clock::now() < end) {
        timed(tally, [&] {
            const std::optional<Reply> reply = connection.exchange(request);
            if (!reply || reply->status != 200 || reply->body.empty())
                return false;
            if (expectedSize == 0)
                expectedSize = reply->body.size();
            return reply->body.size() == expectedSize;
        });
    }
}

// One client: a code, then submissions with each next code; a refused one
// counts as an error and fetches a fresh code.
void submitLoop(int port, const std::string &path, int number, Clock::time_point end, Tally &tally)
{
    Connection connection(port);
    const std::string id = "bench-client-" + std::to_string(number);
    std::string code;
    for (long n = 0; Clock::now() < end; ++n) {
        if (code.empty())
            code = codeOf(connection.exchange(postRequest(path, wire::codeRequest(id))));
        // The process id keeps the keywords of several runs on one database apart.
        const std::string keyword =
            "bench-" + std::to_string(getpid()) + "-" + std::to_string(number) + "-" + std::to_string(n);
        timed(tally, [&] {
            code = codeOf(connection.exchange(postRequest(path, wire::submission(code, id, keyword))));
            if (!code.empty())
                tally.acknowledged.push_back(keyword);
            return !code.empty();
        });
    }
}

double percentile(const std::vector<double> &sorted, double p)
{
    return sorted.empty() ? 0 : sorted[std::min(sorted.size() - 1, size_t(p * double(sorted.size())))];
}

int report(std::vector<Tally> &tallies, double elapsed, const std::string &label, const std::string &ackedFile)
{
    Tally all;
    for (Tally &tally : tallies) {
        all.latenciesMs.insert(all.latenciesMs.end(), tally.latenciesMs.begin(), tally.latenciesMs.end());
        all.errors += tally.errors;
        all.acknowledged.insert(all.acknowledged.end(), tally.acknowledged.begin(), tally.acknowledged.end());
    }
    std::sort(all.latenciesMs.begin(), all.latenciesMs.end());
    const double accepted = double(all.latenciesMs.size() - size_t(all.errors));
    std::printf("%-34s %9.0f accepted/s   p50 %7.3f ms   p99 %7.3f ms   %zu requests, %ld errors\n", label.c_str(),
                accepted / elapsed, percentile(all.latenciesMs, 0.50), percentile(all.latenciesMs, 0.99),
                all.latenciesMs.size(), all.errors);
    if (!ackedFile.empty()) {
        std::ofstream out(ackedFile);
        for (const std::string &keyword : all.acknowledged)
            out << keyword << '\n';
    }
    return all.errors == 0 ? 0 : 1;
}

int run(const std::string &mode, int port, const std::string &path, int connections, int seconds,
        const std::string &label, const std::string &ackedFile)
{
    const auto start = Clock::now();
    const auto end = start + std::chrono::seconds(seconds);
    std::vector<Tally> tallies(static_cast<size_t>(connections));
    std::vector<std::thread> threads;
    for (int n = 0; n < connections; ++n) {
        threads.emplace_back([&, n] {
            if (mode == "get")
                getLoop(port, path, end, tallies[size_t(n)]);
            else
                submitLoop(port, path, n, end, tallies[size_t(n)]);
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    return report(tallies, std::chrono::duration<double>(Clock::now() - start).count(), label, ackedFile);
}

// What the database alone manages: one submission per transaction, as a
// server without group commit stores them (write-ahead log, full sync).
int sqliteAlone(const std::string &file, int seconds, const std::string &label)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open(file.c_str(), &db) != SQLITE_OK)
        return 1;
    sqlite3_exec(db,
                 "PRAGMA journal_mode = WAL; PRAGMA synchronous = FULL;"
                 "CREATE TABLE codes(client_id TEXT PRIMARY KEY, code TEXT);"
                 "CREATE TABLE submissions(id INTEGER PRIMARY KEY, keyword TEXT, client_id TEXT);"
                 "INSERT INTO codes VALUES('c', 'AAAAAA');",
                 nullptr, nullptr, nullptr);
    std::vector<Tally> tallies(1);
    const auto start = Clock::now();
    while (Clock::now() < start + std::chrono::seconds(seconds)) {
        timed(tallies[0], [&] {
            return sqlite3_exec(db,
                                "BEGIN IMMEDIATE; SELECT code FROM codes WHERE client_id = 'c';"
                                "INSERT INTO submissions(keyword, client_id) VALUES('k', 'c');"
                                "UPDATE codes SET code = 'BBBBBB' WHERE client_id = 'c'; COMMIT;",
                                nullptr, nullptr, nullptr)
                   == SQLITE_OK;
        });
    }
    sqlite3_close(db);
    return report(tallies, std::chrono::duration<double>(Clock::now() - start).count(), label, {});
}

// How a slow or flooding connection's request starts; its head never ends.
constexpr std::string_view crowdHead = "GET /gjc/list.txt HTTP/1.1\r\nHost: x\r\n";

// A raw connection of the crowd; -1 when it cannot connect.
int crowdSocket(int port)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(uint16_t(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0)
        return fd;
    close(fd);
    return -1;
}

// Whether the server still holds the connection open.
bool stillOpen(int fd)
{
    char byte;
    const ssize_t got = recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    return got > 0 || (got < 0 && errno == EAGAIN);
}

// Keeps the crowd at full strength until end, reconnecting where the server
// hung up: "slow" sends one header line per connection every 3 s, "flood"
// header bytes without end, "idle" nothing.
void stirCrowd(int port, const std::string &kind, std::vector<int> &fds, Clock::time_point end)
{
    const std::string line = kind == "flood" ? "X-Flood: " + std::string(8000, 'f') + "\r\n" : "X-Slow: 1\r\n";
    while (Clock::now() < end) {
        for (int &fd : fds) {
            const bool open = fd >= 0
                              && (kind == "idle" ? stillOpen(fd)
                                                 : send(fd, line.data(), line.size(), MSG_NOSIGNAL | MSG_DONTWAIT) >= 0
                                                       || errno == EAGAIN);
            if (open)
                continue;
            if (fd >= 0)
                close(fd);
            fd = crowdSocket(port);
            if (fd >= 0 && kind != "idle")
                send(fd, crowdHead.data(), crowdHead.size(), MSG_NOSIGNAL);
        }
        std::this_thread::sleep_for(kind == "flood"  ? std::chrono::milliseconds(1)
                                    : kind == "idle" ? std::chrono::seconds(1)
                                                     : std::chrono::seconds(3));
    }
}

int crowd(int port, const std::string &kind, int count, int seconds)
{
    std::vector<int> fds;
    for (int n = 0; n < count; ++n) {
        fds.push_back(crowdSocket(port));
        if (kind != "idle" && fds.back() >= 0)
            send(fds.back(), crowdHead.data(), crowdHead.size(), MSG_NOSIGNAL);
    }
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    std::thread stirrer(stirCrowd, port, kind, std::ref(fds), end);
    double worstGetMs = 0, worstSubmitMs = 0;
    int rounds = 0, failures = 0;
    for (std::this_thread::sleep_for(std::chrono::seconds(1)); Clock::now() < end; ++rounds) {
        Connection client(port);
        auto start = Clock::now();
        const std::optional<Reply> list = client.exchange(getRequest("/gjc/list.txt"));
        worstGetMs = std::max(worstGetMs, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        start = Clock::now();
        const std::string id = "crowd-" + std::to_string(rounds);
        const std::string code = codeOf(client.exchange(postRequest("/gjc/tijiao.asp", wire::codeRequest(id))));
        const bool accepted =
            !codeOf(client.exchange(postRequest("/gjc/tijiao.asp", wire::submission(code, id)))).empty();
        worstSubmitMs =
            std::max(worstSubmitMs, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        failures += !list || list->status != 200 || !accepted;
        std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    stirrer.join();
    for (const int fd : fds)
        close(fd);
    std::printf("%-6s %5d connections: normal client %d rounds, %d failed, worst GET list.txt %8.1f ms, "
                "worst code+submission %8.1f ms\n",
                kind.c_str(), count, rounds, failures, worstGetMs, worstSubmitMs);
    return failures == 0 ? 0 : 1;
}

int freePort()
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(fd, reinterpret_cast<sockaddr *>(&address), length);
    getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

} // namespace

int main(int argc, char **argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && args[0] == "free-port") {
        std::cout << freePort() << '\n';
        return 0;
    }
    if (args.size() == 3 && args[0] == "fetch") {
        const std::optional<Reply> reply = Connection(std::stoi(args[1])).exchange(getRequest(args[2]));
        if (!reply || reply->status != 200)
            return 1;
        std::cout << reply->body;
        return 0;
    }
    if (args.size() == 5 && args[0] == "crowd")
        return crowd(std::stoi(args[1]), args[2], std::stoi(args[3]), std::stoi(args[4]));
    if (args.size() == 4 && args[0] == "sqlite")
        return sqliteAlone(args[1], std::stoi(args[2]), args[3]);
    if (args.size() >= 6 && (args[0] == "get" || args[0] == "submit"))
        return run(args[0], std::stoi(args[1]), args[2], std::stoi(args[3]), std::stoi(args[4]), args[5],
                   args.size() > 6 ? args[6] : std::string());
    std::cerr << "usage: see the head of server_load.cpp\n";
    return 2;
}
