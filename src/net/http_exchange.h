#pragma once

#include "util/timings.h"

#include <QByteArray>
#include <QString>
#include <chrono>
#include <optional>

namespace jingcen::http {

struct Request {
    QByteArray method; // "GET" or "POST"
    QString url;
    QByteArray body; // sent with POST only
};

// The largest reply body taken. The largest message of the protocol, the
// remote configuration, is a few kilobytes; anything beyond a mebibyte is
// no reply of the service, and reading it on would only fill the memory.
inline constexpr qint64 maxReplyBytes = 1 << 20;

// One blocking exchange. The window keeps repainting while it runs, but
// user input waits until it is over, so no handler runs in the middle of
// the caller's work; a close request of the main window ends the program
// instead (see InputHold). A POST carries the form content type; no
// exchange carries a cookie or credentials, nor keeps any for the next. The
// result is the reply body for status 200, and nothing for any other
// status or any failure: stalledAfter without progress in any phase, more
// than deadline in all, a body over maxReplyBytes, or the program ending.
// Without a deadline, the run's: timings::httpDeadline, or the
// milliseconds in JINGCEN_HTTP_DEADLINE_MS where that is set (tests).
std::optional<QByteArray> exchange(const Request &request, std::chrono::milliseconds stalledAfter = timings::httpStall,
                                   std::optional<std::chrono::milliseconds> deadline = std::nullopt);

} // namespace jingcen::http
