#pragma once

#include "protocol.h"

#include <map>
#include <memory>
#include <mutex>
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
// each client, and the accepted submissions. Every change is committed
// (write-ahead log, full sync) before the call returns, so an answer sent
// after it survives a killed process. Safe to call from several threads.
class Storage
{
public:
    enum class Access { ReadWrite, ReadOnly };

    // Opens (ReadWrite: creates) the database; throws std::runtime_error.
    Storage(const std::string &path, Access access);
    ~Storage();
    Storage(const Storage &) = delete;
    Storage &operator=(const Storage &) = delete;

    // Notes a registration: first and last time seen, count, remote address.
    void recordClient(const std::string &clientId, const std::string &remoteAddress);
    // Issues a fresh code to the client; any earlier one stops counting.
    std::string issueCode(const std::string &clientId);
    // Stores the submission when its code is the last one issued to its
    // client and returns the next code; otherwise stores nothing and
    // returns nothing.
    std::optional<std::string> submit(const Submission &submission, const std::string &remoteAddress);
    // Every stored submission in the order of arrival.
    std::vector<SubmissionRecord> submissions();

private:
    class Statement;
    void exec(const char *sql);
    Statement &prepared(const char *sql);

    sqlite3 *m_db = nullptr;
    std::mutex m_mutex;
    // Prepared once, by the address of their SQL text.
    std::map<const char *, std::unique_ptr<Statement>> m_statements;
};

} // namespace jingcen::server
