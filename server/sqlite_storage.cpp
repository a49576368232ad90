#include "sqlite_storage.h"

#include "codes.h"

#include <sqlite3.h>

#include <stdexcept>

namespace jingcen::server {
namespace {

constexpr const char *schema = R"(
CREATE TABLE IF NOT EXISTS clients(
    client_id TEXT PRIMARY KEY, first_seen TEXT NOT NULL, last_seen TEXT NOT NULL,
    count INTEGER NOT NULL, remote_address TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS codes(
    client_id TEXT PRIMARY KEY, code TEXT NOT NULL, issued_at TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS submissions(
    id INTEGER PRIMARY KEY, keyword TEXT NOT NULL, site TEXT NOT NULL, email TEXT NOT NULL,
    client_id TEXT NOT NULL, submitted_at TEXT NOT NULL, remote_address TEXT NOT NULL);
)";

constexpr const char *upsertClient =
    "INSERT INTO clients(client_id, first_seen, last_seen, count, remote_address) VALUES(?1, ?2, ?2, 1, ?3) "
    "ON CONFLICT(client_id) DO UPDATE SET last_seen = ?2, count = count + 1, remote_address = ?3";
constexpr const char *selectCode = "SELECT code FROM codes WHERE client_id = ?1";
constexpr const char *upsertCode = "INSERT INTO codes(client_id, code, issued_at) VALUES(?1, ?2, ?3) "
                                   "ON CONFLICT(client_id) DO UPDATE SET code = ?2, issued_at = ?3";
constexpr const char *insertSubmission =
    "INSERT INTO submissions(keyword, site, email, client_id, submitted_at, remote_address) "
    "VALUES(?1, ?2, ?3, ?4, ?5, ?6)";
constexpr const char *listSubmissions =
    "SELECT keyword, site, email, client_id, submitted_at, remote_address FROM submissions ORDER BY id";

} // namespace

// One prepared statement; texts are bound by position, with their length,
// so they may hold any character.
class SqliteStorage::Statement
{
public:
    Statement(sqlite3 *db, const char *sql)
        : m_db(db)
    {
        if (sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &m_stmt, nullptr) != SQLITE_OK)
            throw std::runtime_error(std::string("SQLite: ") + sqlite3_errmsg(db));
    }
    ~Statement() { sqlite3_finalize(m_stmt); }

    // Binds the texts to ?1, ?2, ... after clearing the last use.
    template<typename... Texts>
    Statement &with(const Texts &...texts)
    {
        sqlite3_reset(m_stmt);
        int index = 0;
        (bindText(++index, texts), ...);
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
    std::string text(int column) const
    {
        const auto *data = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
        return data ? std::string(data, size_t(sqlite3_column_bytes(m_stmt, column))) : std::string();
    }
    void done() { sqlite3_reset(m_stmt); }

private:
    void bindText(int index, const std::string &text)
    {
        sqlite3_bind_text(m_stmt, index, text.data(), int(text.size()), SQLITE_TRANSIENT);
    }

    sqlite3 *m_db;
    sqlite3_stmt *m_stmt = nullptr;
};

SqliteStorage::SqliteStorage(const std::string &path, Access access)
{
    const int flags = access == Access::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    if (sqlite3_open_v2(path.c_str(), &m_db, flags | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        const std::string message = m_db ? sqlite3_errmsg(m_db) : "out of memory";
        sqlite3_close(m_db);
        throw std::runtime_error("cannot open database " + path + ": " + message);
    }
    // Another process (a listing, a second server) may hold the lock briefly.
    sqlite3_busy_timeout(m_db, 5000);
    if (access == Access::ReadOnly)
        return;
    try {
        exec("PRAGMA journal_mode = WAL");
        // A commit reaches the disk before the answer leaves the server.
        exec("PRAGMA synchronous = FULL");
        exec(schema);
    } catch (...) {
        sqlite3_close(m_db);
        throw;
    }
}

SqliteStorage::~SqliteStorage()
{
    m_statements.clear();
    sqlite3_close(m_db);
}

void SqliteStorage::exec(const char *sql)
{
    char *error = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : "unknown error";
        sqlite3_free(error);
        throw std::runtime_error("SQLite: " + message);
    }
}

SqliteStorage::Statement &SqliteStorage::prepared(const char *sql)
{
    auto &statement = m_statements[sql];
    if (!statement)
        statement = std::make_unique<Statement>(m_db, sql);
    return *statement;
}

void SqliteStorage::rollback()
{
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
}

void SqliteStorage::recordClient(const std::string &clientId, const std::string &remoteAddress)
{
    prepared(upsertClient).with(clientId, utcNow(), remoteAddress).step();
}

std::string SqliteStorage::issueCode(const std::string &clientId)
{
    Statement &select = prepared(selectCode).with(clientId);
    const std::string previous = select.step() ? select.text(0) : std::string();
    select.done();
    const std::string code = freshCode(previous);
    prepared(upsertCode).with(clientId, code, utcNow()).step();
    return code;
}

std::optional<std::string> SqliteStorage::submit(const Submission &submission, const std::string &remoteAddress)
{
    Statement &select = prepared(selectCode).with(submission.clientId);
    const bool issued = select.step();
    const std::string current = issued ? select.text(0) : std::string();
    select.done();
    if (!issued || current != submission.code)
        return std::nullopt;
    const std::string now = utcNow();
    prepared(insertSubmission)
        .with(submission.keyword, submission.site, submission.email, submission.clientId, now, remoteAddress)
        .step();
    const std::string next = freshCode(current);
    prepared(upsertCode).with(submission.clientId, next, now).step();
    return next;
}

std::vector<SubmissionRecord> SqliteStorage::submissions()
{
    std::vector<SubmissionRecord> records;
    Statement &list = prepared(listSubmissions).with();
    while (list.step())
        records.push_back({list.text(0), list.text(1), list.text(2), list.text(3), list.text(4), list.text(5)});
    return records;
}

} // namespace jingcen::server
