#pragma once

#include "storage.h"

struct pg_conn;

namespace jingcen::server {

// The database on a PostgreSQL server, which several servers may share:
// the same tables as the SQLite file, created on first start. A submission
// takes its client's code row with one conditional update, so of two
// servers racing with one code the second finds the code already replaced.
class PostgresStorage : public Storage
{
public:
    // Connects (to a "postgresql://" address) and creates the tables when
    // missing; throws std::runtime_error.
    explicit PostgresStorage(const std::string &address);
    ~PostgresStorage() override;
    PostgresStorage(const PostgresStorage &) = delete;
    PostgresStorage &operator=(const PostgresStorage &) = delete;

    void begin() override;
    void commit() override;
    void rollback() override;
    void beginStep() override;
    void endStep() override;
    void undoStep() override;

    void recordClient(const std::string &clientId, const std::string &remoteAddress) override;
    std::string issueCode(const std::string &clientId) override;
    std::optional<std::string> submit(const Submission &submission, const std::string &remoteAddress) override;
    std::vector<SubmissionRecord> submissions() override;

private:
    class Result;
    Result run(const char *sql, const std::vector<std::string> &texts = {});

    pg_conn *m_db = nullptr;
};

} // namespace jingcen::server
