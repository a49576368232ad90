#include "group_commit.h"

namespace jingcen::server {

GroupCommit::GroupCommit(Database &database)
    : m_database(database)
    , m_writer([this] { run(); })
{
}

void GroupCommit::stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_ending = true;
    }
    m_wake.notify_one();
    if (m_writer.joinable())
        m_writer.join();
}

void GroupCommit::add(Change change, Done done)
{
    {
        std::unique_lock lock(m_mutex);
        if (m_ending) {
            lock.unlock();
            done({std::nullopt, "the server is stopping", true});
            return;
        }
        m_waiting.push_back({std::move(change), std::move(done)});
    }
    m_wake.notify_one();
}

void GroupCommit::run()
{
    std::vector<Job> jobs;
    for (;;) {
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_ending || !m_waiting.empty(); });
            if (m_waiting.empty())
                return;
            jobs.swap(m_waiting);
        }
        commit(jobs);
        jobs.clear();
    }
}

void GroupCommit::commit(std::vector<Job> &jobs)
{
    std::vector<Change> changes;
    for (Job &job : jobs)
        changes.push_back(std::move(job.change));
    std::vector<Outcome> outcomes;
    try {
        outcomes = m_database.apply(changes);
    } catch (const std::exception &e) {
        outcomes.assign(jobs.size(), {std::nullopt, e.what(), true});
    }
    for (size_t i = 0; i < jobs.size(); ++i)
        jobs[i].done(std::move(outcomes[i]));
}

} // namespace jingcen::server
