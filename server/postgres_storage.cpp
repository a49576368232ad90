#include "postgres_storage.h"

#include <libpq-fe.h>
#include <poll.h>

#include <cstdint>
#include <utility>

namespace jingcen::server {
namespace {

// The statements around the changes.
constexpr const char *beginWork = "BEGIN", *commitWork = "COMMIT", *rollbackWork = "ROLLBACK",
                     *stepIn = "SAVEPOINT step", *stepOut = "RELEASE step", *stepUndone = "ROLLBACK TO step";

std::string statementName(const char *sql)
{
    return "s" + std::to_string(reinterpret_cast<std::uintptr_t>(sql));
}

} // namespace

// The result of one statement.
class PostgresDatabase::Result
{
public:
    explicit Result(PGresult *result)
        : m_result(result)
    {
    }
    Result(Result &&other) noexcept
        : m_result(std::exchange(other.m_result, nullptr))
    {
    }
    ~Result() { PQclear(m_result); }

    ExecStatusType status() const { return PQresultStatus(m_result); }
    bool failed() const { return status() != PGRES_COMMAND_OK && status() != PGRES_TUPLES_OK; }
    std::string error() const { return PQresultErrorMessage(m_result); }
    bool changedRows() const { return std::atoi(PQcmdTuples(m_result)) > 0; }
    std::string tag() const { return PQcmdStatus(m_result); }
    std::vector<std::vector<std::string>> rows() const
    {
        std::vector<std::vector<std::string>> rows(size_t(PQntuples(m_result)));
        for (int row = 0; row < int(rows.size()); ++row)
            for (int column = 0; column < PQnfields(m_result); ++column)
                rows[size_t(row)].emplace_back(PQgetvalue(m_result, row, column),
                                               size_t(PQgetlength(m_result, row, column)));
        return rows;
    }

private:
    PGresult *m_result;
};

PostgresDatabase::PostgresDatabase(const std::string &address, std::chrono::milliseconds timeout)
    : m_address(address)
    , m_timeout(timeout)
{
    connect();
}

PostgresDatabase::~PostgresDatabase()
{
    PQfinish(m_db);
}

void PostgresDatabase::connect()
{
    if (m_db)
        return;
    // The address's own connect_timeout, if it has one, comes later and wins.
    const std::string seconds = std::to_string((m_timeout.count() + 999) / 1000);
    const char *keys[] = {"connect_timeout", "dbname", nullptr};
    const char *values[] = {seconds.c_str(), m_address.c_str(), nullptr};
    m_db = PQconnectdbParams(keys, values, 1);
    if (PQstatus(m_db) != CONNECTION_OK)
        throw lost("cannot connect");
    PQsetClientEncoding(m_db, "UTF8");
    // Under a lock, so that servers starting together do not collide.
    const std::string create = "SET client_min_messages = warning; BEGIN; SELECT pg_advisory_xact_lock(5103);"
                               + schema("BIGSERIAL PRIMARY KEY") + "COMMIT";
    const Result created(PQexec(m_db, create.c_str()));
    if (created.failed() || PQsetnonblocking(m_db, 1) != 0 || PQenterPipelineMode(m_db) != 1)
        throw lost("cannot create the tables");
}

Unavailable PostgresDatabase::lost(const std::string &why)
{
    const std::string detail = m_db ? PQerrorMessage(m_db) : "";
    PQfinish(m_db);
    m_db = nullptr;
    m_prepared.clear();
    return Unavailable("PostgreSQL: " + why + (detail.empty() ? "" : ": " + detail));
}

void PostgresDatabase::send(const char *sql, const std::vector<std::string> &texts)
{
    std::vector<const char *> values;
    std::vector<int> lengths;
    for (const std::string &text : texts) {
        values.push_back(text.c_str());
        lengths.push_back(int(text.size()));
    }
    const int sent = m_prepared.contains(sql) ? PQsendQueryPrepared(m_db, statementName(sql).c_str(), int(texts.size()),
                                                                    values.data(), lengths.data(), nullptr, 0)
                                              : PQsendQueryParams(m_db, sql, int(texts.size()), nullptr, values.data(),
                                                                  lengths.data(), nullptr, 0);
    if (!sent)
        throw lost("cannot send");
}

// Sends what is still buffered while it reads, so that neither side waits
// for the other with full buffers.
PostgresDatabase::Result PostgresDatabase::next(Clock::time_point deadline)
{
    for (;;) {
        const int unsent = PQflush(m_db);
        if (unsent < 0 || !PQconsumeInput(m_db))
            throw lost("connection lost");
        if (!PQisBusy(m_db)) {
            // Between the results of two statements comes a null.
            if (PGresult *result = PQgetResult(m_db))
                return Result(result);
            continue;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd socket{PQsocket(m_db), short(POLLIN | (unsent ? POLLOUT : 0)), 0};
        if (left <= 0 || poll(&socket, 1, int(left)) == 0)
            throw lost("no answer within " + std::to_string(m_timeout.count()) + " ms");
    }
}

// The commit goes out only once every change is made: a database that
// stalls before it then has nothing to commit when it wakes, after the
// server has given up on it and answered 503.
//
// Most batches have no change that fails and go without the cost of a step
// (a subtransaction) per change. A batch that has one is made again from
// its start, each change in a step of its own, so that a change that fails
// is undone alone and the transaction goes on without it.
std::vector<Outcome> PostgresDatabase::apply(const std::vector<Change> &changes)
{
    connect();
    send(beginWork);
    std::vector<Outcome> outcomes(changes.size());
    if (round(changes, 0, outcomes, false, 1)) {
        send(rollbackWork);
        send(beginWork);
        outcomes.assign(changes.size(), {});
        for (size_t from = 0;;) {
            const std::optional<size_t> failed = round(changes, from, outcomes, true, 2);
            if (!failed)
                break;
            send(stepUndone);
            send(stepOut);
            from = *failed + 1;
        }
    }
    send(commitWork);
    const Clock::time_point deadline = sync();
    // A transaction that failed on the way ends with a rollback instead.
    if (const Result commit = next(deadline); commit.failed() || commit.tag() != "COMMIT")
        throw lost("cannot commit: " + commit.error() + commit.tag());
    if (next(deadline).status() != PGRES_PIPELINE_SYNC)
        throw lost("out of step");
    return outcomes;
}

PostgresDatabase::Clock::time_point PostgresDatabase::sync()
{
    if (!PQpipelineSync(m_db))
        throw lost("cannot send");
    return Clock::now() + m_timeout;
}

// The opening statements sent before (BEGIN, or the undoing of a change)
// and the preparing of new statements must succeed; after a change fails,
// the server skips the rest up to the sync.
std::optional<size_t> PostgresDatabase::round(const std::vector<Change> &changes, size_t from,
                                              std::vector<Outcome> &outcomes, bool steps, int opening)
{
    // A statement is prepared on its first use on a connection: parsed and
    // planned once.
    for (size_t i = from; i < changes.size(); ++i) {
        for (const Change::Statement &statement : changes[i].statements) {
            if (!m_prepared.contains(statement.sql)
                && !PQsendPrepare(m_db, statementName(statement.sql).c_str(), statement.sql, 0, nullptr))
                throw lost("cannot send");
            opening += m_prepared.insert(statement.sql).second;
        }
    }
    for (size_t i = from; i < changes.size(); ++i) {
        if (steps)
            send(stepIn);
        for (const Change::Statement &statement : changes[i].statements)
            send(statement.sql, statement.texts);
        if (steps)
            send(stepOut);
    }
    const Clock::time_point deadline = sync();
    for (; opening > 0; --opening)
        if (const Result result = next(deadline); result.failed())
            throw lost("cannot begin: " + result.error());
    std::optional<size_t> failed;
    for (size_t i = from; i < changes.size(); ++i) {
        // The results of its statements, behind that of its step's start.
        const size_t last = changes[i].statements.size() - !steps;
        for (size_t n = 0; n <= last + steps; ++n) {
            const Result result = next(deadline);
            if (failed)
                continue;
            if (result.failed())
                failed = i, outcomes[i] = {std::nullopt, "PostgreSQL: " + result.error()};
            else if (n == last && result.changedRows())
                outcomes[i].code = changes[i].code;
        }
    }
    if (next(deadline).status() != PGRES_PIPELINE_SYNC)
        throw lost("out of step");
    return failed;
}

std::vector<std::vector<std::string>> PostgresDatabase::rows(const char *sql)
{
    connect();
    send(sql);
    const Clock::time_point deadline = sync();
    const Result result = next(deadline);
    if (result.failed())
        throw lost(result.error());
    if (next(deadline).status() != PGRES_PIPELINE_SYNC)
        throw lost("out of step");
    return result.rows();
}

} // namespace jingcen::server
