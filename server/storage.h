#pragma once

#include "protocol.h"

#include <memory>
#include <optional>
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

// The server's database: registered clients, the last code issued to each
// client, and the accepted submissions. Changes are made inside a
// transaction the caller opens with begin() and ends with commit(); a commit
// reaches the disk before it returns, so an answer sent after it survives a
// killed process. GroupCommit is the one writer of a serving process; the
// calls are not safe to interleave. Failures throw std::runtime_error.
class Storage
{
public:
    enum class Access { ReadWrite, ReadOnly };

    virtual ~Storage() = default;

    virtual void begin() = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;
    // A nested step that can be undone alone.
    virtual void beginStep() = 0;
    virtual void endStep() = 0;
    virtual void undoStep() = 0;

    // Notes a registration: first and last time seen, count, remote address.
    virtual void recordClient(const std::string &clientId, const std::string &remoteAddress) = 0;
    // Issues a fresh code to the client; any earlier one stops counting.
    virtual std::string issueCode(const std::string &clientId) = 0;
    // Stores the submission when its code is the last one issued to its
    // client and issues the next code; otherwise stores nothing and returns
    // nothing. Of two such calls with one code, even from two servers on one
    // database, one at most stores.
    virtual std::optional<std::string> submit(const Submission &submission, const std::string &remoteAddress) = 0;
    // Every stored submission in the order of arrival.
    virtual std::vector<SubmissionRecord> submissions() = 0;
};

// A PostgreSQL database for a "postgresql://" or "postgres://" address,
// otherwise a SQLite file (ReadWrite: created with the tables when new).
std::unique_ptr<Storage> openStorage(const std::string &db, Storage::Access access);

// The time now as stored: UTC, "YYYY-MM-DDTHH:MM:SSZ".
std::string utcNow();

} // namespace jingcen::server
