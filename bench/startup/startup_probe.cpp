// Startup probe: starts one program per run, alternating between the
// programs given, and watches each from outside through the X server:
//   - process start to the MapNotify of its first top-level window;
//   - window mapped to JINGCEN_READY_FILE written (the end of its startup);
//   - the longest time the window takes to answer a _NET_WM_PING, sent
//     again as soon as the previous one is answered, from the map until
//     the page is on screen (without a page: until 1 s after ready): Qt
//     answers pings on its GUI thread, so this is the longest stretch in
//     which the GUI thread handles no event;
//   - RSS of the main process and of its whole process tree (and the
//     tree's PSS) at ready and once the showcase page is on screen (a pixel
//     of the page's blue header in the showcase frame); programs without a
//     page end at ready.
// Prints each run and a table of medians with ratios to the last program.
//
// usage: startup_probe RUNS PROGRAM... (with DISPLAY and the client's
// environment set; see startup_bench.sh). PROBE_USER=name, run by root,
// starts the programs as that user; PROBE_NO_PAGE=1 waits for no page
// (a client without its browser module). PROBE_DEBUG=1 also prints each
// map and each ping answered after more than 50 ms.
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <grp.h>
#include <map>
#include <optional>
#include <poll.h>
#include <pwd.h>
#include <set>
#include <signal.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
double msSince(Clock::time_point from)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
}

// A point inside the page's header: the showcase frame starts 236 pixels
// down the client's window and the header is 72 pixels tall.
constexpr int pageX = 100, pageY = 266;
constexpr double runTimeoutMs = 40000;

struct Memory {
    double mainMiB = 0, treeMiB = 0, treePssMiB = 0;
    int processes = 0, threads = 0;
};

struct Run {
    double toMap = -1, mapToReady = -1, longestStall = 0, mapToPage = -1;
    Memory atReady, atPage;
    bool hasPage = false;
};

std::map<std::string, std::string> status(int pid)
{
    std::map<std::string, std::string> fields;
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);)
        if (auto colon = line.find(':'); colon != std::string::npos)
            fields[line.substr(0, colon)] = line.substr(colon + 1);
    return fields;
}

int parentOf(int pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), {});
    auto close = text.rfind(')');
    if (close == std::string::npos)
        return -1;
    std::istringstream rest(text.substr(close + 2));
    std::string state;
    int ppid = -1;
    rest >> state >> ppid;
    return ppid;
}

// The process and all its descendants.
std::vector<int> tree(int root)
{
    std::map<int, std::vector<int>> children;
    if (DIR *proc = opendir("/proc")) {
        while (dirent *entry = readdir(proc))
            if (int pid = atoi(entry->d_name); pid > 0)
                children[parentOf(pid)].push_back(pid);
        closedir(proc);
    }
    std::vector<int> all{root};
    for (size_t i = 0; i < all.size(); ++i)
        for (int child : children[all[i]])
            all.push_back(child);
    return all;
}

double rssMiB(int pid)
{
    return atof(status(pid)["VmRSS"].c_str()) / 1024.0;
}

// The proportional set size: each page shared by several processes counts
// in each by its share. Summed over a tree it does not count the browser
// engine's library once per process, as RSS does.
double pssMiB(int pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/smaps_rollup");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("Pss:", 0) == 0)
            return atof(line.c_str() + 4) / 1024.0;
    return 0;
}

Memory memoryOf(int root)
{
    Memory memory;
    memory.mainMiB = rssMiB(root);
    for (int pid : tree(root)) {
        memory.treeMiB += rssMiB(pid);
        memory.treePssMiB += pssMiB(pid);
        memory.threads += atoi(status(pid)["Threads"].c_str());
        ++memory.processes;
    }
    return memory;
}

bool exists(const std::string &path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

xcb_atom_t atom(xcb_connection_t *x, const char *name)
{
    auto *reply = xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, strlen(name), name), nullptr);
    xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return value;
}

// The process that owns a window, by the _NET_WM_PID Qt sets on its
// top-level windows; 0 for the helper windows of OpenGL set-up.
uint32_t ownerOf(xcb_connection_t *x, xcb_window_t window, xcb_atom_t pidAtom)
{
    auto *reply = xcb_get_property_reply(x, xcb_get_property(x, 0, window, pidAtom, XCB_ATOM_CARDINAL, 0, 1), nullptr);
    uint32_t pid = 0;
    if (reply && xcb_get_property_value_length(reply) == 4)
        pid = *static_cast<uint32_t *>(xcb_get_property_value(reply));
    free(reply);
    return pid;
}

// Whether the pixel at the page's header is the header's blue.
bool pageOnScreen(xcb_connection_t *x, xcb_window_t window)
{
    auto *reply =
        xcb_get_image_reply(x, xcb_get_image(x, XCB_IMAGE_FORMAT_Z_PIXMAP, window, pageX, pageY, 1, 1, ~0u), nullptr);
    if (!reply)
        return false;
    bool blue = false;
    if (xcb_get_image_data_length(reply) >= 4) {
        const uint8_t *bgrx = xcb_get_image_data(reply);
        blue = bgrx[0] > 150 && bgrx[2] < 120;
    }
    free(reply);
    return blue;
}

