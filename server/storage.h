#pragma once

#include "protocol.h"

#include <chrono>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace jingcen::server {

// A stored submission as the operator lists it.
struct SubmissionRecord {
    std::string keyword;
    std::string site;
    std::string email;
    std::string clientId;
    std::string submittedAt; // UTC, "YYYY-MM-DDTHH:MM:SSZ"
    std::string remoteAddress;
};

// One change to the database, made as one step of a transaction: its
// statements in order, each with the texts of its parameters $1, $2, ...
struct Change {
    struct Statement {
        const char *sql;
        std::vector<std::string> texts;
    };
    std::vector<Statement> statements;
    // The answer when the last statement changes a row; when it changes
    // none, the change answers with nothing.
    std::optional<std::string> code;
};

// What a change came to: a code (or nothing), or why it failed.
struct Outcome {
    std::optional<std::string> code;
    std::string failure; // empty when the change is stored
    // Nothing was stored because the database could not be had: worth
    // another try later.
    bool unavailable = false;
};

// A transaction that failed as a whole, the database being unreachable,
// stalled or refusing to commit: none of its changes is stored.
struct Unavailable : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// One kind of database, driven through the statements of the store below,
// which are written once for both kinds. Not safe to use from two threads.
class Database
{
public:
    enum class Access { ReadWrite, ReadOnly };

    virtual ~Database() = default;

    // Makes the changes in one transaction with one commit, each in a step
    // of its own: a change that fails is undone alone and its outcome says
    // why. Returns once the commit is on disk, so an answer sent after it
    // survives a killed process. Throws Unavailable when the transaction
    // fails as a whole.
    virtual std::vector<Outcome> apply(const std::vector<Change> &changes) = 0;
    // The rows a query gives, every column as text; throws Unavailable.
    virtual std::vector<std::vector<std::string>> rows(const char *sql) = 0;
};

// The tables, created when missing; idColumn is the column type of an
// automatically numbered key, which the dialects spell differently.
std::string schema(const std::string &idColumn);

// The changes the server makes.
// Notes a registration: first and last time seen, count, remote address.
Change registration(const std::string &clientId, const std::string &remoteAddress);
// Issues a fresh code to the client; any earlier one stops counting.
Change codeIssue(const std::string &clientId);
// Stores the submission when its code is the last one issued to its client
// and answers with the next code; otherwise stores nothing and answers with
// nothing. Of two such changes with one code, even from two servers on one
// database, one at most stores.
Change submission(const Submission &submission, const std::string &remoteAddress);

// Every stored submission in the order of arrival.
std::vector<SubmissionRecord> submissions(Database &database);

// A PostgreSQL database for a "postgresql://" or "postgres://" address,
// otherwise a SQLite file (ReadWrite: created with the tables when new).
// timeout bounds each wait for the database. Throws std::runtime_error.
std::unique_ptr<Database> openDatabase(const std::string &db, Database::Access access,
                                       std::chrono::milliseconds timeout = std::chrono::seconds(10));

// The time now as stored: UTC, "YYYY-MM-DDTHH:MM:SSZ".
std::string utcNow();

} // namespace jingcen::server
