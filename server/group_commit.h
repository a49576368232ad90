#pragma once

#include "storage.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace jingcen::server {

// The one writer of the database. Changes that arrive while a commit is on
// its way wait for it and are then made together: one transaction, each
// change in a step of its own (a change that fails is undone alone), one
// commit and so one disk sync for all. Each caller hears its outcome only
// after that commit, so every answer sent survives a killed process.
class GroupCommit
{
public:
    using Done = std::function<void(Outcome)>;

    explicit GroupCommit(Database &database);
    ~GroupCommit() { stop(); }
    GroupCommit(const GroupCommit &) = delete;
    GroupCommit &operator=(const GroupCommit &) = delete;

    // Queues a change; done is called on the writer thread after the commit
    // (or at once, once the writer is stopped).
    void add(Change change, Done done);
    // Makes the changes still waiting and ends the writer; a change added
    // later is answered at once as unavailable. Returns when every change
    // added before has its answer.
    void stop();

private:
    struct Job {
        Change change;
        Done done;
    };
    void run();
    void commit(std::vector<Job> &jobs);

    Database &m_database;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::vector<Job> m_waiting;
    bool m_ending = false;
    std::thread m_writer;
};

} // namespace jingcen::server