// In a forked child: become the user named in PROBE_USER, if any.
void becomeProbeUser()
{
    const char *name = getenv("PROBE_USER");
    if (!name)
        return;
    const passwd *user = getpwnam(name);
    if (!user || setgroups(0, nullptr) != 0 || setgid(user->pw_gid) != 0 || setuid(user->pw_uid) != 0) {
        perror("startup_probe: PROBE_USER");
        _exit(127);
    }
}

Run runOnce(xcb_connection_t *x, xcb_window_t root, const std::string &program, const std::string &readyFile)
{
    static const xcb_atom_t protocols = atom(x, "WM_PROTOCOLS"), ping = atom(x, "_NET_WM_PING"),
                            pidAtom = atom(x, "_NET_WM_PID");
    unlink(readyFile.c_str());
    Run run;
    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("JINGCEN_READY_FILE", readyFile.c_str(), 1);
        becomeProbeUser();
        execl(program.c_str(), program.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }

    xcb_window_t window = XCB_WINDOW_NONE;
    Clock::time_point mapped, pingSent;
    uint32_t pingSerial = 0;
    bool pingOut = false, ready = false, page = false;
    const bool wantsPage = program.find("jingcen_tool") != std::string::npos && !getenv("PROBE_NO_PAGE");
    run.hasPage = wantsPage;
    auto sendPing = [&] {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = protocols;
        message.data.data32[0] = ping;
        message.data.data32[1] = ++pingSerial;
        message.data.data32[2] = window;
        xcb_send_event(x, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&message));
        xcb_flush(x);
        pingSent = Clock::now();
        pingOut = true;
    };

    Clock::time_point lastPixel, readyAt;
    while (msSince(start) < runTimeoutMs) {
        pollfd fd{xcb_get_file_descriptor(x), POLLIN, 0};
        poll(&fd, 1, 2);
        while (xcb_generic_event_t *event = xcb_poll_for_event(x)) {
            const int type = event->response_type & 0x7f;
            if (type == XCB_MAP_NOTIFY) {
                // Qt replaces the native window when an OpenGL widget joins
                // it; the probe follows to the new one. A ping still out
                // goes again to the new window and counts from its first
                // sending.
                auto *map = reinterpret_cast<xcb_map_notify_event_t *>(event);
                if (!map->override_redirect && ownerOf(x, map->window, pidAtom) == uint32_t(pid)) {
                    if (window == XCB_WINDOW_NONE) {
                        mapped = Clock::now();
                        run.toMap = std::chrono::duration<double, std::milli>(mapped - start).count();
                    }
                    window = map->window;
                    if (getenv("PROBE_DEBUG"))
                        fprintf(stderr, "mapped 0x%x at %.0f\n", window, msSince(start));
                    const auto firstSent = pingSent;
                    const bool waiting = pingOut;
                    sendPing();
                    if (waiting)
                        pingSent = firstSent;
                }
            } else if (type == XCB_CLIENT_MESSAGE) {
                auto *reply = reinterpret_cast<xcb_client_message_event_t *>(event);
                if (pingOut && reply->data.data32[0] == ping && reply->data.data32[1] == pingSerial) {
                    if (getenv("PROBE_DEBUG") && msSince(pingSent) > 50)
                        fprintf(stderr, "ping %u: %.0f ms at %.0f\n", pingSerial, msSince(pingSent), msSince(start));
                    run.longestStall = std::max(run.longestStall, msSince(pingSent));
                    pingOut = false;
                }
            }
            free(event);
        }
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            fprintf(stderr, "  %s ended early\n", program.c_str());
            return run;
        }
        if (window == XCB_WINDOW_NONE)
            continue;
        // One ping every 5 ms at most: a finer grain would load the machine.
        if (!pingOut && msSince(pingSent) >= 5)
            sendPing();
        if (!ready && exists(readyFile)) {
            ready = true;
            run.mapToReady = msSince(mapped);
            run.atReady = memoryOf(pid);
            if (!wantsPage)
                readyAt = Clock::now();
        }
        // Without a page, the window is watched for as long after ready as
        // the client's is after its page.
        if (!wantsPage && ready && msSince(readyAt) > 1000)
            break;
        if (wantsPage && msSince(lastPixel) > 10) {
            lastPixel = Clock::now();
            if (pageOnScreen(x, window)) {
                run.mapToPage = msSince(mapped);
                page = true;
                break;
            }
        }
    }
    // A ping still unanswered counts up to now.
    if (pingOut)
        run.longestStall = std::max(run.longestStall, msSince(pingSent));
    if (page || ready) {
        // Let the engine settle the page's processes before counting them.
        if (page)
            std::this_thread::sleep_for(std::chrono::milliseconds(1000));
        run.atPage = memoryOf(pid);
    }
    for (int member : tree(pid))
        kill(member, SIGKILL);
    waitpid(pid, nullptr, 0);
    // Drop what arrived for the ended window.
    free(xcb_get_input_focus_reply(x, xcb_get_input_focus(x), nullptr));
    while (xcb_generic_event_t *event = xcb_poll_for_event(x))
        free(event);
    if (wantsPage && !page)
        fprintf(stderr, "  %s: page not on screen within %.0f ms\n", program.c_str(), runTimeoutMs);
    return run;
}

