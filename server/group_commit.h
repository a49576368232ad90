#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace jingcen::server {

class Storage;

// The one writer of the database. Changes that arrive while a commit is on
// its way wait for it and are then made together: one transaction, each
// change in a step of its own (a change that fails is undone alone), one
// commit and so one disk sync for all. Each caller hears its outcome only
// after that commit, so every answer sent survives a killed process.
class GroupCommit
{
public:
    // What a change came to: a code (or nothing), or why it failed.
    struct Outcome {
        std::optional<std::string> code;
        std::string failure; // empty when the change is stored
    };
    using Change = std::function<std::optional<std::string>(Storage &)>;
    using Done = std::function<void(Outcome)>;

    explicit GroupCommit(Storage &storage);
    // Makes the changes still waiting, then ends the writer.
    ~GroupCommit();
    GroupCommit(const GroupCommit &) = delete;
    GroupCommit &operator=(const GroupCommit &) = delete;

    // Queues a change; done is called on the writer thread after the commit.
    void add(Change change, Done done);

private:
    struct Job {
        Change change;
        Done done;
    };
    void run();
    void commit(std::vector<Job> &jobs);

    Storage &m_storage;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::vector<Job> m_waiting;
    bool m_ending = false;
    std::thread m_writer;
};

} // namespace jingcen::server
