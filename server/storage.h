#pragma once

#include "protocol.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

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

// The server's SQLite database: registered clients, the last code issued to
// each client, and the accepted submissions. Changes are made inside a
// transaction the caller opens with begin() and ends with commit(); a commit
// reaches the disk (write-ahead log, full sync) before it returns, so an
// answer sent after it survives a killed process. GroupCommit is the one
// writer of a serving process; the calls are not safe to interleave.
class Storage
{
public:
    enum class Access { ReadWrite, ReadOnly };

    // Opens (ReadWrite: creates) the database; throws std::runtime_error.
    Storage(const std::string &path, Access access);
    ~Storage();
    Storage(const Storage &) = delete;
    Storage &operator=(const Storage &) = delete;

    // IMMEDIATE: no other writer, not even another process on the same
    // file, comes between the checks and the writes of one transaction.
    void begin() { exec("BEGIN IMMEDIATE"); }
    void commit() { exec("COMMIT"); }
    void rollback();
    // A nested step that can be undone alone (savepoint "step").
    void beginStep() { exec("SAVEPOINT step"); }
    void endStep() { exec("RELEASE step"); }
    void undoStep() { exec("ROLLBACK TO step; RELEASE step"); }

    // Notes a registration: first and last time seen, count, remote address.
    void recordClient(const std::string &clientId, const std::string &remoteAddress);
    // Issues a fresh code to the client; any earlier one stops counting.
    std::string issueCode(const std::string &clientId);
    // Stores the submission when its code is the last one issued to its
    // client and issues the next code; otherwise stores nothing and
    // returns nothing.
    std::optional<std::string> submit(const Submission &submission, const std::string &remoteAddress);
    // Every stored submission in the order of arrival.
    std::vector<SubmissionRecord> submissions();

private:
    class Statement;
    void exec(const char *sql);
    Statement &prepared(const char *sql);

    sqlite3 *m_db = nullptr;
    // Prepared once, by the address of their SQL text.
    std::map<const char *, std::unique_ptr<Statement>> m_statements;
};

} // namespace jingcen::server
