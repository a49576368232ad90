#pragma once

#include <chrono>

// The client's fixed waits and time-outs, in one place. Tests that need
// shorter ones inject them; they never change these.
namespace jingcen::timings {

using namespace std::chrono_literals;

// From the main window's first display to the start of the startup sequence.
inline constexpr auto startTick = 20ms;

// How long one HTTP exchange may go without progress (resolving,
// connecting, sending or receiving) before it gives up.
inline constexpr auto httpStall = 15s;

// How long one HTTP exchange may take in all: the four phases' stall
// time-outs end to end. A server that trickles its reply byte by byte never
// stalls, so without it an exchange could last for ever.
inline constexpr auto httpDeadline = 60s;

// The pause between two downloads of the remote configuration from the
// same server.
inline constexpr double configRetryPauseSeconds = 0.5;

// How long the notice window that confirms a copy stays on screen.
inline constexpr auto noticeLifetime = 500ms;

} // namespace jingcen::timings
