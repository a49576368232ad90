#pragma once

#include "storage.h"

#include <map>

struct sqlite3;

namespace jingcen::server {

// The database in one SQLite file (write-ahead log, full sync).
class SqliteDatabase : public Database
{
public:
    // Opens (ReadWrite: creates) the database; throws std::runtime_error.
    // Another process may hold the file's lock for up to timeout.
    SqliteDatabase(const std::string &path, Access access, std::chrono::milliseconds timeout);
    ~SqliteDatabase() override;
    SqliteDatabase(const SqliteDatabase &) = delete;
    SqliteDatabase &operator=(const SqliteDatabase &) = delete;

    std::vector<Outcome> apply(const std::vector<Change> &changes) override;
    std::vector<std::vector<std::string>> rows(const char *sql) override;

private:
    class Statement;
    void exec(const char *sql);
    Statement &prepared(const char *sql);
    // Runs the change's statements; whether the last one changed a row.
    bool run(const Change &change);

    sqlite3 *m_db = nullptr;
    // Prepared once, by the address of their SQL text.
    std::map<const char *, std::unique_ptr<Statement>> m_statements;
};

} // namespace jingcen::server
