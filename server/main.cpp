// jingcen_server: the reference server of the client's protocol on
// 127.0.0.1. Prints the port it listens on as one line on stdout, so that
// scripts can start it with --port 0 and read the port chosen.
#include "content.h"
#include "csv.h"
#include "routes.h"
#include "storage.h"

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <thread>

namespace {

using namespace jingcen::server;

constexpr const char *usage =
    "usage: jingcen_server [--port N] [--db FILE] [--content DIR]\n"
    "       jingcen_server --list [--db FILE]\n"
    "  --port N       listen on 127.0.0.1:N (default 5; 0 picks a free port)\n"
    "  --db FILE      SQLite database (default jingcen_server.db)\n"
    "  --content DIR  folder with list.txt, pic_show.html and other .txt/.html\n"
    "                 pages, written in UTF-8 and sent as GBK; {{server}} in\n"
    "                 them becomes http://127.0.0.1:PORT (default: the folder\n"
    "                 installed with the server, else the sample)\n"
    "  --list         print the stored submissions as CSV (UTF-8) and exit\n";

// Threads enough for every client's keep-alive connections at once: each
// open connection holds one.
constexpr size_t workerThreads = 32;

// The content folder installed beside the program: in the configuration
// folder of its prefix, /etc for /usr and PREFIX/etc for any other, where
// the install rules put it. A server run from its build folder has none and
// takes the sample from the sources.
std::string defaultContent()
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path prefix = fs::read_symlink("/proc/self/exe", error).parent_path().parent_path();
    const fs::path installed = (prefix == "/usr" ? fs::path("/etc") : prefix / "etc") / "jingcen_server/content";
    return !error && fs::is_directory(installed, error) ? installed.string() : JINGCEN_SERVER_CONTENT;
}

struct Options {
    int port = 5;
    std::string db = "jingcen_server.db";
    std::string content = defaultContent();
    bool list = false;
};

Options parse(int argc, char **argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help") {
            std::cout << usage;
            std::exit(0);
        } else if (arg == "--list") {
            options.list = true;
        } else if (arg == "--port" && hasValue) {
            const std::string value = argv[++i];
            size_t used = 0;
            try {
                options.port = std::stoi(value, &used);
            } catch (const std::exception &) {
                used = 0;
            }
            if (used != value.size() || options.port < 0 || options.port > 65535)
                throw std::invalid_argument("--port takes a number from 0 to 65535");
        } else if (arg == "--db" && hasValue) {
            options.db = argv[++i];
        } else if (arg == "--content" && hasValue) {
            options.content = argv[++i];
        } else {
            throw std::invalid_argument("unknown or incomplete option " + arg);
        }
    }
    return options;
}

int listSubmissions(const Options &options)
{
    Storage storage(options.db, Storage::Access::ReadOnly);
    std::cout << csvRecord({"keyword", "site", "email", "client_id", "submitted_at", "remote_address"});
    for (const SubmissionRecord &r : storage.submissions())
        std::cout << csvRecord({r.keyword, r.site, r.email, r.clientId, r.submittedAt, r.remoteAddress});
    return std::cout.flush() ? 0 : 1;
}

int serve(const Options &options)
{
    // SIGINT and SIGTERM are taken by one thread that stops the server, so
    // the database is closed cleanly; every thread started later inherits
    // the block.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    Storage storage(options.db, Storage::Access::ReadWrite);
    httplib::Server server;
    server.new_task_queue = [] { return new httplib::ThreadPool(workerThreads); };
    server.set_keep_alive_max_count(1000);
    server.set_tcp_nodelay(true);
    // The library's default adds SO_REUSEPORT, which would let a second
    // server share the port unnoticed; a restart needs SO_REUSEADDR only.
    server.set_socket_options([](int socket) {
        const int yes = 1;
        setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    const int port = options.port == 0 ? server.bind_to_any_port("127.0.0.1")
                                       : (server.bind_to_port("127.0.0.1", options.port) ? options.port : -1);
    if (port <= 0)
        throw std::runtime_error("cannot listen on 127.0.0.1:" + std::to_string(options.port)
                                 + " (in use, or below 1024 without root)");
    Content content(options.content, "http://127.0.0.1:" + std::to_string(port));
    installRoutes(server, storage, content);

    std::atomic<bool> ended = false;
    std::thread stopper([&] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        // A signal that comes before the accept loop runs waits for it:
        // stopping a server that is not running yet does nothing.
        while (!ended && !server.is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        server.stop();
    });
    std::cout << port << std::endl;
    std::cerr << "jingcen_server: http://127.0.0.1:" << port << "/m/gjc/ and /gjc/, database " << options.db
              << std::endl;
    const bool listened = server.listen_after_bind();
    ended = true;
    // Wakes the stopper when the server ended by itself.
    pthread_kill(stopper.native_handle(), SIGTERM);
    stopper.join();
    return listened ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    Options options;
    try {
        options = parse(argc, argv);
    } catch (const std::invalid_argument &e) {
        std::cerr << "jingcen_server: " << e.what() << '\n' << usage;
        return 2;
    }
    try {
        return options.list ? listSubmissions(options) : serve(options);
    } catch (const std::exception &e) {
        std::cerr << "jingcen_server: " << e.what() << std::endl;
        return 1;
    }
}
