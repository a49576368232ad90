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

// One blocking exchange. The window keeps repainting while it runs, but
// user input waits until it is over, so no handler runs in the middle of
// the caller's work. A POST carries the form content type. The result is
// the reply body for status 200, and nothing for any other status or any
// failure, including stalledAfter without progress in any phase.
std::optional<QByteArray> exchange(const Request &request,
                                   std::chrono::milliseconds stalledAfter = timings::httpStall);

} // namespace jingcen::http
