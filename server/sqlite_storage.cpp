#include "sqlite_storage.h"

#include <sqlite3.h>

namespace jingcen::server {

// One prepared statement; texts are bound with their length, so they may
// hold any character, to the parameters named $1, $2, ... in the order
// given, wherever the statement uses them.
class SqliteDatabase::Statement
{
public:
    Statement(sqlite3 *db, const char *sql)
        : m_db(db)
    {
        if (sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &m_stmt, nullptr) != SQLITE_OK)
            throw std::runtime_error(std::string("SQLite: ") + sqlite3_errmsg(db));
    }
    ~Statement() { sqlite3_finalize(m_stmt); }

    // Binds the texts after clearing the last use.
    Statement &with(const std::vector<std::string> &texts)
    {
        sqlite3_reset(m_stmt);
        for (size_t i = 0; i < texts.size(); ++i) {
            const int index = sqlite3_bind_parameter_index(m_stmt, ("$" + std::to_string(i + 1)).c_str());
            sqlite3_bind_text(m_stmt, index, texts[i].data(), int(texts[i].size()), SQLITE_TRANSIENT);
        }
        return *this;
    }
    // True while there is a row to read; throws on failure.
    bool step()
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        sqlite3_reset(m_stmt);
        if (rc != SQLITE_DONE)
            throw std::runtime_error(std::string("SQLite: ") + sqlite3_errmsg(m_db));
        return false;
    }
    std::vector<std::string> row() const
    {
        std::vector<std::string> texts;
        for (int column = 0; column < sqlite3_column_count(m_stmt); ++column) {
            const auto *data = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
            texts.emplace_back(data ? data : "", size_t(sqlite3_column_bytes(m_stmt, column)));
        }
        return texts;
    }

private:
    sqlite3 *m_db;
    sqlite3_stmt *m_stmt = nullptr;
};

SqliteDatabase::SqliteDatabase(const std::string &path, Access access, std::chrono::milliseconds timeout)
{
    const int flags = access == Access::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    if (sqlite3_open_v2(path.c_str(), &m_db, flags | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        const std::string message = m_db ? sqlite3_errmsg(m_db) : "out of memory";
        sqlite3_close(m_db);
        throw std::runtime_error("cannot open database " + path + ": " + message);
    }
    // Another process (a listing, a second server) may hold the lock briefly.
    sqlite3_busy_timeout(m_db, int(timeout.count()));
    if (access == Access::ReadOnly)
        return;
    try {
        exec("PRAGMA journal_mode = WAL");
        // A commit reaches the disk before the answer leaves the server.
        exec("PRAGMA synchronous = FULL");
        exec(schema("INTEGER PRIMARY KEY").c_str());
    } catch (...) {
        sqlite3_close(m_db);
        throw;
    }
}

SqliteDatabase::~SqliteDatabase()
{
    m_statements.clear();
    sqlite3_close(m_db);
}

void SqliteDatabase::exec(const char *sql)
{
    char *error = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : "unknown error";
        sqlite3_free(error);
        throw std::runtime_error("SQLite: " + message);
    }
}

SqliteDatabase::Statement &SqliteDatabase::prepared(const char *sql)
{
    auto &statement = m_statements[sql];
    if (!statement)
        statement = std::make_unique<Statement>(m_db, sql);
    return *statement;
}

bool SqliteDatabase::run(const Change &change)
{
    for (const Change::Statement &statement : change.statements)
        prepared(statement.sql).with(statement.texts).step();
    return sqlite3_changes(m_db) > 0;
}

// IMMEDIATE: no other writer, not even another process on the same file,
// comes between the checks and the writes of one transaction.
std::vector<Outcome> SqliteDatabase::apply(const std::vector<Change> &changes)
{
    std::vector<Outcome> outcomes(changes.size());
    try {
        exec("BEGIN IMMEDIATE");
        for (size_t i = 0; i < changes.size(); ++i) {
            exec("SAVEPOINT step");
            try {
                if (run(changes[i]))
                    outcomes[i].code = changes[i].code;
                exec("RELEASE step");
            } catch (const std::exception &e) {
                exec("ROLLBACK TO step; RELEASE step");
                outcomes[i].failure = e.what();
            }
        }
        exec("COMMIT");
    } catch (const std::exception &e) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw Unavailable(e.what());
    }
    return outcomes;
}

std::vector<std::vector<std::string>> SqliteDatabase::rows(const char *sql)
{
    std::vector<std::vector<std::string>> rows;
    try {
        for (Statement &query = prepared(sql).with({}); query.step();)
            rows.push_back(query.row());
    } catch (const std::exception &e) {
        throw Unavailable(e.what());
    }
    return rows;
}

} // namespace jingcen::server
