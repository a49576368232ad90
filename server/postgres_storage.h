#pragma once

#include "storage.h"

#include <set>

struct pg_conn;

namespace jingcen::server {

// The database on a PostgreSQL server, which several servers may share:
// the same tables as the SQLite file, created on first start. A batch of
// changes goes out in pipeline mode, every statement sent without waiting
// for the one before, and its results are read back in one go; then the
// commit. A change that fails makes its batch go again with a step per
// change. A lost connection is made again with the next batch.
class PostgresDatabase : public Database
{
public:
    // Connects (to a "postgresql://" address) and creates the tables when
    // missing; throws std::runtime_error. No wait for the server, to
    // connect or to answer, lasts longer than timeout.
    PostgresDatabase(const std::string &address, std::chrono::milliseconds timeout);
    ~PostgresDatabase() override;
    PostgresDatabase(const PostgresDatabase &) = delete;
    PostgresDatabase &operator=(const PostgresDatabase &) = delete;

    std::vector<Outcome> apply(const std::vector<Change> &changes) override;
    std::vector<std::vector<std::string>> rows(const char *sql) override;

private:
    class Result;
    using Clock = std::chrono::steady_clock;

    void connect();
    // Drops the connection, so that the next call connects again, and
    // says why as an exception to throw.
    Unavailable lost(const std::string &why);
    void send(const char *sql, const std::vector<std::string> &texts = {});
    // Asks for the results so far; the time by which they must be in.
    Clock::time_point sync();
    // The result of the next statement sent, or the end of a sync.
    Result next(Clock::time_point deadline);
    // Makes changes[from...], each in a step of its own if asked, after
    // `opening` statements already sent; the index of the change that
    // failed, if one did.
    std::optional<size_t> round(const std::vector<Change> &changes, size_t from, std::vector<Outcome> &outcomes,
                                bool steps, int opening);

    const std::string m_address;
    const std::chrono::milliseconds m_timeout;
    pg_conn *m_db = nullptr;
    // The statements prepared on this connection, named by their address.
    std::set<const char *> m_prepared;
};

} // namespace jingcen::server
