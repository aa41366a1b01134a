#pragma once
// The few socket calls the receiver's loop needs, over BSD sockets and Winsock alike: listening
// on the loopback addresses, taking connections, reading what arrives, answering once, and
// waiting for any of them or for the stop that ends the loop.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cardo {

// An open socket, closed when it goes.
class Socket {
 public:
  using Handle = std::uintptr_t;
  static constexpr Handle kNone = ~Handle{0};
  explicit Socket(Handle handle = kNone) : handle_(handle) {}
  Socket(Socket&& other) noexcept : handle_(other.handle_) { other.handle_ = kNone; }
  Socket& operator=(Socket&& other) noexcept {
    std::swap(handle_, other.handle_);
    return *this;
  }
  ~Socket();
  Handle get() const { return handle_; }
  bool valid() const { return handle_ != kNone; }

 private:
  Handle handle_;
};

// What the system holds while the loop runs (Winsock started, the signal handlers set when
// asked), undone when it goes; `Stopped` is true once `Stop` was called, from any thread, or
// (with Signals::Stop) SIGINT or SIGTERM arrived (Ctrl+C, Ctrl+Break, closing the console).
class SocketSession {
 public:
  enum class Signals { Ignore, Stop };
  explicit SocketSession(Signals signals);
  ~SocketSession();
  SocketSession(const SocketSession&) = delete;
  SocketSession& operator=(const SocketSession&) = delete;
  bool Stopped() const;
  // Ends the loop: the wait wakes at once. Safe from any thread and more than once.
  void Stop();
  // A socket that becomes readable when the loop is stopped, or kNone where the wait is woken
  // by time instead (kStopCheckMs).
  Socket::Handle Wakeup() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// What `why` says when another program (a second Cardo, say) holds the port.
inline constexpr char kPortTaken[] = "the port is in use by another program";

// How often the wait looks at `Stopped` where no socket wakes it.
inline constexpr int kStopCheckMs = 250;

// Listening sockets on 127.0.0.1 and on ::1 at `port` (the second absent where the system has
// no IPv6); nothing, and `why` says it, when 127.0.0.1 or an existing ::1 cannot be had.
std::optional<std::vector<Socket>> ListenOnLoopback(unsigned short port, std::string& why);

// A new connection on `listener`, non-blocking, or nothing.
std::optional<Socket> Accept(const Socket& listener);

// Reads what has arrived: the byte count, 0 when the peer closed, -1 when nothing is there
// yet, -2 on an error.
long Receive(const Socket& socket, char* buffer, std::size_t size);

// Sends `bytes` (short: one try) and keeps the connection open: an interim answer.
void SendInterim(const Socket& socket, std::string_view bytes);

// Sends `bytes` (short: one try) and ends the sending side.
void Answer(const Socket& socket, std::string_view bytes);

// Waits until one of `sockets` is readable or `timeoutMs` (-1: no limit) passes; `ready` gets
// a flag per socket. False on an error other than an interruption.
bool WaitReadable(const std::vector<Socket::Handle>& sockets, int timeoutMs,
                  std::vector<bool>& ready);

}  // namespace cardo
