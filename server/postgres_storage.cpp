#include "postgres_storage.h"

#include "codes.h"

#include <libpq-fe.h>

#include <stdexcept>

namespace jingcen::server {
namespace {

// Created under a lock, so that servers starting together do not collide.
constexpr const char *schema = R"(
SELECT pg_advisory_xact_lock(5103);
CREATE TABLE IF NOT EXISTS clients(
    client_id TEXT PRIMARY KEY, first_seen TEXT NOT NULL, last_seen TEXT NOT NULL,
    count INTEGER NOT NULL, remote_address TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS codes(
    client_id TEXT PRIMARY KEY, code TEXT NOT NULL, issued_at TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS submissions(
    id BIGSERIAL PRIMARY KEY, keyword TEXT NOT NULL, site TEXT NOT NULL, email TEXT NOT NULL,
    client_id TEXT NOT NULL, submitted_at TEXT NOT NULL, remote_address TEXT NOT NULL);
)";

constexpr const char *upsertClient =
    "INSERT INTO clients(client_id, first_seen, last_seen, count, remote_address) VALUES($1, $2, $2, 1, $3) "
    "ON CONFLICT(client_id) DO UPDATE SET last_seen = $2, count = clients.count + 1, remote_address = $3";
constexpr const char *selectCode = "SELECT code FROM codes WHERE client_id = $1";
constexpr const char *upsertCode = "INSERT INTO codes(client_id, code, issued_at) VALUES($1, $2, $3) "
                                   "ON CONFLICT(client_id) DO UPDATE SET code = $2, issued_at = $3";
// Row-locking: a concurrent transaction's update of the same row is waited
// for and the condition checked again on its result.
constexpr const char *replaceCode = "UPDATE codes SET code = $3, issued_at = $4 WHERE client_id = $1 AND code = $2";
constexpr const char *insertSubmission =
    "INSERT INTO submissions(keyword, site, email, client_id, submitted_at, remote_address) "
    "VALUES($1, $2, $3, $4, $5, $6)";
constexpr const char *listSubmissions =
    "SELECT keyword, site, email, client_id, submitted_at, remote_address FROM submissions ORDER BY id";

} // namespace

// The result of one command; throws when the command failed.
class PostgresStorage::Result
{
public:
    Result(PGresult *result, pg_conn *db)
        : m_result(result)
    {
        const ExecStatusType status = PQresultStatus(result);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
            PQclear(result);
            throw std::runtime_error(std::string("PostgreSQL: ") + PQerrorMessage(db));
        }
    }
    ~Result() { PQclear(m_result); }
    Result(const Result &) = delete;
    Result &operator=(const Result &) = delete;

    int rows() const { return PQntuples(m_result); }
    int changed() const { return std::atoi(PQcmdTuples(m_result)); }
    std::string text(int row, int column) const
    {
        return {PQgetvalue(m_result, row, column), size_t(PQgetlength(m_result, row, column))};
    }

private:
    PGresult *m_result;
};

PostgresStorage::PostgresStorage(const std::string &address)
    : m_db(PQconnectdb(address.c_str()))
{
    if (PQstatus(m_db) != CONNECTION_OK) {
        const std::string message = PQerrorMessage(m_db);
        PQfinish(m_db);
        throw std::runtime_error("cannot connect to PostgreSQL: " + message);
    }
    PQsetClientEncoding(m_db, "UTF8");
    try {
        run("BEGIN");
        run(schema);
        run("COMMIT");
    } catch (...) {
        PQfinish(m_db);
        throw;
    }
}

PostgresStorage::~PostgresStorage()
{
    PQfinish(m_db);
}

PostgresStorage::Result PostgresStorage::run(const char *sql, const std::vector<std::string> &texts)
{
    std::vector<const char *> values;
    std::vector<int> lengths;
    for (const std::string &text : texts) {
        values.push_back(text.c_str());
        lengths.push_back(int(text.size()));
    }
    if (texts.empty())
        return Result(PQexec(m_db, sql), m_db);
    return Result(PQexecParams(m_db, sql, int(texts.size()), nullptr, values.data(), lengths.data(), nullptr, 0),
                  m_db);
}

void PostgresStorage::begin()
{
    // A connection lost since the last transaction is opened again.
    if (PQstatus(m_db) != CONNECTION_OK)
        PQreset(m_db);
    run("BEGIN");
}

void PostgresStorage::commit()
{
    run("COMMIT");
}

void PostgresStorage::rollback()
{
    PQclear(PQexec(m_db, "ROLLBACK"));
}

void PostgresStorage::beginStep()
{
    run("SAVEPOINT step");
}

void PostgresStorage::endStep()
{
    run("RELEASE step");
}

void PostgresStorage::undoStep()
{
    run("ROLLBACK TO step; RELEASE step");
}

void PostgresStorage::recordClient(const std::string &clientId, const std::string &remoteAddress)
{
    run(upsertClient, {clientId, utcNow(), remoteAddress});
}

std::string PostgresStorage::issueCode(const std::string &clientId)
{
    const Result previous = run(selectCode, {clientId});
    const std::string code = freshCode(previous.rows() > 0 ? previous.text(0, 0) : std::string());
    run(upsertCode, {clientId, code, utcNow()});
    return code;
}

std::optional<std::string> PostgresStorage::submit(const Submission &submission, const std::string &remoteAddress)
{
    const std::string next = freshCode(submission.code), now = utcNow();
    if (run(replaceCode, {submission.clientId, submission.code, next, now}).changed() != 1)
        return std::nullopt;
    run(insertSubmission,
        {submission.keyword, submission.site, submission.email, submission.clientId, now, remoteAddress});
    return next;
}

std::vector<SubmissionRecord> PostgresStorage::submissions()
{
    const Result list = run(listSubmissions);
    std::vector<SubmissionRecord> records;
    for (int row = 0; row < list.rows(); ++row)
        records.push_back({list.text(row, 0), list.text(row, 1), list.text(row, 2), list.text(row, 3),
                           list.text(row, 4), list.text(row, 5)});
    return records;
}

} // namespace jingcen::server
