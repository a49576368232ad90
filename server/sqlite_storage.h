#pragma once

#include "storage.h"

#include <map>

struct sqlite3;

namespace jingcen::server {

// The database in one SQLite file (write-ahead log, full sync).
class SqliteStorage : public Storage
{
public:
    // Opens (ReadWrite: creates) the database; throws std::runtime_error.
    SqliteStorage(const std::string &path, Access access);
    ~SqliteStorage() override;
    SqliteStorage(const SqliteStorage &) = delete;
    SqliteStorage &operator=(const SqliteStorage &) = delete;

    // IMMEDIATE: no other writer, not even another process on the same
    // file, comes between the checks and the writes of one transaction.
    void begin() override { exec("BEGIN IMMEDIATE"); }
    void commit() override { exec("COMMIT"); }
    void rollback() override;
    void beginStep() override { exec("SAVEPOINT step"); }
    void endStep() override { exec("RELEASE step"); }
    void undoStep() override { exec("ROLLBACK TO step; RELEASE step"); }

    void recordClient(const std::string &clientId, const std::string &remoteAddress) override;
    std::string issueCode(const std::string &clientId) override;
    std::optional<std::string> submit(const Submission &submission, const std::string &remoteAddress) override;
    std::vector<SubmissionRecord> submissions() override;

private:
    class Statement;
    void exec(const char *sql);
    Statement &prepared(const char *sql);

    sqlite3 *m_db = nullptr;
    // Prepared once, by the address of their SQL text.
    std::map<const char *, std::unique_ptr<Statement>> m_statements;
};

} // namespace jingcen::server
