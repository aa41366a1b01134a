#include "app/receive/link_server.h"

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

namespace cardo {
namespace {

using Clock = std::chrono::steady_clock;

struct Connection {
  Socket socket;
  Clock::time_point deadline;
  RequestReader reader;
  // Refused before its body was read: what still comes is read and dropped for a moment, since
  // closing with unread bytes resets the connection and the client would never see why.
  bool draining = false;
  bool continued = false;  // "100 Continue" sent
};

constexpr auto kDrain = std::chrono::seconds(1);
// How long a failed accept (no descriptor free) waits before the loop goes on.
constexpr auto kAcceptPause = std::chrono::milliseconds(100);

constexpr char kBusy[] =
    "HTTP/1.1 503 Service Unavailable\r\nContent-Length: 0\r\nRetry-After: 1\r\n"
    "Connection: close\r\n\r\n";

// How long the wait may last: until the first connection's time is up, and no longer than the
// check of a stop that wakes no socket.
int WaitMs(const std::vector<Connection>& connections, bool wokenBySocket) {
  int wait = wokenBySocket ? -1 : kStopCheckMs;
  const auto now = Clock::now();
  for (const Connection& connection : connections) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(connection.deadline - now);
    const int ms = static_cast<int>(std::max<long long>(left.count(), 0));
    wait = wait < 0 ? ms : std::min(wait, ms);
  }
  return wait;
}

// Reads what each ready connection sent and answers every request that is whole or whose
// time is up; keeps the connections still to be read or drained. False when the service
// stops the loop.
bool ServeReady(std::vector<Connection>& connections, const std::vector<bool>& ready,
                std::size_t first, const LinkService& service) {
  std::vector<Connection> open;
  for (std::size_t i = 0; i < connections.size(); ++i) {
    Connection& connection = connections[i];
    if (ready[first + i]) {
      char chunk[16384];
      const long got = Receive(connection.socket, chunk, sizeof chunk);
      if (connection.draining) {
        if (got != 0 && got != -2 && Clock::now() < connection.deadline) {
          open.push_back(std::move(connection));
        }
        continue;
      }
      if (got > 0) {
        connection.reader.Feed(std::string_view(chunk, static_cast<std::size_t>(got)));
      } else if (got == 0 || got == -2) {
        connection.reader.End();
      }
      if (connection.reader.WantsContinue() && !connection.continued) {
        SendInterim(connection.socket, "HTTP/1.1 100 Continue\r\n\r\n");
        connection.continued = true;
      }
    }
    if (connection.draining || connection.reader.state() == RequestReader::State::NeedMore) {
      if (Clock::now() < connection.deadline) {
        open.push_back(std::move(connection));
      } else if (!connection.draining) {
        Answer(connection.socket, RefusalAnswer(RequestRefusal::TooSlow).Wire());
      }
      continue;
    }
    const std::optional<ReceiverAnswer> answer = service.answer(connection.reader);
    if (!answer) return false;
    Answer(connection.socket, answer->Wire());
    if (connection.reader.state() == RequestReader::State::Refused) {
      connection.draining = true;
      connection.deadline = Clock::now() + kDrain;
      open.push_back(std::move(connection));
    }
  }
  connections = std::move(open);
  return true;
}

// Takes one waiting connection, or answers it "busy" when there are as many as the loop keeps.
void TakeConnection(const Socket& listener, std::vector<Connection>& connections,
                    std::chrono::milliseconds slowClient) {
  auto client = Accept(listener);
  if (!client) {
    // The connection stays queued while no descriptor is free, and the listener stays
    // readable: a pause keeps the loop from spinning until one is.
    std::this_thread::sleep_for(kAcceptPause);
    return;
  }
  const auto held = static_cast<int>(connections.size());
  if (held >= kMostConnections) {
    Answer(*client, kBusy);
    // Closed with its request unread, the connection would be reset and the client would
    // never see the answer: it is read and dropped for a moment, as a refused one is, while
    // the ones so kept are few.
    if (held < 2 * kMostConnections) {
      connections.push_back({std::move(*client), Clock::now() + kDrain, {}, true});
    }
    return;
  }
  connections.push_back({std::move(*client), Clock::now() + slowClient, {}});
}

}  // namespace

bool ServeLinks(unsigned short port, SocketSession& session, const LinkService& service,
                std::chrono::milliseconds slowClient) {
  std::string why;
  const auto listeners = ListenOnLoopback(port, why);
  if (!listeners) {
    service.cannotListen(why);
    return false;
  }
  service.listening();

  std::vector<Connection> connections;
  std::vector<bool> ready;
  while (!session.Stopped()) {
    std::vector<Socket::Handle> waited;
    if (session.Wakeup() != Socket::kNone) waited.push_back(session.Wakeup());
    const std::size_t firstListener = waited.size();
    for (const Socket& listener : *listeners) waited.push_back(listener.get());
    const std::size_t firstConnection = waited.size();
    for (const Connection& connection : connections) waited.push_back(connection.socket.get());
    if (!WaitReadable(waited, WaitMs(connections, firstListener > 0), ready)) return false;

    // Read first, then take new connections: `ready` counts the connections there were.
    if (!ServeReady(connections, ready, firstConnection, service)) return false;
    for (std::size_t i = firstListener; i < firstConnection; ++i) {
      if (ready[i]) TakeConnection((*listeners)[i - firstListener], connections, slowClient);
    }
  }
  return true;
}

}  // namespace cardo
