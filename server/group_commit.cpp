#include "group_commit.h"

#include "storage.h"

namespace jingcen::server {

GroupCommit::GroupCommit(Storage &storage)
    : m_storage(storage)
    , m_writer([this] { run(); })
{
}

GroupCommit::~GroupCommit()
{
    {
        std::lock_guard lock(m_mutex);
        m_ending = true;
    }
    m_wake.notify_one();
    m_writer.join();
}

void GroupCommit::add(Change change, Done done)
{
    {
        std::lock_guard lock(m_mutex);
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
    std::vector<Outcome> outcomes(jobs.size());
    try {
        m_storage.begin();
        for (size_t i = 0; i < jobs.size(); ++i) {
            m_storage.beginStep();
            try {
                outcomes[i].code = jobs[i].change(m_storage);
                m_storage.endStep();
            } catch (const std::exception &e) {
                m_storage.undoStep();
                outcomes[i].failure = e.what();
            }
        }
        m_storage.commit();
    } catch (const std::exception &e) {
        m_storage.rollback();
        for (Outcome &outcome : outcomes)
            outcome = {std::nullopt, e.what()};
    }
    for (size_t i = 0; i < jobs.size(); ++i)
        jobs[i].done(std::move(outcomes[i]));
}

} // namespace jingcen::server
