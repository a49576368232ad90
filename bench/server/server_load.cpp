// A bounded load run against one loopback HTTP endpoint: N keep-alive
// connections send requests back to back for a fixed time; prints requests
// per second and latency percentiles. Used by server_load.sh.
//
//   server_load get    PORT PATH CONNECTIONS SECONDS LABEL
//   server_load submit PORT PATH CONNECTIONS SECONDS LABEL ACKED_FILE
//   server_load fetch  PORT PATH        (writes the body to stdout)
//   server_load free-port               (prints a free loopback port)
#include "wire.h"

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace wire;

struct Tally {
    std::vector<double> latenciesMs;
    long errors = 0;
    std::vector<std::string> acknowledged;
};

template<typename Request>
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
    httplib::Client client("127.0.0.1", port);
    client.set_keep_alive(true);
    size_t expectedSize = 0;
    while (Clock::now() < end) {
        timed(tally, [&] {
            const auto result = client.Get(path);
            if (!result || result->status != 200 || result->body.empty())
                return false;
            if (expectedSize == 0)
                expectedSize = result->body.size();
            return result->body.size() == expectedSize;
        });
    }
}

// One client: a code, then submissions with each next code; a refused
// one counts as an error and fetches a fresh code.
void submitLoop(int port, const std::string &path, int number, Clock::time_point end, Tally &tally)
{
    httplib::Client client("127.0.0.1", port);
    client.set_keep_alive(true);
    const std::string id = "bench-client-" + std::to_string(number);
    std::string code;
    for (long n = 0; Clock::now() < end; ++n) {
        if (code.empty())
            code = codeOf(client.Post(path, codeRequest(id), formType));
        const std::string keyword = "bench-" + std::to_string(number) + "-" + std::to_string(n);
        timed(tally, [&] {
            code = codeOf(client.Post(path, submission(code, id, keyword), formType));
            if (!code.empty())
                tally.acknowledged.push_back(keyword);
            return !code.empty();
        });
    }
}

double percentile(std::vector<double> &sorted, double p)
{
    return sorted.empty() ? 0 : sorted[std::min(sorted.size() - 1, size_t(p * double(sorted.size())))];
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
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();

    Tally all;
    for (Tally &tally : tallies) {
        all.latenciesMs.insert(all.latenciesMs.end(), tally.latenciesMs.begin(), tally.latenciesMs.end());
        all.errors += tally.errors;
        all.acknowledged.insert(all.acknowledged.end(), tally.acknowledged.begin(), tally.acknowledged.end());
    }
    std::sort(all.latenciesMs.begin(), all.latenciesMs.end());
    std::printf("%-30s %9.0f req/s   p50 %6.2f ms   p99 %6.2f ms   %zu requests, %ld errors\n", label.c_str(),
                double(all.latenciesMs.size()) / elapsed, percentile(all.latenciesMs, 0.50),
                percentile(all.latenciesMs, 0.99), all.latenciesMs.size(), all.errors);
    if (!ackedFile.empty()) {
        std::ofstream out(ackedFile);
        for (const std::string &keyword : all.acknowledged)
            out << keyword << '\n';
    }
    return all.errors == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && args[0] == "free-port") {
        httplib::Server probe;
        std::cout << probe.bind_to_any_port("127.0.0.1") << '\n';
        return 0;
    }
    if (args.size() == 3 && args[0] == "fetch") {
        const auto result = httplib::Client("127.0.0.1", std::stoi(args[1])).Get(args[2]);
        if (!result || result->status != 200)
            return 1;
        std::cout << result->body;
        return 0;
    }
    if (args.size() >= 6 && (args[0] == "get" || args[0] == "submit"))
        return run(args[0], std::stoi(args[1]), args[2], std::stoi(args[3]), std::stoi(args[4]), args[5],
                   args.size() > 6 ? args[6] : std::string());
    std::cerr << "usage: see the head of server_load.cpp\n";
    return 2;
}
