#pragma once
// The receiver's loop on the loopback address: 127.0.0.1 and ::1 (when the system has IPv6)
// at one port, a few connections at once, each given kSlowClient to send its request, one
// request per connection. SIGINT and SIGTERM (Ctrl+C and Ctrl+Break on Windows) end it after
// the request in hand.
#include <chrono>
#include <cstdio>
#include <functional>

#include "app/receive/receiver.h"

namespace cardo::cli {

inline constexpr auto kSlowClient = std::chrono::seconds(10);
inline constexpr int kMostConnections = 8;

// Calls `taken(answer)` for each answer that takes links, before the client hears it; false
// from `taken` (the output failed) ends the loop. `listening` is called once both addresses
// are bound. A connection that has not sent its whole request `slowClient` after it was taken
// is answered 408 (tests shorten the time). The exit status: 0 after a signal, 1 when the port
// cannot be had (one line on `err`) or `taken` failed.
int ServeLinks(const ReceiverSettings& settings,
               const std::function<bool(const ReceiverAnswer&)>& taken,
               const std::function<void()>& listening, std::FILE* err,
               std::chrono::milliseconds slowClient = kSlowClient);

}  // namespace cardo::cli
