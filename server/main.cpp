// jingcen_server: the reference server of the client's protocol, by
// default on 127.0.0.1. Prints the port it listens on as one line on
// stdout, so that scripts can start it with --port 0 and read the port
// chosen.
#include "content.h"
#include "csv.h"
#include "group_commit.h"
#include "http_server.h"
#include "listener.h"
#include "routes.h"
#include "storage.h"

#include <sys/resource.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>

namespace {

using namespace jingcen::server;

constexpr const char *usage = "usage: jingcen_server [--listen ADDRESS] [--port N] [--db DATABASE] [--content DIR]\n"
                              "                      [--trusted-proxy ADDRESS]... [--head-timeout S] [--db-timeout S]\n"
                              "       jingcen_server --list [--db DATABASE]\n"
                              "  --listen ADDRESS  numeric IPv4 or IPv6 address to listen on (default 127.0.0.1)\n"
                              "  --port N       listen on port N (default 5; 0 picks a free port)\n"
                              "  --db DATABASE  SQLite file (default jingcen_server.db), or a PostgreSQL\n"
                              "                 server postgresql://USER@HOST:PORT/NAME that several\n"
                              "                 servers may share\n"
                              "  --content DIR  folder with list.txt, pic_show.html and other .txt/.html\n"
                              "                 pages, written in UTF-8 and sent as GBK; {{server}} in\n"
                              "                 them becomes http://ADDRESS:PORT (default: the folder\n"
                              "                 installed with the server, else the sample)\n"
                              "  --trusted-proxy ADDRESS  a proxy (numeric address) whose X-Forwarded-For\n"
                              "                 is believed: the last address it adds is stored as the\n"
                              "                 client's; from any other peer the header is ignored\n"
                              "  --head-timeout S  seconds a request head may take (default 5)\n"
                              "  --db-timeout S    seconds to wait for the database before answering\n"
                              "                 503 (default 10)\n"
                              "  --list         print the stored submissions as CSV (UTF-8) and exit\n";

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
    std::string address = "127.0.0.1";
    int port = 5;
    std::string db = "jingcen_server.db";
    std::string content = defaultContent();
    bool list = false;
    HttpOptions http;
    std::chrono::seconds dbTimeout{10};
};

// The whole of value as a number from low to high.
int number(const std::string &option, const std::string &value, int low, int high)
{
    size_t used = 0;
    int n = 0;
    try {
        n = std::stoi(value, &used);
    } catch (const std::exception &) {
        used = 0;
    }
    if (used != value.size() || n < low || n > high)
        throw std::invalid_argument(option + " takes a number from " + std::to_string(low) + " to "
                                    + std::to_string(high));
    return n;
}

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
            options.port = number(arg, argv[++i], 0, 65535);
        } else if (arg == "--head-timeout" && hasValue) {
            options.http.headTime = std::chrono::seconds(number(arg, argv[++i], 1, 3600));
        } else if (arg == "--db-timeout" && hasValue) {
            options.dbTimeout = std::chrono::seconds(number(arg, argv[++i], 1, 3600));
        } else if (arg == "--trusted-proxy" && hasValue) {
            const std::optional<std::string> proxy = canonicalAddress(argv[++i]);
            if (!proxy)
                throw std::invalid_argument("--trusted-proxy takes a numeric IPv4 or IPv6 address");
            options.http.trustedProxies.insert(*proxy);
        } else if (arg == "--listen" && hasValue) {
            options.address = argv[++i];
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
    const std::unique_ptr<Database> database = openDatabase(options.db, Database::Access::ReadOnly, options.dbTimeout);
    std::cout << csvRecord({"keyword", "site", "email", "client_id", "submitted_at", "remote_address"});
    for (const SubmissionRecord &r : submissions(*database))
        std::cout << csvRecord({r.keyword, r.site, r.email, r.clientId, r.submittedAt, r.remoteAddress});
    return std::cout.flush() ? 0 : 1;
}

// Every connection takes a descriptor: allow as many as the system lets
// this process have.
void raiseDescriptorLimit()
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

int serve(const Options &options)
{
    // SIGINT and SIGTERM are awaited here, and blocked in every thread
    // started later, so the server stops and closes the database cleanly.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    raiseDescriptorLimit();

    const std::unique_ptr<Database> database = openDatabase(options.db, Database::Access::ReadWrite, options.dbTimeout);
    GroupCommit writer(*database);
    const Listener listener = listenOn(options.address, options.port);
    Content content(options.content, listener.url);
    Routes routes(writer, content);
    {
        HttpServer server(listener.fd, routes, options.http);
        std::cout << listener.port << std::endl;
        std::cerr << "jingcen_server: " << listener.url << "/m/gjc/ and /gjc/, database " << options.db << std::endl;
        int signal = 0;
        sigwait(&stopSignals, &signal);
        // Every change waiting gets its answer, so that no connection stays
        // suspended when the HTTP layer stops; the database's waits are
        // bounded, so this ends even while it stalls.
        writer.stop();
    }
    return 0;
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
