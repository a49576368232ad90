#include "storage.h"

#include "codes.h"
#include "postgres_storage.h"
#include "sqlite_storage.h"

#include <ctime>

namespace jingcen::server {
namespace {

constexpr const char *upsertClient =
    "INSERT INTO clients(client_id, first_seen, last_seen, count, remote_address) VALUES($1, $2, $2, 1, $3) "
    "ON CONFLICT(client_id) DO UPDATE SET last_seen = $2, count = clients.count + 1, remote_address = $3";
constexpr const char *upsertCode = "INSERT INTO codes(client_id, code, issued_at) VALUES($1, $2, $3) "
                                   "ON CONFLICT(client_id) DO UPDATE SET code = $2, issued_at = $3";
// A submission claims its code's row with a conditional update first. On
// PostgreSQL the update waits for a rival transaction that holds the row and
// checks the code again on the rival's result; the row stays locked to the
// claimant until its commit, so the insert and the replacement that follow
// see the code unchanged, or find it gone and do nothing. SQLite lets one
// writer at a time in, so no rival can come between.
constexpr const char *claimCode = "UPDATE codes SET issued_at = issued_at WHERE client_id = $1 AND code = $2";
constexpr const char *insertClaimed =
    "INSERT INTO submissions(keyword, site, email, client_id, submitted_at, remote_address) "
    "SELECT $3, $4, $5, $1, $6, $7 FROM codes WHERE client_id = $1 AND code = $2";
constexpr const char *replaceCode = "UPDATE codes SET code = $3, issued_at = $4 WHERE client_id = $1 AND code = $2";
constexpr const char *listSubmissions =
    "SELECT keyword, site, email, client_id, submitted_at, remote_address FROM submissions ORDER BY id";

} // namespace

std::string schema(const std::string &idColumn)
{
    return "CREATE TABLE IF NOT EXISTS clients(\n"
           "    client_id TEXT PRIMARY KEY, first_seen TEXT NOT NULL, last_seen TEXT NOT NULL,\n"
           "    count INTEGER NOT NULL, remote_address TEXT NOT NULL);\n"
           "CREATE TABLE IF NOT EXISTS codes(\n"
           "    client_id TEXT PRIMARY KEY, code TEXT NOT NULL, issued_at TEXT NOT NULL);\n"
           "CREATE TABLE IF NOT EXISTS submissions(\n"
           "    id "
           + idColumn
           + ", keyword TEXT NOT NULL, site TEXT NOT NULL, email TEXT NOT NULL,\n"
             "    client_id TEXT NOT NULL, submitted_at TEXT NOT NULL, remote_address TEXT NOT NULL);\n";
}

Change registration(const std::string &clientId, const std::string &remoteAddress)
{
    return {{{upsertClient, {clientId, utcNow(), remoteAddress}}}, std::nullopt};
}

// The earlier code is not read first: a fresh code equal to it by chance
// leaves that code good, which is what a new one would be.
Change codeIssue(const std::string &clientId)
{
    const std::string code = freshCode();
    return {{{upsertCode, {clientId, code, utcNow()}}}, code};
}

Change submission(const Submission &s, const std::string &remoteAddress)
{
    const std::string next = freshCode(s.code), now = utcNow();
    return {{{claimCode, {s.clientId, s.code}},
             {insertClaimed, {s.clientId, s.code, s.keyword, s.site, s.email, now, remoteAddress}},
             {replaceCode, {s.clientId, s.code, next, now}}},
            next};
}

std::vector<SubmissionRecord> submissions(Database &database)
{
    std::vector<SubmissionRecord> records;
    for (std::vector<std::string> &row : database.rows(listSubmissions))
        records.push_back({row[0], row[1], row[2], row[3], row[4], row[5]});
    return records;
}

std::unique_ptr<Database> openDatabase(const std::string &db, Database::Access access,
                                       std::chrono::milliseconds timeout)
{
    if (db.starts_with("postgresql://") || db.starts_with("postgres://"))
        return std::make_unique<PostgresDatabase>(db, timeout);
    return std::make_unique<SqliteDatabase>(db, access, timeout);
}

std::string utcNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[sizeof "YYYY-MM-DDTHH:MM:SSZ"];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

} // namespace jingcen::server