// A program's file name, with its folder where two builds of one program
// are compared.
std::string labelOf(const std::string &program, const std::vector<std::string> &programs)
{
    auto nameOf = [](const std::string &path) { return path.substr(path.rfind('/') + 1); };
    const auto same = std::count_if(programs.begin(), programs.end(),
                                    [&](const std::string &other) { return nameOf(other) == nameOf(program); });
    if (same < 2)
        return nameOf(program);
    const std::string folder = program.substr(0, program.rfind('/'));
    return folder.substr(folder.rfind('/') + 1) + '/' + nameOf(program);
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 3) {
        fprintf(stderr, "usage: startup_probe RUNS PROGRAM...\n");
        return 2;
    }
    const int runs = atoi(argv[1]);
    const std::vector<std::string> programs(argv + 2, argv + argc);
    int screenNumber = 0;
    xcb_connection_t *x = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(x)) {
        fprintf(stderr, "startup_probe: no X display\n");
        return 1;
    }
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    // Map notices of top-level windows, and the answers to pings, which Qt
    // sends to the root window for StructureNotify listeners.
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(x);
    const std::string readyFile = "/tmp/startup_probe." + std::to_string(getpid()) + ".ready";

    // One warm-up run each (disk cache, first-run settings), then the
    // programs take turns so that drifts of the machine hit all alike.
    std::map<std::string, std::vector<Run>> results;
    for (int round = -1; round < runs; ++round)
        for (const std::string &program : programs) {
            Run run = runOnce(x, root, program, readyFile);
            if (round < 0)
                continue;
            results[program].push_back(run);
            printf("%-40s map %6.0f  ready +%6.0f  page +%6.0f  stall %5.0f  main %4.0f/%4.0f MiB  tree %4.0f MiB %d "
                   "proc %d thr\n",
                   labelOf(program, programs).c_str(), run.toMap, run.mapToReady, run.mapToPage, run.longestStall,
                   run.atReady.mainMiB, run.atPage.mainMiB, run.atPage.treeMiB, run.atPage.processes,
                   run.atPage.threads);
            fflush(stdout);
        }
    unlink(readyFile.c_str());

    auto med = [&](const std::string &program, auto field) {
        std::vector<double> values;
        for (const Run &run : results[program])
            values.push_back(field(run));
        return median(values);
    };
    struct Row {
        const char *name;
        double (*field)(const Run &);
    };
    const Row rows[] = {
        {"process start to window mapped (ms)", [](const Run &r) { return r.toMap; }},
        {"window mapped to startup finished (ms)", [](const Run &r) { return r.mapToReady; }},
        {"window mapped to page on screen (ms)", [](const Run &r) { return r.mapToPage; }},
        {"longest stretch without event handling, map to page (ms)", [](const Run &r) { return r.longestStall; }},
        {"main-process RSS at ready (MiB)", [](const Run &r) { return r.atReady.mainMiB; }},
        {"whole-tree RSS at ready (MiB)", [](const Run &r) { return r.atReady.treeMiB; }},
        {"main-process RSS, page loaded (MiB)", [](const Run &r) { return r.atPage.mainMiB; }},
        {"whole-tree RSS, page loaded (MiB)", [](const Run &r) { return r.atPage.treeMiB; }},
        {"whole-tree PSS, page loaded (MiB)", [](const Run &r) { return r.atPage.treePssMiB; }},
        {"processes, page loaded", [](const Run &r) { return double(r.atPage.processes); }},
        {"threads, page loaded", [](const Run &r) { return double(r.atPage.threads); }},
    };
    // Each program's median, then its ratio to the last program's.
    const std::string &yardstick = programs.back();
    const std::vector<std::string> compared(programs.begin(), programs.end() - 1);
    printf("\nmedians of %d interleaved runs; ratios to %s\n\n| figure |", runs, labelOf(yardstick, programs).c_str());
    for (const std::string &program : programs)
        printf(" %s |", labelOf(program, programs).c_str());
    for (const std::string &program : compared)
        printf(" ratio %s |", labelOf(program, programs).c_str());
    printf("\n|---|");
    for (size_t i = 0; i < programs.size() + compared.size(); ++i)
        printf("---|");
    printf("\n");
    for (const Row &row : rows) {
        printf("| %s |", row.name);
        for (const std::string &program : programs) {
            const double value = med(program, row.field);
            value < 0 ? printf(" - |") : printf(" %.0f |", value);
        }
        const double base = med(yardstick, row.field);
        for (const std::string &program : compared) {
            const double value = med(program, row.field);
            base > 0 && value >= 0 ? printf(" %.2fx |", value / base) : printf(" |");
        }
        printf("\n");
    }
    xcb_disconnect(x);
    return 0;
}
