#pragma once
// The receiver's loop on the loopback address, shared by cardo-cli receive and the program:
// 127.0.0.1 and ::1 (when the system has IPv6) at one port, a few connections at once, each
// given kSlowClient to send its request, one request per connection. It runs until its
// session is stopped, and ends after the request in hand.
#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "app/receive/loopback_socket.h"
#include "app/receive/receiver.h"

namespace cardo {

inline constexpr auto kSlowClient = std::chrono::seconds(10);
inline constexpr int kMostConnections = 8;

struct LinkService {
  // Once both addresses are bound.
  std::function<void()> listening;
  // Why the port cannot be had; the loop ends.
  std::function<void(const std::string& why)> cannotListen;
  // The answer to a request read whole or refused (RequestReader's Done or Refused), on the
  // loop's thread, before the client hears it; nothing ends the loop.
  std::function<std::optional<ReceiverAnswer>(const RequestReader&)> answer;
};

// A connection that has not sent its whole request `slowClient` after it was taken is answered
// 408 (tests shorten the time). True when the session was stopped; false when the port could
// not be had, `answer` ended the loop or the wait failed.
bool ServeLinks(unsigned short port, SocketSession& session, const LinkService& service,
                std::chrono::milliseconds slowClient = kSlowClient);

}  // namespace cardo
